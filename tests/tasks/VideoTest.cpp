// Videos as users bring them to velmora-cli: clips of any size converted to GIF with the
// clip's own pictures and timing, loads that cannot be delivered whole, and AVI files
// that readers which trust the index can play.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "io/AviImport.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Clips of odd and small sizes, every source, container and frame rate users have:
// every frame arrives with FFmpeg's picture, and the GIF plays as long as the clip.
struct Clip {
    const char* name;  // the container is the extension
    const char* source;
    int w, h, frames, fps;
};
void PrintTo(const Clip& c, std::ostream* os) {
    *os << c.name;
}

const Clip kClips[] = {
    {"testsrc12x8.avi", "testsrc", 12, 8, 12, 25},
    {"testsrc18x10.mp4", "testsrc", 18, 10, 12, 30},
    {"mandelbrot34x18.mkv", "mandelbrot", 34, 18, 12, 24},
    {"testsrc34x18.mov", "testsrc", 34, 18, 12, 12},
    {"testsrc2-150x86.avi", "testsrc2", 150, 86, 8, 25},
    {"pan80x60.avi", "pan", 80, 60, 15, 30},
    {"testsrc2-48x32.webm", "testsrc2", 48, 32, 6, 24},
    {"thirty.avi", "testsrc2", 64, 48, 90, 30},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30},
    {"twentyfour.mkv", "testsrc2", 64, 48, 72, 24},
    {"twentyfive.avi", "testsrc2", 64, 48, 75, 25},
    {"twelve.mov", "testsrc2", 64, 48, 36, 12},
};

class Videos : public testing::TestWithParam<Clip> {};

TEST_P(Videos, ConvertToAGifWithEveryFrameAndTheClipsTiming) {
    const ts::TempFolder folder;
    const Clip& clip = GetParam();
    const std::string in =
        ts::MakeVideo(folder, clip.name, clip.source, clip.w, clip.h, clip.frames, clip.fps);
    ASSERT_FALSE(in.empty());
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out}, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    const auto gif = ts::GiflibDecode(out);
    ASSERT_TRUE(gif.has_value());
    EXPECT_EQ(gif->screenWidth, clip.w);
    EXPECT_EQ(gif->screenHeight, clip.h);
    ASSERT_EQ(gif->images.size(), size_t(clip.frames));
    // Frame k starts at k / fps seconds; in hundredths times fps that is k * 100.
    long long shown = 0;
    for (int k = 0; k < clip.frames; ++k) {
        shown += gif->images[size_t(k)].delay;
        EXPECT_LE(std::llabs(shown * clip.fps - (k + 1) * 100LL), clip.fps) << "after frame " << k;
    }
    EXPECT_EQ(shown, clip.frames * 100LL / clip.fps);
    const auto expected = ts::PeerVideoFrames(in);
    const auto got = ts::PeerComposedPictures(out);
    ASSERT_TRUE(expected && got);
    ASSERT_EQ(expected->size(), got->size());
    for (size_t i = 0; i < got->size(); ++i)
        EXPECT_LE(ts::MeanChannelDifference((*expected)[i], (*got)[i]), 8) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(Clips, Videos, testing::ValuesIn(kClips),
                         [](const auto& info) { return std::to_string(info.index); });

// A HD clip whose frames need more than the 2.5 GiB the run may take: the command line
// refuses it up front (the budget knows the limit) or, should memory still run out,
// never delivers fewer frames than were asked; either way it says why.
TEST(VideoShortfall, ALoadThatRunsOutOfMemoryFailsTheRun) {
    if (ts::SmallMachineMiB() == 0) GTEST_SKIP() << "no address-space limit under the sanitizers";
    const ts::TempFolder folder;
    const std::string in = ts::MakeVideo(folder, "hd.avi", "testsrc2", 1920, 1080, 300, 25);
    ASSERT_FALSE(in.empty());
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out}, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.status, 1) << r.err;
    const bool refused =
        r.err.find("300 frames of 1920 x 1080 pixels need more memory") != std::string::npos;
    const bool shortfall = r.err.find("of 300 frames could be loaded.") != std::string::npos;
    EXPECT_TRUE(refused || shortfall) << r.err;
    EXPECT_FALSE(ts::GiflibDecode(out).has_value());
}

// More frames than the memory budget allows are refused before any is decoded on the
// command line and offered as a shorter load in the editor.
class OverBudget : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new ts::TempFolder;
        const std::string part =
            ts::MakeVideo(*folder_, "part.avi", "testsrc2", 1920, 1080, 50, 25);
        ASSERT_FALSE(part.empty());
        // Enough copies of the clip to hold more pixels than three quarters of the memory.
        const int64_t frameBytes = int64_t(1920) * 1080 * 5;
        const int64_t frames = PhysicalMemoryBytes() / frameBytes + 50;
        frames_ = int(frames);
        path_ = folder_->file("long.avi");
        const ts::ToolResult r =
            ts::RunTool("ffmpeg -v error -nostdin -y -stream_loop " + std::to_string(frames / 50) +
                        " -i " + ts::ShellQuote(part) + " -c copy -frames:v " +
                        std::to_string(frames) + " " + ts::ShellQuote(path_));
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static inline ts::TempFolder* folder_ = nullptr;
    static inline std::string path_;
    static inline int frames_ = 0;
};

TEST_F(OverBudget, TheCommandLineRefusesUpFront) {
    const std::string out = folder_->file("out.gif");
    const ts::ToolResult r = ts::RunCli({"convert", path_, "-o", out}, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("need more memory than this computer has"), std::string::npos) << r.err;
    EXPECT_FALSE(ts::GiflibDecode(out).has_value());
}

TEST_F(OverBudget, TheEditorAsksAndLoadsNothingOnNo) {
    RecordingHost host;
    host.answers = {Answer::No};
    AnimationDocument doc(host);
    RememberedAviChoices() = AviLoadChoices{};
    AviImportOptions options;
    options.interactive = true;
    int reads = 0;
    options.progress = [&](int, int, int) {
        ++reads;
        return true;
    };
    EXPECT_EQ(ImportAvi(doc, path_, options), -1);
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_NE(host.questions()[0].text.find(std::to_string(frames_) + " frames of 1920 x 1080"),
              std::string::npos)
        << host.questions()[0].text;
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(doc.empty());
}

// A GIF saved as AVI: every idx1 entry points at a chunk of its own id and size
// (offsets count from the list type "movi"), and the stream header announces the
// palette changes it carries.
TEST(AviExportIndex, EveryIndexEntryPointsAtItsChunk) {
    const ts::TempFolder folder;
    const std::string in = ts::MakePhotoGif(folder, "photo.gif", 120, 90, 4);
    ASSERT_FALSE(in.empty());
    const std::string out = folder.file("out.avi");
    const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint8_t> b = ts::ReadBytes(out);
    auto le32 = [&](size_t at) {
        return at + 4 <= b.size() ? uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 |
                                        uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24
                                  : 0u;
    };
    auto id = [&](size_t at) {
        return at + 4 <= b.size()
                   ? std::string(b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at + 4))
                   : std::string();
    };
    ASSERT_EQ(id(0), "RIFF");
    ASSERT_EQ(id(8), "AVI ");
    // Walk the top-level chunks and the header lists.
    size_t movi = 0, idx1 = 0, idx1Size = 0, strh = 0;
    std::vector<std::pair<size_t, size_t>> lists{{12, b.size()}};
    while (!lists.empty()) {
        auto [at, end] = lists.back();
        lists.pop_back();
        while (at + 8 <= end) {
            const std::string chunk = id(at);
            const size_t size = le32(at + 4);
            if (chunk == "LIST" && id(at + 8) == "movi") movi = at + 8;
            if (chunk == "LIST" && (id(at + 8) == "hdrl" || id(at + 8) == "strl"))
                lists.emplace_back(at + 12, at + 8 + size);
            if (chunk == "idx1") idx1 = at + 8, idx1Size = size;
            if (chunk == "strh") strh = at + 8;
            at += 8 + size + (size & 1);
        }
    }
    ASSERT_NE(movi, 0u);
    ASSERT_NE(idx1, 0u);
    ASSERT_NE(strh, 0u);
    EXPECT_EQ(id(strh), "vids");
    EXPECT_NE(le32(strh + 8) & 0x10000u, 0u) << "palette changes not announced";
    int pictures = 0, palettes = 0;
    for (size_t e = idx1; e + 16 <= idx1 + idx1Size; e += 16) {
        const std::string entry = id(e);
        const size_t chunk = movi + le32(e + 8);
        EXPECT_EQ(id(chunk), entry) << "entry " << (e - idx1) / 16;
        EXPECT_EQ(le32(chunk + 4), le32(e + 12)) << "entry " << (e - idx1) / 16;
        pictures += entry == "00db";
        palettes += entry == "00pc";
    }
    EXPECT_EQ(pictures, 4);
    EXPECT_EQ(palettes, 3);
}

}  // namespace
