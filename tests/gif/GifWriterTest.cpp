#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "GifTestSupport.h"
#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "gif/LoadGif.h"
#include "gif/LzwEncoder.h"
#include "support/TestSupport.h"

using namespace gif_test;
using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint32_t> SomeColours(int n, uint32_t seed) {
    std::vector<uint32_t> c;
    for (int i = 0; i < n; ++i)
        c.push_back((uint32_t(i) * 0x010203u + seed * 0x1F3D5Bu) & 0xFFFFFFu);
    return c;
}

// A frame with random indexes below `colours`.
FrameRecord* RandomFrame(AnimationDocument& doc, int w, int h, int colours, uint32_t seed) {
    FrameRecord* f = MakeFrame(doc, w, h, SomeColours(colours, seed));
    std::mt19937 rng(seed);
    auto plane = f->indexPlane();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) plane->set(x, y, uint8_t(rng() % uint32_t(colours)));
    return f;
}

// Codes of an image's LZW data, read as a decoder reads them: (code, width) pairs.
std::vector<std::pair<int, int>> CodesOf(const std::vector<uint8_t>& data, int minCodeSize) {
    std::vector<std::pair<int, int>> codes;
    uint64_t acc = 0;
    int count = 0, width = minCodeSize + 1, nextFree = (1 << minCodeSize) + 2;
    bool prev = false;
    for (uint8_t b : data) {
        acc |= uint64_t(b) << count;
        count += 8;
        while (count >= width) {
            const int code = int(acc & ((1u << width) - 1));
            acc >>= width;
            count -= width;
            codes.push_back({code, width});
            if (code == (1 << minCodeSize)) {
                width = minCodeSize + 1;
                nextFree = (1 << minCodeSize) + 2;
                prev = false;
                continue;
            }
            if (code == (1 << minCodeSize) + 1) return codes;
            if (prev && nextFree < 4096) {
                ++nextFree;
                if (nextFree == (1 << width) && width < 12) ++width;
            }
            prev = true;
        }
    }
    return codes;
}

// The joined sub-blocks of the first image's data in a GIF byte string.
std::vector<uint8_t> ImageDataOf(const std::vector<uint8_t>& file, size_t descriptorAt) {
    size_t at = descriptorAt + 10;
    if (file[descriptorAt + 9] & 0x80) at += 3u << ((file[descriptorAt + 9] & 7) + 1);
    ++at;  // minimum code size
    std::vector<uint8_t> data;
    while (file[at] != 0) {
        data.insert(data.end(), file.begin() + long(at) + 1,
                    file.begin() + long(at) + 1 + file[at]);
        at += file[at] + 1u;
    }
    return data;
}

size_t FindDescriptor(const std::vector<uint8_t>& file, size_t from) {
    // Skips header, tables and extensions to the first 0x2C.
    size_t at = from;
    while (at < file.size()) {
        if (file[at] == 0x2C) return at;
        if (file[at] == 0x21) {
            at += 2;
            while (file[at] != 0) at += file[at] + 1u;
            ++at;
        } else {
            ++at;
        }
    }
    return std::string::npos;
}

// Every used entry comes back; the slots a table has beyond them read back as white.
bool SameUsedColours(const Palette& written, const Palette& read) {
    for (size_t i = 0; i < 256; ++i) {
        const PaletteEntry expected = written[i].used() ? written[i] : PaletteEntry{255, 255, 255};
        if (!(read[i] == expected)) return false;
    }
    return true;
}

class GifWriterTest : public ::testing::Test {
  protected:
    size_t HeaderEnd(const std::vector<uint8_t>& f) {
        return 13 + ((f[10] & 0x80) ? (3u << ((f[10] & 7) + 1)) : 0u);
    }
    RecordingHost host_;
    AnimationDocument doc_{host_, 1};
};

}  // namespace

TEST_F(GifWriterTest, OnePixelFrameIsClearPixelEnd) {
    FrameRecord* f = MakeFrame(doc_, 1, 1, {0x112233, 0x445566}, 1);
    AppendToDocument(doc_, f, "one");
    const std::string path = TempPath("one.gif");
    ASSERT_EQ(SaveSingleGif(doc_, *f, path), kSaveOk);
    const auto bytes = FileBytes(path);
    const size_t d = FindDescriptor(bytes, HeaderEnd(bytes));
    ASSERT_NE(d, std::string::npos);
    // No graphic control or application block in a single image.
    EXPECT_EQ(d, HeaderEnd(bytes));
    const size_t data = d + 10 + 768;
    ASSERT_EQ(bytes[data], 8);
    // 256, 1, 257 at 9 bits: 27 bits in 4 bytes.
    const std::vector<uint8_t> expected{4, 0x00, 0x03, 0x04, 0x04, 0x00, 0x3B};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + long(data) + 1, bytes.end()), expected);
    EXPECT_EQ(CodesOf(ImageDataOf(bytes, d), 8),
              (std::vector<std::pair<int, int>>{{256, 9}, {1, 9}, {257, 9}}));
}

TEST_F(GifWriterTest, TableIsClearedAtTwelveBitsAfter3838Strings) {
    FrameRecord* f = RandomFrame(doc_, 120, 100, 256, 7);
    AppendToDocument(doc_, f, "noise");
    const std::string path = TempPath("noise.gif");
    ASSERT_EQ(SaveSingleGif(doc_, *f, path), kSaveOk);
    const auto bytes = FileBytes(path);
    const auto codes = CodesOf(ImageDataOf(bytes, FindDescriptor(bytes, HeaderEnd(bytes))), 8);
    // The first clear starts the image at 9 bits; 3838 codes later (each adds a string
    // but the first) comes a clear at 12 bits, and the next code is 9 bits again.
    ASSERT_GT(codes.size(), 3841u);
    EXPECT_EQ(codes[0], (std::pair<int, int>{256, 9}));
    EXPECT_EQ(codes[3840], (std::pair<int, int>{256, 12}));
    EXPECT_EQ(codes[3841].second, 9);
    for (size_t i = 1; i < 3840; ++i) ASSERT_NE(codes[i].first, 256) << i;
    auto peer = GiflibDecode(path);
    ASSERT_TRUE(peer);
    EXPECT_EQ(peer->images[0].indexes, FramePixels(*f));
}

TEST_F(GifWriterTest, CommentsOf255And256Bytes) {
    std::vector<uint8_t> out;
    gif_blocks::WriteComment(std::string(255, 'a'), out);
    ASSERT_EQ(out.size(), 2u + 1 + 255 + 1);
    EXPECT_EQ(out[2], 255);
    EXPECT_EQ(out.back(), 0);
    out.clear();
    gif_blocks::WriteComment(std::string(256, 'b'), out);
    ASSERT_EQ(out.size(), 2u + 1 + 255 + 1 + 1 + 1);
    EXPECT_EQ(out[2], 255);
    EXPECT_EQ(out[2 + 256], 1);
    EXPECT_EQ(out[2 + 257], 'b');
    out.clear();
    gif_blocks::WriteComment("", out);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x21, 0xFE, 0x00}));
}

TEST_F(GifWriterTest, GlobalDelayAndDisposalOverrideTheFrames) {
    for (int i = 0; i < 3; ++i) {
        FrameRecord* f = RandomFrame(doc_, 8, 8, 4, uint32_t(i));
        f->delay = uint32_t(5 + i);
        f->disposal = i;
        AppendToDocument(doc_, f, "f");
    }
    doc_.useGlobalDelay = true;
    doc_.globalDelay = 42;
    doc_.useGlobalDisposal = true;
    doc_.globalDisposal = 2;
    const std::string path = TempPath("global.gif");
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
    auto peer = GiflibDecode(path);
    ASSERT_TRUE(peer);
    ASSERT_EQ(peer->images.size(), 3u);
    for (const auto& img : peer->images) {
        EXPECT_EQ(img.delay, 42);
        EXPECT_EQ(img.disposal, 2);
    }
    doc_.useGlobalDelay = doc_.useGlobalDisposal = false;
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
    peer = GiflibDecode(path);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(peer->images[size_t(i)].delay, 5 + i);
        EXPECT_EQ(peer->images[size_t(i)].disposal, i);
    }
}

TEST_F(GifWriterTest, EveryFileWeWriteDecodesWithGiflibToOurIndexesAndColours) {
    // Sizes around the sub-block and width boundaries, frames on the global palette,
    // transparency, offsets, delays above 16 bits are clamped.
    doc_.hasGlobalPalette = true;
    for (int i = 0; i < 256; ++i)
        doc_.globalPalette[size_t(i)] = PaletteEntry::FromRgb(uint32_t(i) * 0x010101u);
    const std::vector<std::pair<int, int>> sizes{{1, 1},   {1, 7},   {255, 1},
                                                 {3, 300}, {64, 64}, {333, 97}};
    int n = 0;
    for (auto [w, h] : sizes) {
        for (int colours : {2, 16, 256}) {
            FrameRecord* f = RandomFrame(doc_, w, h, colours, uint32_t(n));
            f->left = n % 3;
            f->top = n % 2;
            f->hasLocalPalette = (n % 2);
            f->hasTransparency = n % 3 == 0;
            f->transparentIndex = uint32_t(n % colours);
            f->delay = n == 5 ? 70000 : uint32_t(n);
            AppendToDocument(doc_, f, "f");
            ++n;
        }
    }
    // Some smooth areas too, so that long strings are coded.
    FrameRecord* smooth = MakeFrame(doc_, 400, 300, SomeColours(8, 3), 0);
    auto plane = smooth->indexPlane();
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) plane->set(x, y, uint8_t((x / 50 + y / 40) % 8));
    AppendToDocument(doc_, smooth, "smooth");

    const std::string path = TempPath("oracle.gif");
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
    auto peer = GiflibDecode(path);
    ASSERT_TRUE(peer);
    ASSERT_EQ(int(peer->images.size()), doc_.countFrames());
    size_t i = 0;
    for (FrameRecord* f = doc_.firstFrame; f; f = f->next, ++i) {
        const PeerImage& img = peer->images[i];
        EXPECT_EQ(img.width, f->width);
        EXPECT_EQ(img.height, f->height);
        EXPECT_EQ(img.left, f->left);
        EXPECT_EQ(img.top, f->top);
        EXPECT_EQ(img.hasLocalMap, f->hasLocalPalette != 0);
        EXPECT_EQ(img.indexes, FramePixels(*f)) << "frame " << i;
        // The table always has 256 entries; unused palette slots are written as white.
        const Palette& pal = f->effectivePalette();
        ASSERT_EQ(img.colours.size(), 256u);
        for (size_t c = 0; c < 256; ++c) {
            EXPECT_EQ(img.colours[c], pal[c].used() ? pal[c].rgb() : 0xFFFFFFu) << i << " " << c;
        }
        EXPECT_EQ(img.transparent, f->hasTransparency ? int(f->transparentIndex) : -1);
        EXPECT_EQ(img.delay, std::min<int>(int(f->delay), 65535));
    }
}

TEST_F(GifWriterTest, RoundTripKeepsEverything) {
    doc_.hasGlobalPalette = true;
    for (int i = 0; i < 16; ++i)
        doc_.globalPalette[size_t(i)] = PaletteEntry::FromRgb(uint32_t(i) * 0x0F0F0Fu);
    doc_.backgroundIndex = 3;
    doc_.loopCount = 7;
    doc_.endless = false;
    doc_.globalComments = {
        {"global one"}, {std::string("\0\xff\x80 bytes", 9)}, {std::string(600, 'g')}};
    doc_.hasGlobalComments = true;
    for (int i = 0; i < 4; ++i) {
        FrameRecord* f = RandomFrame(doc_, 30 + i, 20, i == 1 ? 16 : 200, uint32_t(i + 10));
        f->left = i;
        f->top = 2 * i;
        f->delay = uint32_t(3 * i + 1);
        f->disposal = i;
        f->hasTransparency = i % 2;
        f->transparentIndex = uint32_t(i);
        f->hasLocalPalette = i == 1 ? 0 : 1;
        if (i == 1) f->palette = doc_.globalPalette;
        if (i != 2)
            f->comments = {{"frame " + std::to_string(i)}, {std::string(255, char('a' + i))}, {""}};
        AppendToDocument(doc_, f, "f");
    }
    const std::string path = TempPath("round.gif");
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);

    RecordingHost host2;
    AnimationDocument loaded(host2, 1);
    ASSERT_EQ(LoadGifIntoDocument(loaded, path), 0);
    EXPECT_EQ(loaded.loopCount, 7);
    EXPECT_FALSE(loaded.endless);
    EXPECT_EQ(loaded.globalComments, doc_.globalComments);
    EXPECT_EQ(loaded.backgroundIndex, 3);
    EXPECT_TRUE(loaded.hasGlobalPalette);
    EXPECT_TRUE(SameUsedColours(doc_.globalPalette, loaded.globalPalette));
    ASSERT_EQ(loaded.countFrames(), 4);
    FrameRecord* a = doc_.firstFrame;
    for (FrameRecord* b = loaded.firstFrame; b; a = a->next, b = b->next) {
        EXPECT_EQ(FramePixels(*a), FramePixels(*b));
        EXPECT_TRUE(SameUsedColours(a->effectivePalette(), b->effectivePalette()));
        EXPECT_EQ(a->hasLocalPalette, b->hasLocalPalette);
        EXPECT_EQ(std::tie(a->left, a->top, a->width, a->height),
                  std::tie(b->left, b->top, b->width, b->height));
        EXPECT_EQ(a->delay, b->delay);
        EXPECT_EQ(a->disposal, b->disposal);
        EXPECT_EQ(a->hasTransparency, b->hasTransparency);
        EXPECT_EQ(a->transparentIndex, b->transparentIndex);
        EXPECT_EQ(a->comments, b->comments);
    }
    // Saving what was loaded gives the same bytes again.
    const std::string again = TempPath("round2.gif");
    ASSERT_EQ(SaveAnimation(loaded, again), kSaveOk);
    EXPECT_EQ(FileBytes(path), FileBytes(again));
}

TEST_F(GifWriterTest, FailedWritesLeaveTheOldFileAndNoTemporary) {
    for (int i = 0; i < 3; ++i)
        AppendToDocument(doc_, RandomFrame(doc_, 200, 200, 256, uint32_t(i)), "f");
    const std::string path = TempPath("keep.gif");
    { std::ofstream(path) << "the good file"; }
    // Files may not grow past 4 KiB for a moment: the write fails half-way.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const int result = SaveAnimation(doc_, path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, kSaveCannotWrite);
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "the good file");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        files += e.path().filename().string().find("keep.gif") != std::string::npos;
    EXPECT_EQ(files, 1);

    EXPECT_EQ(SaveAnimation(doc_, "/nonexistent-dir/x.gif"), kSaveCannotWrite);
    EXPECT_EQ(SaveAnimation(doc_, "/nonexistent-dir/movie.AVI"), kSaveAviFailed);
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
    EXPECT_TRUE(GiflibDecode(path));
}

TEST_F(GifWriterTest, ProgressIsReported) {
    for (int i = 0; i < 3; ++i)
        AppendToDocument(doc_, RandomFrame(doc_, 4, 4, 4, uint32_t(i)), "f");
    ASSERT_EQ(SaveAnimation(doc_, TempPath("progress.gif")), kSaveOk);
    std::vector<std::string> texts;
    for (const auto& p : host_.progress()) texts.push_back(p.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Saving Img 1/3", "Saving Img 2/3", "Idle"}));
}

TEST_F(GifWriterTest, EncodersAreIndependentObjects) {
    // Two encoders interleaved give the same data as one after the other.
    FrameRecord* a = RandomFrame(doc_, 90, 90, 256, 1);
    FrameRecord* b = RandomFrame(doc_, 90, 90, 256, 2);
    LzwEncoder e1, e2, e3;
    std::vector<uint8_t> x1, y1, x2, y2;
    e1.EncodeImage(a->indexPlane().get(), 90, 90, 8, x1);
    e2.EncodeImage(b->indexPlane().get(), 90, 90, 8, y1);
    e3.EncodeImage(a->indexPlane().get(), 90, 90, 8, x2);
    e3.EncodeImage(b->indexPlane().get(), 90, 90, 8, y2);
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    delete a;
    delete b;
}
