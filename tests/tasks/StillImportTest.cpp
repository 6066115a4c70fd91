// Still pictures, icons and cursors as users bring them to velmora-cli: photos saved as
// JPEG under either extension, photos cut short by a broken transfer, icons with several
// sizes, animated cursors with their own timing or with raw frames, and files whose
// headers claim far more than they hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "io/FileBytes.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using ts::ReadBytes;
using ts::WriteBytes;

ts::ToolResult Convert(const std::string& in, const std::string& out, int addressSpaceMiB = 0) {
    return ts::RunCli({"convert", in, "-o", out}, addressSpaceMiB);
}

// The single image of a GIF as giflib reads it.
ts::PeerImage OnlyImage(const std::string& gif) {
    const auto file = ts::GiflibDecode(gif);
    EXPECT_TRUE(file && file->images.size() == 1u) << gif;
    return file && !file->images.empty() ? file->images[0] : ts::PeerImage{};
}

// ---------------------------------------------------------------- JPEG

TEST(StillImportTest, APhotoCutShortFailsWithTheLibraryMessageAndWritesNothing) {
    const ts::TempFolder folder;
    for (const std::string kind :
         {"-quality 90", "-quality 90 -interlace JPEG", "-colorspace CMYK -quality 90",
          "-colorspace Gray -quality 90"}) {
        SCOPED_TRACE(kind);
        const std::string whole = folder.file("whole.jpg"), cut = folder.file("cut.jpg");
        ASSERT_TRUE(ts::ToolSucceeds("convert rose: -resize 640x480! " + kind + " " +
                                     ts::ShellQuote(whole)));
        std::vector<uint8_t> bytes = ReadBytes(whole);
        bytes.resize(bytes.size() / 2);
        WriteBytes(cut, bytes);
        const std::string out = folder.file("out.gif");
        const ts::ToolResult r = Convert(cut, out);
        EXPECT_EQ(r.signal, 0) << r.err;
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("Premature end of JPEG file"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
        // The whole photo still reads.
        EXPECT_TRUE(ts::CliSucceeds({"convert", whole, "-o", out}));
        std::filesystem::remove(out);
    }
}

// The start-of-frame marker's height and width set to `side` (a small real photo whose
// header claims a huge picture).
bool ClaimSize(std::vector<uint8_t>& jpeg, int side) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            for (size_t at : {i + 5, i + 7}) {
                jpeg[at] = uint8_t(side >> 8);
                jpeg[at + 1] = uint8_t(side);
            }
            return true;
        }
    }
    return false;
}

// A few hundred bytes of a real photo whose header claims 16384 x 16384.
std::vector<uint8_t> JpegClaim(const ts::TempFolder& folder, const std::string& options) {
    const std::string small = folder.file("small.jpg");
    if (!ts::ToolSucceeds("convert rose: -resize 16x12! " + options + " -strip " +
                          ts::ShellQuote(small)))
        return {};
    std::vector<uint8_t> bytes = ReadBytes(small);
    EXPECT_LT(bytes.size(), 1000u);
    return ClaimSize(bytes, 16384) ? bytes : std::vector<uint8_t>{};
}

TEST(StillImportTest, JpegFilesConvertUnderEitherExtensionInAnyCase) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "photo.gif", 120, 90, 1);
    for (const std::string name : {"a.jpeg", "b.JPEG", "c.Jpeg", "d.JPG", "e.jpg"}) {
        SCOPED_TRACE(name);
        // velmora-cli writes it, and reads back what it wrote.
        const std::string jpeg = folder.file(name), back = folder.file(name + ".gif");
        ASSERT_TRUE(ts::CliSucceeds({"convert", gif, "-o", jpeg}));
        EXPECT_TRUE(ts::CliSucceeds({"convert", jpeg, "-o", back}));
        const ts::PeerImage image = OnlyImage(back);
        EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(120, 90));
    }
}

// ---------------------------------------------------------------- icons and cursors

TEST(StillImportTest, AnIconImportsAtTheStandardSizeWhateverItsFirstEntry) {
    const ts::TempFolder folder;
    // The sizes as ImageMagick writes the entries, in this order, and the side shown at
    // the standard icon size.
    const std::pair<std::string, int> cases[] = {
        {"16,32", 32}, {"16,32,48", 32}, {"48,16,32", 32}, {"16,48,64", 48}, {"16,24", 24}};
    for (const auto& [sizes, side] : cases) {
        SCOPED_TRACE(sizes);
        const std::string icon = folder.file("rose.ico"), out = folder.file("icon.gif");
        ASSERT_TRUE(ts::ToolSucceeds("convert rose: -define icon:auto-resize=" + sizes + " " +
                                     ts::ShellQuote(icon)));
        ASSERT_TRUE(ts::CliSucceeds({"convert", icon, "-o", out}));
        const ts::PeerImage image = OnlyImage(out);
        EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(side, side));
    }
}

// The rose at 32 x 32 in a few shades, as files ImageMagick writes.
std::vector<std::vector<uint8_t>> RoseFrames(const ts::TempFolder& folder, const std::string& type,
                                             int count) {
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder.file("frame" + std::to_string(i) + "." + type);
        const std::string format = type == "bmp" ? "BMP3:" : "";
        if (!ts::ToolSucceeds("convert rose: -resize 32x32! -modulate " +
                              std::to_string(70 + 20 * i) + " -colors 64 -type TrueColor " +
                              format + ts::ShellQuote(path)))
            return {};
        frames.push_back(ReadBytes(path));
    }
    return frames;
}

TEST(StillImportTest, AnAnimatedCursorTakesItsStepsDelaysFromTheRateChunk) {
    const ts::TempFolder folder;
    ts::AniParts parts;
    parts.frames = RoseFrames(folder, "ico", 2);
    ASSERT_EQ(parts.frames.size(), 2u);
    parts.steps = 5;
    parts.sequence = {0, 1, 0, 1, 1};
    // Rates in jiffies of 1/60 s, delays in hundredths; without a rate chunk every step
    // shows for the header's rate.
    const std::pair<std::vector<uint32_t>, std::vector<int>> cases[] = {
        {{6, 10, 30, 1, 120}, {10, 17, 50, 2, 200}}, {{}, {20, 20, 20, 20, 20}}};
    parts.displayRate = 12;
    for (const auto& [rates, delays] : cases) {
        parts.rates = rates;
        const std::string ani = folder.file("busy.ani"), out = folder.file("busy.gif");
        WriteBytes(ani, ts::AniFileBytes(parts));
        ASSERT_TRUE(ts::CliSucceeds({"convert", ani, "-o", out}));
        const auto file = ts::GiflibDecode(out);
        ASSERT_TRUE(file.has_value());
        std::vector<int> got;
        for (const ts::PeerImage& image : file->images) got.push_back(image.delay);
        EXPECT_EQ(got, delays);
    }
}

TEST(StillImportTest, AnimatedCursorFramesStoredAsRawBitmapsImport) {
    const ts::TempFolder folder;
    const std::vector<std::vector<uint8_t>> bitmaps = RoseFrames(folder, "bmp", 3);
    ASSERT_EQ(bitmaps.size(), 3u);
    // Without the file header, and without the information header when the cursor's
    // header alone describes the rows.
    for (const size_t skip : {14, 14 + 40}) {
        SCOPED_TRACE(skip == 14 ? "with information header" : "pixel rows only");
        ts::AniParts parts;
        parts.steps = 3;
        parts.flags = 0;
        parts.width = parts.height = 32;
        parts.bits = 24;
        for (const auto& bmp : bitmaps)
            parts.frames.emplace_back(bmp.begin() + long(skip), bmp.end());
        const std::string ani = folder.file("raw.ani"), out = folder.file("raw.gif");
        WriteBytes(ani, ts::AniFileBytes(parts));
        ASSERT_TRUE(ts::CliSucceeds({"convert", ani, "-o", out}));
        const auto got = ts::PeerComposedPictures(out);
        ASSERT_TRUE(got.has_value());
        ASSERT_EQ(got->size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            const auto expected =
                ts::PeerStillPictures(folder.file("frame" + std::to_string(i) + ".bmp"));
            ASSERT_TRUE(expected.has_value());
            EXPECT_LE(ts::MaxChannelDifference((*got)[i], expected->front()), 4) << "frame " << i;
        }
    }
}

// ---------------------------------------------------------------- hostile headers

std::vector<uint8_t> BmpClaim() {
    // 8-bit run-length coded, 4000 x 4000, with a few runs of data.
    std::vector<uint8_t> v{'B', 'M'};
    std::vector<uint8_t> info;
    for (uint32_t x :
         {40u, 4000u, 4000u, 0x80001u /* 1 plane, 8 bits */, 1u /* RLE8 */, 0u, 0u, 0u, 0u, 0u})
        PutLe32(info, x);
    for (int i = 0; i < 256; ++i) PutLe32(info, uint32_t(i) * 0x010101u);
    std::vector<uint8_t> data;
    for (int i = 0; i < 100; ++i) data.insert(data.end(), {255, uint8_t(i)});
    for (size_t x : {14 + info.size() + data.size(), size_t(0), 14 + info.size()})
        PutLe32(v, uint32_t(x));
    v.insert(v.end(), info.begin(), info.end());
    v.insert(v.end(), data.begin(), data.end());
    return v;
}

std::vector<uint8_t> TargaClaim() {
    // Run-length coded true colour, 2048 x 2048, with a few packets.
    std::vector<uint8_t> v{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe16(v, 2048);
    PutLe16(v, 2048);
    v.insert(v.end(), {32, 0x20});
    for (int i = 0; i < 50; ++i) v.insert(v.end(), {0xFF, uint8_t(i), 2, 3, 4});
    return v;
}

std::vector<uint8_t> DibClaim(int side) {
    std::vector<uint8_t> dib;
    for (uint32_t x :
         {40u, uint32_t(side), uint32_t(2 * side), 0x200001u /* 32 bits */, 0u, 0u, 0u, 0u, 0u, 0u})
        PutLe32(dib, x);
    dib.resize(dib.size() + 200, 0x55);
    return dib;
}

std::vector<uint8_t> PngClaim(const ts::TempFolder& folder, int side) {
    const std::string path = folder.file("claim.png");
    if (!ts::ToolSucceeds("convert rose: -resize 8x8! " + ts::ShellQuote(path))) return {};
    std::vector<uint8_t> png = ReadBytes(path);
    // IHDR width and height (the CRC no longer matches: a damaged file).
    for (size_t at : {size_t(16), size_t(20)}) {
        png[at] = uint8_t(side >> 24);
        png[at + 1] = uint8_t(side >> 16);
        png[at + 2] = uint8_t(side >> 8);
        png[at + 3] = uint8_t(side);
    }
    return png;
}

std::vector<uint8_t> AniClaim(const ts::TempFolder& folder) {
    // One large, well-compressed frame shown for 20000 steps.
    const std::string path = folder.file("big.png");
    if (!ts::ToolSucceeds("convert -size 1024x1024 gradient:white-black " + ts::ShellQuote(path)))
        return {};
    ts::AniParts parts;
    parts.frames.push_back(ts::IconFileBytes(1, {{0, ReadBytes(path)}}));
    parts.steps = 20000;
    parts.sequence.assign(20000, 0);
    return ts::AniFileBytes(parts);
}

TEST(StillImportTest, HeadersClaimingHugePicturesEndInAMessageNotASignal) {
    const ts::TempFolder folder;
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"claim.bmp", BmpClaim()},
        {"claim.tga", TargaClaim()},
        {"claim.ico", ts::IconFileBytes(1, {{0, DibClaim(1024)}})},
        {"png.ico", ts::IconFileBytes(1, {{0, PngClaim(folder, 65535)}})},
        {"claim.cur", ts::IconFileBytes(2, {{0, DibClaim(1024)}, {32, DibClaim(4096)}})},
        {"claim.ani", AniClaim(folder)},
        {"claim.jpg", JpegClaim(folder, "-quality 30")},
        {"progressive.jpg", JpegClaim(folder, "-quality 30 -interlace JPEG")},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(bytes.empty());
        const std::string in = folder.file(name);
        WriteBytes(in, bytes);
        const std::string out = folder.file(name + ".gif");
        const ts::ToolResult r = Convert(in, out, ts::SmallMachineMiB());
        EXPECT_EQ(r.signal, 0) << r.err;
        EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status << " " << r.err;
        // Twenty thousand frames of a megapixel each cannot fit: refused before the first;
        // a JPEG is refused by the budget or by its data ending after the first rows.
        if (name == "claim.ani" || name.ends_with(".jpg")) {
            EXPECT_EQ(r.status, 1) << r.err;
        }
        if (r.status == 1) {
            EXPECT_FALSE(r.err.empty());
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

}  // namespace
