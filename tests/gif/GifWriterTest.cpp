#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "gif/GifWriter.h"
#include "import/LoadGif.h"
#include "io/AnimationSave.h"
#include "support/GifBuilder.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using gif_test::FramePixels;
using testing_support::AppendToDocument;
using testing_support::GiflibDecode;
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

size_t HeaderEnd(const std::vector<uint8_t>& file) {
    return 13 + ((file[10] & 0x80) ? (3u << ((file[10] & 7) + 1)) : 0u);
}
// The joined sub-blocks of the data of a file's only image, which follows the header
// at once (a single image has no extension blocks).
std::vector<uint8_t> OnlyImageData(const std::vector<uint8_t>& file) {
    size_t at = HeaderEnd(file);
    EXPECT_EQ(file[at], 0x2C);
    if (file[at + 9] & 0x80) at += 3u << ((file[at + 9] & 7) + 1);
    at += 11;  // descriptor and minimum code size
    std::vector<uint8_t> data;
    for (; at < file.size() && file[at] != 0; at += file[at] + 1u)
        data.insert(data.end(), file.begin() + long(at) + 1,
                    file.begin() + long(at) + 1 + file[at]);
    return data;
}

class GifWriterTest : public ::testing::Test {
  protected:
    std::string TempPath(const std::string& name) const { return folder_.file(name); }
    const testing_support::TempFolder folder_;
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
    // No graphic control or application block in a single image: the descriptor and its
    // table of 256, code size 8, then 256, 1, 257 at 9 bits: 27 bits in 4 bytes.
    const size_t d = HeaderEnd(bytes);
    ASSERT_EQ(bytes.size(), d + 10 + 768 + 8);
    EXPECT_EQ(bytes[d], 0x2C);
    const std::vector<uint8_t> expected{8, 4, 0x00, 0x03, 0x04, 0x04, 0x00, 0x3B};
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 8, bytes.end()), expected);
}

TEST_F(GifWriterTest, TableIsClearedAtTwelveBitsAfter3838Strings) {
    FrameRecord* f = RandomFrame(doc_, 120, 100, 256, 7);
    AppendToDocument(doc_, f, "noise");
    const std::string path = TempPath("noise.gif");
    ASSERT_EQ(SaveSingleGif(doc_, *f, path), kSaveOk);
    const auto codes = CodesOf(OnlyImageData(FileBytes(path)), 8);
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

TEST_F(GifWriterTest, CommentsOf255And256BytesAndAnEmptyOne) {
    const std::pair<std::string, std::vector<uint8_t>> cases[] = {
        {std::string(255, 'a'), {}},  // 255 bytes in one sub-block
        {std::string(256, 'b'), {}},  // 255 + 1
        {"", {0x21, 0xFE, 0x00}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<uint8_t> out;
        gif_blocks::WriteComment(text, out);
        if (text.empty()) {
            EXPECT_EQ(out, expected);
            continue;
        }
        std::vector<uint8_t> blocks{0x21, 0xFE, 255};
        blocks.insert(blocks.end(), text.begin(), text.begin() + 255);
        if (text.size() == 256) blocks.insert(blocks.end(), {1, uint8_t(text[255])});
        blocks.push_back(0);
        EXPECT_EQ(out, blocks) << text.size();
    }
}

TEST_F(GifWriterTest, GlobalDelayAndDisposalOverrideTheFrames) {
    for (int i = 0; i < 3; ++i) {
        FrameRecord* f = RandomFrame(doc_, 8, 8, 4, uint32_t(i));
        f->delay = uint32_t(5 + i);
        f->disposal = i;
        AppendToDocument(doc_, f, "f");
    }
    for (const bool global : {true, false}) {
        doc_.useGlobalDelay = doc_.useGlobalDisposal = global;
        doc_.globalDelay = 42;
        doc_.globalDisposal = 2;
        const std::string path = TempPath("global.gif");
        ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
        const auto peer = GiflibDecode(path);
        ASSERT_TRUE(peer);
        ASSERT_EQ(peer->images.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(peer->images[size_t(i)].delay, global ? 42 : 5 + i) << global;
            EXPECT_EQ(peer->images[size_t(i)].disposal, global ? 2 : i) << global;
        }
    }
}

TEST_F(GifWriterTest, GiflibReadsEverythingWeWriteAndOurOwnReadingSavesTheSameBytes) {
    doc_.hasGlobalPalette = true;
    for (int i = 0; i < 256; ++i)
        doc_.globalPalette[size_t(i)] = PaletteEntry::FromRgb(uint32_t(i) * 0x010101u);
    doc_.backgroundIndex = 3;
    doc_.loopCount = 7;
    doc_.endless = false;
    doc_.hasGlobalComments = true;
    doc_.globalComments = {
        {"global"}, {std::string("\0\xff\x80 bytes", 9)}, {std::string(600, 'g')}};
    // Sizes around the sub-block and code width boundaries, frames on the global palette
    // and on their own, transparency, offsets, comments of one and two sub-blocks (giflib
    // cannot read an empty one); delays above 16 bits are clamped.
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
            f->disposal = n % 4;
            if (n % 4 == 1)
                f->comments = {{"frame"}, {std::string(255, 'a')}, {std::string(256, 'b')}};
            AppendToDocument(doc_, f, "f");
            ++n;
        }
    }
    // Some smooth areas too, so that long strings are coded.
    FrameRecord* smooth = MakeFrame(doc_, 400, 300, SomeColours(8, 3), 0);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            smooth->indexPlane()->set(x, y, uint8_t((x / 50 + y / 40) % 8));
    AppendToDocument(doc_, smooth, "smooth");

    const std::string path = TempPath("oracle.gif");
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
    const auto peer = GiflibDecode(path);
    ASSERT_TRUE(peer);
    EXPECT_EQ(peer->loop, 7);
    EXPECT_EQ(peer->background, 3);
    std::vector<std::string> texts;
    for (const CommentNode& comment : doc_.globalComments) texts.push_back(comment.text);
    EXPECT_EQ(peer->trailingComments, texts);
    ASSERT_EQ(int(peer->images.size()), doc_.countFrames());
    size_t i = 0;
    for (FrameRecord* f = doc_.firstFrame; f; f = f->next, ++i) {
        const testing_support::PeerImage& img = peer->images[i];
        EXPECT_EQ(std::vector<int>({img.left, img.top, img.width, img.height}),
                  std::vector<int>({f->left, f->top, f->width, f->height}))
            << i;
        EXPECT_EQ(img.hasLocalMap, f->hasLocalPalette != 0) << i;
        EXPECT_EQ(img.indexes, FramePixels(*f)) << "frame " << i;
        // The table always has 256 entries; unused palette slots are written as white.
        const Palette& pal = f->effectivePalette();
        ASSERT_EQ(img.colours.size(), 256u);
        for (size_t c = 0; c < 256; ++c)
            EXPECT_EQ(img.colours[c], pal[c].used() ? pal[c].rgb() : 0xFFFFFFu) << i << " " << c;
        EXPECT_EQ(img.transparent, f->hasTransparency ? int(f->transparentIndex) : -1) << i;
        EXPECT_EQ(img.delay, std::min<int>(int(f->delay), 65535)) << i;
        EXPECT_EQ(img.disposal, f->disposal) << i;
        std::vector<std::string> comments;
        for (const CommentNode& comment : f->comments) comments.push_back(comment.text);
        EXPECT_EQ(img.comments, comments) << i;
    }
    RecordingHost host2;
    AnimationDocument loaded(host2, 1);
    ASSERT_EQ(LoadGifIntoDocument(loaded, path), 0);
    const std::string again = TempPath("again.gif");
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
    EXPECT_EQ(SaveAnimationByType(doc_, "/nonexistent-dir/movie.AVI"), kSaveAviFailed);
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
