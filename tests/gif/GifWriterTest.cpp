#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "gif/GifResult.h"
#include "gif/GifWriter.h"
#include "gif/LzwDecoder.h"
#include "gif/LzwEncoder.h"
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

class GifWriterTest : public ::testing::Test {
  protected:
    const testing_support::TempFolder folder_;
    RecordingHost host_;
    AnimationDocument doc_{host_, 1};
};

}  // namespace

TEST_F(GifWriterTest, OnePixelFrameIsClearPixelEndAndAnEmptyCommentOneBlock) {
    FrameRecord* f = MakeFrame(doc_, 1, 1, {0x112233, 0x445566}, 1);
    AppendToDocument(doc_, f, "one");
    const std::string path = folder_.file("one.gif");
    ASSERT_EQ(SaveSingleGif(doc_, *f, path), kSaveOk);
    const auto bytes = testing_support::ReadBytes(path);
    // No graphic control or application block in a single image: the descriptor and its
    // table of 256, code size 8, then 256, 1, 257 at 9 bits: 27 bits in 4 bytes.
    const size_t d = 13 + ((bytes[10] & 0x80) ? (3u << ((bytes[10] & 7) + 1)) : 0u);
    ASSERT_EQ(bytes.size(), d + 10 + 768 + 8);
    EXPECT_EQ(bytes[d], 0x2C);
    const std::vector<uint8_t> expected{8, 4, 0x00, 0x03, 0x04, 0x04, 0x00, 0x3B};
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 8, bytes.end()), expected);
    // giflib cannot read an empty comment, so it is checked here: the terminator alone.
    std::vector<uint8_t> comment;
    gif_blocks::WriteComment("", comment);
    EXPECT_EQ(comment, (std::vector<uint8_t>{0x21, 0xFE, 0x00}));
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
        const std::string path = folder_.file("global.gif");
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
    // cannot read an empty one), a delay above 16 bits.
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

    const std::string path = folder_.file("oracle.gif");
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
        // Delays above 16 bits are clamped.
        EXPECT_EQ(std::vector<int>({img.left, img.top, img.width, img.height, img.hasLocalMap,
                                    img.transparent, img.delay, img.disposal}),
                  std::vector<int>({f->left, f->top, f->width, f->height, f->hasLocalPalette,
                                    f->hasTransparency ? int(f->transparentIndex) : -1,
                                    std::min<int>(int(f->delay), 65535), f->disposal}))
            << i;
        EXPECT_EQ(img.indexes, FramePixels(*f)) << "frame " << i;
        // The table always has 256 entries; unused palette slots are written as white.
        const Palette& pal = f->effectivePalette();
        ASSERT_EQ(img.colours.size(), 256u);
        for (size_t c = 0; c < 256; ++c)
            EXPECT_EQ(img.colours[c], pal[c].used() ? pal[c].rgb() : 0xFFFFFFu) << i << " " << c;
        std::vector<std::string> comments;
        for (const CommentNode& comment : f->comments) comments.push_back(comment.text);
        EXPECT_EQ(img.comments, comments) << i;
    }
    RecordingHost host2;
    AnimationDocument loaded(host2, 1);
    ASSERT_EQ(LoadGifIntoDocument(loaded, path), 0);
    const std::string again = folder_.file("again.gif");
    ASSERT_EQ(SaveAnimation(loaded, again), kSaveOk);
    const std::vector<uint8_t> bytes = testing_support::ReadBytes(again);
    EXPECT_EQ(testing_support::ReadBytes(path), bytes);
    // A frame saved alone is written as in the animation: all that follows the header and
    // the global table of 256 stands there byte for byte.
    for (FrameRecord* f = loaded.firstFrame; f; f = f->next) {
        ASSERT_EQ(SaveSingleGif(loaded, *f, again), kSaveOk);
        const std::vector<uint8_t> alone = testing_support::ReadBytes(again);
        EXPECT_NE(
            std::search(bytes.begin(), bytes.end(), alone.begin() + 13 + 768, alone.end() - 1),
            bytes.end());
    }
}

TEST_F(GifWriterTest, FailedWritesLeaveTheOldFileAndNoTemporary) {
    for (int i = 0; i < 3; ++i)
        AppendToDocument(doc_, RandomFrame(doc_, 200, 200, 256, uint32_t(i)), "f");
    const std::string path = folder_.file("keep.gif");
    const std::vector<uint8_t> good{'o', 'l', 'd'};
    testing_support::WriteBytes(path, good);
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
    EXPECT_EQ(testing_support::ReadBytes(path), good);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        files += e.path().filename().string().find("keep.gif") != std::string::npos;
    EXPECT_EQ(files, 1);

    EXPECT_EQ(SaveAnimation(doc_, "/nonexistent-dir/x.gif"), kSaveCannotWrite);
    EXPECT_EQ(SaveAnimationByType(doc_, "/nonexistent-dir/movie.AVI"), kSaveAviFailed);
    ASSERT_EQ(SaveAnimation(doc_, path), kSaveOk);
    EXPECT_TRUE(GiflibDecode(path));
}

// One encoder codes every image of a save; after 65535 images its stamps start again,
// and the strings of the first image must not come back as known ones.
TEST_F(GifWriterTest, CodeTableIsClearedWhenItsStampsWrapAround) {
    FrameRecord* f = RandomFrame(doc_, 60, 50, 256, 5);
    AppendToDocument(doc_, f, "noise");
    const IndexBuffer* plane = f->indexPlane().get();
    LzwEncoder encoder;
    std::vector<uint8_t> first, dot, again;
    encoder.EncodeImage(plane, 60, 50, 8, first);
    for (int i = 0; i < 65534; ++i) encoder.EncodeImage(nullptr, 1, 1, 8, dot);
    encoder.EncodeImage(plane, 60, 50, 8, again);
    EXPECT_EQ(again, first);
}

// What the coder may vary: every way decodes (our decoder and giflib's rules alike) to the
// indexes it reports, flexible pixels only ever take the alternative, lossy ones only a
// colour within the error, and a full table kept on still decodes.
TEST_F(GifWriterTest, ChoosingCodersDecodeToWhatTheyChose) {
    const int w = 160, h = 120;
    FrameRecord* f = RandomFrame(doc_, w, h, 64, 3);
    AppendToDocument(doc_, f, "choosing");
    // Runs, so that strings grow long, over noise, so that the table fills.
    auto plane = f->indexPlane();
    for (int y = 0; y < h; y += 2)
        for (int x = 0; x < w / 2; ++x) plane->set(x, y, uint8_t((x / 9) % 5));
    std::vector<uint8_t> flexible(size_t(w) * size_t(h));
    for (size_t i = 0; i < flexible.size(); ++i) flexible[i] = (i * 7919) % 3 == 0;
    std::vector<uint32_t> colours(256, kNotAColour);
    for (int i = 0; i < 63; ++i) colours[size_t(i)] = uint32_t(i) * 0x040404u;
    const std::pair<const char*, LzwChoices> ways[] = {
        {"plain, table kept", {.keepFullTable = true}},
        {"flexible, alternative first",
         {.flexible = flexible.data(),
          .preferAlternative = true,
          .startWithAlternative = true,
          .keepFullTable = true}},
        {"lossy", {.maxError = 12}},
        {"lossy and flexible, table kept",
         {.flexible = flexible.data(),
          .preferAlternative = true,
          .maxError = 30,
          .keepFullTable = true}},
        {"flexible, looking ahead, table kept",
         {.flexible = flexible.data(), .lookAhead = true, .keepFullTable = true}}};
    for (const auto& [label, way] : ways) {
        SCOPED_TRACE(label);
        LzwChoices choices = way;
        choices.alternative = 63;
        choices.colours = colours.data();
        auto chosen = IndexBuffer::Create(nullptr, w, h);
        std::vector<uint8_t> out;
        LzwEncoder encoder;
        encoder.EncodeChoosing(plane.get(), w, h, 8, choices, out, chosen.get());
        // Join the sub-blocks after the code size byte.
        std::vector<uint8_t> data;
        for (size_t at = 1; at < out.size() && out[at] != 0; at += size_t(out[at]) + 1)
            data.insert(data.end(), out.begin() + ptrdiff_t(at) + 1,
                        out.begin() + ptrdiff_t(at) + 1 + out[at]);
        std::vector<uint8_t> decoded(size_t(w) * size_t(h));
        LzwDecoder decoder;
        ASSERT_EQ(decoder.Decode(data.data(), data.size(), 8, decoded.data(), decoded.size()),
                  kGifOk);
        ASSERT_EQ(decoder.produced(), decoded.size());
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(y) * size_t(w) + size_t(x);
                const uint8_t own = plane->get(x, y), got = chosen->get(x, y);
                ASSERT_EQ(decoded[i], got) << x << "," << y;
                if (got == own || (way.flexible && flexible[i] && got == 63)) continue;
                ASSERT_GT(way.maxError, 0) << x << "," << y;
                const int d = std::abs(int(colours[got] & 0xFF) - int(colours[own] & 0xFF));
                ASSERT_LE(d, 2 * way.maxError) << x << "," << y;
            }
        }
    }
}

// The optimiser may ask for a smaller LZW code size and for a full code table to be kept;
// the writer does so only where the pixels allow it, and giflib reads every image back.
TEST_F(GifWriterTest, SmallerCodeSizesAndKeptTablesAreWrittenOnlyWhereThePixelsAllowThem) {
    struct Case {
        const char* label;
        int colours;  // the pixels lie below this
        uint8_t codeSize;
        int written;
    };
    const Case cases[] = {{"fits 2 bits", 4, 2, 2},
                          {"a pixel beyond 2 bits", 5, 2, 8},
                          {"fits 5 bits", 32, 5, 5},
                          {"not asked", 4, 0, 8},
                          {"1 is no GIF code size", 2, 1, 8}};
    for (const Case& c : cases) {
        FrameRecord* f = RandomFrame(doc_, 37, 23, c.colours, uint32_t(c.colours));
        f->lzwCodeSize = c.codeSize;
        AppendToDocument(doc_, f, c.label);
    }
    // Noise fills the table many times over; kept full, it codes to other bytes.
    FrameRecord* noise = RandomFrame(doc_, 200, 150, 256, 9);
    AppendToDocument(doc_, noise, "noise");
    const std::string cleared = folder_.file("cleared.gif"), kept = folder_.file("kept.gif");
    ASSERT_EQ(SaveAnimation(doc_, cleared), kSaveOk);
    noise->lzwKeepsFullTable = true;
    ASSERT_EQ(SaveAnimation(doc_, kept), kSaveOk);
    EXPECT_NE(testing_support::ReadBytes(kept).size(), testing_support::ReadBytes(cleared).size());
    for (const std::string& path : {cleared, kept}) {
        const std::vector<int> sizes =
            testing_support::LzwCodeSizes(testing_support::ReadBytes(path));
        ASSERT_EQ(sizes.size(), std::size(cases) + 1);
        for (size_t i = 0; i < std::size(cases); ++i)
            EXPECT_EQ(sizes[i], cases[i].written) << cases[i].label;
        const auto peer = GiflibDecode(path);
        ASSERT_TRUE(peer);
        size_t i = 0;
        for (FrameRecord* f = doc_.firstFrame; f; f = f->next, ++i)
            EXPECT_EQ(peer->images[i].indexes, FramePixels(*f)) << path << " image " << i;
    }
}
