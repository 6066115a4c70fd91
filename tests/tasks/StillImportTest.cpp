// Still pictures, icons and cursors as users bring them to velmora-cli, whole, cut short,
// or with headers that claim far more than the files hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using ts::ReadBytes;
using ts::WriteBytes;

ts::ToolResult Convert(const std::string& in, const std::string& out, int addressSpaceMiB = 0) {
    return ts::RunCli({"convert", in, "-o", out}, addressSpaceMiB);
}

// JPEG photos under each spelling of the extension: cut short, the library's message and
// nothing written; whole, they convert and velmora-cli writes them back.
TEST(StillImportTest, JpegPhotosCutShortFailAndWholeOnesConvertUnderAnyExtension) {
    const ts::TempFolder folder;
    const std::pair<std::string, std::string> kinds[] = {{"a.jpeg", "-quality 90"},
                                                         {"b.JPEG", "-quality 90 -interlace JPEG"},
                                                         {"c.Jpeg", "-colorspace CMYK -quality 90"},
                                                         {"d.JPG", "-colorspace Gray -quality 90"},
                                                         {"e.jpg", "-quality 90"}};
    for (const auto& [name, kind] : kinds) {
        SCOPED_TRACE(name + " " + kind);
        const std::string whole = folder.file(name), cut = folder.file("cut.jpg");
        ASSERT_TRUE(ts::ToolSucceeds("convert rose: -resize 640x480! " + kind +
                                     " JPEG:" + ts::ShellQuote(whole)));
        std::vector<uint8_t> bytes = ReadBytes(whole);
        bytes.resize(bytes.size() / 2);
        WriteBytes(cut, bytes);
        const std::string out = folder.file("out.gif");
        const ts::ToolResult r = Convert(cut, out);
        EXPECT_EQ(r.signal, 0) << r.err;
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("Premature end of JPEG file"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
        ASSERT_TRUE(ts::CliSucceeds({"convert", whole, "-o", out}));
        ASSERT_TRUE(ts::CliSucceeds({"convert", out, "-o", whole}));
        EXPECT_EQ(ts::RunTool("identify -format %m:%w " + ts::ShellQuote(whole)).out, "JPEG:640");
        std::filesystem::remove(out);
    }
}

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
        const auto file = ts::GiflibDecode(out);
        ASSERT_TRUE(file && file->images.size() == 1u);
        EXPECT_EQ(std::make_pair(file->images[0].width, file->images[0].height),
                  std::make_pair(side, side));
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

// Animated cursors: delays from the rate chunk (jiffies of 1/60 s), else the header's
// rate; raw bitmap frames, with or without their information header, show the bitmaps.
TEST(StillImportTest, AnimatedCursorsTakeTheirTimingAndRawFramesImport) {
    const ts::TempFolder folder;
    const std::vector<std::vector<uint8_t>> icons = RoseFrames(folder, "ico", 2);
    const std::vector<std::vector<uint8_t>> bitmaps = RoseFrames(folder, "bmp", 3);
    ASSERT_TRUE(icons.size() == 2u && bitmaps.size() == 3u);
    const struct {
        std::vector<uint32_t> rates;
        std::vector<int> delays;
        size_t skip;  // 0: icon frames; else the bytes of each bitmap left out
    } cases[] = {{{6, 10, 30, 1, 120}, {10, 17, 50, 2, 200}, 0},
                 {{}, {20, 20, 20, 20, 20}, 0},
                 {{}, {10, 10, 10}, 14},
                 {{}, {10, 10, 10}, 14 + 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rates.size() << " rates, skip " << c.skip);
        ts::AniParts parts;
        parts.displayRate = 6;
        if (c.skip == 0) {
            parts.frames = icons;
            parts.steps = 5;
            parts.sequence = {0, 1, 0, 1, 1};
            parts.displayRate = 12;
            parts.rates = c.rates;
        } else {
            parts.steps = 3;
            parts.flags = 0;
            parts.width = parts.height = 32;
            parts.bits = 24;
            for (const auto& bmp : bitmaps)
                parts.frames.emplace_back(bmp.begin() + long(c.skip), bmp.end());
        }
        const std::string ani = folder.file("cursor.ani"), out = folder.file("cursor.gif");
        WriteBytes(ani, ts::AniFileBytes(parts));
        ASSERT_TRUE(ts::CliSucceeds({"convert", ani, "-o", out}));
        const auto file = ts::GiflibDecode(out);
        const auto got = ts::PeerComposedPictures(out);
        ASSERT_TRUE(file && got);
        std::vector<int> delays;
        for (const ts::PeerImage& image : file->images) delays.push_back(image.delay);
        EXPECT_EQ(delays, c.delays);
        for (size_t i = 0; c.skip && i < 3; ++i) {
            const auto expected =
                ts::PeerStillPictures(folder.file("frame" + std::to_string(i) + ".bmp"));
            ASSERT_TRUE(expected.has_value());
            EXPECT_LE(ts::MaxChannelDifference((*got)[i], expected->front()), 4) << "frame " << i;
        }
    }
}

// A small picture whose two size fields (`at` bytes after `marker`) then claim `side`;
// wrapped in an icon (1) or cursor (2) without its first `skip` bytes if `iconType`.
struct Claim {
    const char* name;
    const char* options;  // ImageMagick's, ending in the format
    std::string marker;
    size_t at;
    int width;
    bool bigEndian;
    uint32_t side;
    uint16_t iconType = 0;
    size_t skip = 0;
};

std::vector<uint8_t> Claimed(const ts::TempFolder& folder, const Claim& c) {
    const std::string path = folder.file("small");
    if (!ts::ToolSucceeds("convert rose: -resize 16x12! -strip " + std::string(c.options) +
                          ts::ShellQuote(path)))
        return {};
    std::vector<uint8_t> b = ReadBytes(path);
    const auto same = [](uint8_t x, char y) { return x == uint8_t(y); };
    size_t at = size_t(std::search(b.begin(), b.end(), c.marker.begin(), c.marker.end(), same) -
                       b.begin()) +
                c.at;
    if (at + 2 * size_t(c.width) > b.size()) return {};
    for (int field = 0; field < 2; ++field)
        for (int k = 0; k < c.width; ++k)
            b[at++] = uint8_t(c.side >> 8 * (c.bigEndian ? c.width - 1 - k : k));
    if (c.iconType == 0) return b;
    return ts::IconFileBytes(c.iconType, {{0, {b.begin() + long(c.skip), b.end()}}});
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
    const Claim claims[] = {
        {"claim.bmp", "-type Palette -compress RLE BMP3:", "BM", 18, 4, false, 4000},
        {"claim.tga", "-compress RLE TGA:", "", 12, 2, false, 2048},
        {"claim.ico", "BMP3:", "BM", 18, 4, false, 2048, 1, 14},
        {"png.ico", "PNG:", "IHDR", 4, 4, true, 65535, 1},
        {"claim.cur", "BMP3:", "BM", 18, 4, false, 4096, 2, 14},
        {"claim.jpg", "-quality 30 JPEG:", "\xFF\xC0", 5, 2, true, 16384},
        {"progressive.jpg", "-quality 30 -interlace JPEG JPEG:", "\xFF\xC2", 5, 2, true, 16384},
    };
    std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"claim.ani", AniClaim(folder)}};
    for (const Claim& c : claims) cases.emplace_back(c.name, Claimed(folder, c));
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
