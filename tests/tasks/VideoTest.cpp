// Videos as users bring them to velmora-cli: clips of any size converted to GIF with the
// clip's own pictures and timing, loads that cannot be delivered whole, and AVI files
// that readers which trust the index can play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "document/MemoryBudget.h"
#include "document/PixelPlanes.h"
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

// A still photo with a cursor moving over it, `scenes` times: each scene after the first
// shows the photo's negative (a hard cut), 30 frames at 15 fps each.
std::string MakeScenes(const ts::TempFolder& folder, const std::string& name, int scenes) {
    const std::string photo = ts::MakePhoto(folder, "still.png", 160, 120);
    if (photo.empty()) return "";
    std::string graph = "[0:v]drawbox=x='t*40':y=10:w=8:h=12:color=white:t=fill";
    if (scenes == 2)
        graph +=
            ",split[a][b];[b]negate[n];[a]trim=end_frame=30[s0];"
            "[n]trim=start_frame=30:end_frame=60,setpts=PTS-STARTPTS[s1];[s0][s1]concat=n=2";
    const std::string path = folder.file(name);
    const ts::ToolResult r = ts::RunTool(
        "ffmpeg -v error -nostdin -y -loop 1 -framerate 15 -i " + ts::ShellQuote(photo) +
        " -filter_complex " + ts::ShellQuote(graph) + " -frames:v " + std::to_string(30 * scenes) +
        " -c:v mpeg4 -q:v 3 " + ts::ShellQuote(path));
    return r.status == 0 ? path : "";
}

// Mean PSNR in dB of the GIF's pictures against FFmpeg's frames of the clip.
double MeanPsnr(const std::string& clip, const std::string& gif) {
    const auto expected = ts::PeerVideoFrames(clip);
    const auto got = ts::PeerComposedPictures(gif);
    if (!expected || !got || expected->empty() || expected->size() != got->size()) return 0;
    double sum = 0;
    for (size_t i = 0; i < got->size(); ++i) {
        const auto& a = (*expected)[i].pixels;
        const auto& b = (*got)[i].pixels;
        if (a.size() != b.size()) return 0;
        double squares = 0;
        for (size_t p = 0; p < a.size(); ++p)
            for (int shift : {16, 8, 0}) {
                const int d = int((a[p] >> shift) & 0xFF) - int((b[p] >> shift) & 0xFF);
                squares += d * d;
            }
        const double mse = std::max(squares / (3.0 * double(a.size())), 1e-3);
        sum += 10 * std::log10(255.0 * 255.0 / mse);
    }
    return sum / double(got->size());
}

// --shared-palette: frames of one scene share one palette, the GIF's global table; a hard
// cut starts a second. The file is smaller and looks the same (PSNR within half a dB).
TEST(SharedPalette, OneScenesFramesShareOnePaletteAndACutStartsAnother) {
    const struct {
        int scenes;
        size_t runs;       // palettes in force, one after the other
        size_t localMaps;  // images with a colour table of their own
    } rows[] = {{1, 1, 0}, {2, 2, 30}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.scenes << " scenes");
        const ts::TempFolder folder;
        const std::string in = MakeScenes(folder, "clip.avi", row.scenes);
        ASSERT_FALSE(in.empty());
        const std::string own = folder.file("own.gif"), shared = folder.file("shared.gif");
        ts::ToolResult r = ts::RunCli({"convert", in, "-o", own, "--palette", "quality"});
        ASSERT_EQ(r.status, 0) << r.err;
        r = ts::RunCli({"convert", in, "-o", shared, "--palette", "quality", "--shared-palette"});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto gif = ts::GiflibDecode(shared);
        ASSERT_TRUE(gif.has_value());
        ASSERT_EQ(gif->images.size(), size_t(30 * row.scenes));
        size_t runs = 0, localMaps = 0;
        for (size_t i = 0; i < gif->images.size(); ++i) {
            const ts::PeerImage& image = gif->images[i];
            localMaps += image.hasLocalMap;
            if (i == 0 || image.colours != gif->images[i - 1].colours) {
                ++runs;
                EXPECT_EQ(i % 30, 0u) << "a palette changes within a scene at " << i;
            }
        }
        EXPECT_EQ(runs, row.runs);
        EXPECT_EQ(localMaps, row.localMaps);
        EXPECT_LT(ts::ReadBytes(shared).size(), ts::ReadBytes(own).size());
        const double ownPsnr = MeanPsnr(in, own), sharedPsnr = MeanPsnr(in, shared);
        EXPECT_GT(ownPsnr, 25);
        EXPECT_GE(sharedPsnr, ownPsnr - 0.5);
    }
    // The exact palette is every frame's own colours: nothing to share.
    const ts::ToolResult r = ts::RunCli({"convert", "in.avi", "-o", "out.gif", "--shared-palette"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--shared-palette goes with --palette quality"), std::string::npos)
        << r.err;
}

// A clip is reduced while it is decoded: no more than a small window of frames is ever in
// true colour, however long the clip, and the frames arrive whole and in order.
TEST(VideoImportMemory, OnlyAWindowOfFramesIsHeldInTrueColour) {
    const ts::TempFolder folder;
    const std::string in = ts::MakeVideo(folder, "clip.avi", "testsrc2", 160, 120, 60, 25);
    ASSERT_FALSE(in.empty());
    const struct {
        PaletteKind palette;
        bool shared;
        int64_t window;  // beyond twice the workers
    } rows[] = {{PaletteKind::Exact, false, 0}, {PaletteKind::Quality, true, 8}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shared ? "shared quality palette" : "exact palette");
        RecordingHost host;
        AnimationDocument doc(host);
        doc.busy = true;
        doc.settings.keepTrueColorInfo = false;
        doc.settings.palette = row.palette;
        doc.settings.sharedPalette = row.shared;
        RememberedAviChoices() = AviLoadChoices{};
        const int64_t before = TrueColourBuffer::LiveCount();
        TrueColourBuffer::ResetPeak();
        ASSERT_EQ(ImportAvi(doc, in), 0);
        EXPECT_LE(TrueColourBuffer::PeakCount() - before,
                  2 * doc.jobs().workerCount() + row.window);
        EXPECT_EQ(doc.frameCount, 60);
        std::string labels;
        int k = 0;
        for (FrameRecord* f = doc.firstFrame; f; f = f->next, ++k) {
            f->WaitForReduction();
            EXPECT_TRUE(f->IsPaletteValid()) << k;
        }
        EXPECT_EQ(k, 60);
    }
}

// A HD clip whose frames need more than the 2.5 GiB the run may take even as palette
// indexes alone: the command line refuses it up front (the budget knows the limit) or,
// should memory still run out, never delivers fewer frames than were asked; either way it
// says why.
TEST(VideoShortfall, ALoadThatRunsOutOfMemoryFailsTheRun) {
    if (ts::SmallMachineMiB() == 0) GTEST_SKIP() << "no address-space limit under the sanitizers";
    const ts::TempFolder folder;
    const std::string part = ts::MakeVideo(folder, "part.avi", "testsrc2", 1920, 1080, 50, 25);
    ASSERT_FALSE(part.empty());
    const std::string in = folder.file("hd.avi");
    const ts::ToolResult made =
        ts::RunTool("ffmpeg -v error -nostdin -y -stream_loop 30 -i " + ts::ShellQuote(part) +
                    " -c copy -frames:v 1500 " + ts::ShellQuote(in));
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out}, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.status, 1) << r.err;
    const bool refused =
        r.err.find("1500 frames of 1920 x 1080 pixels need more memory") != std::string::npos;
    const bool shortfall = r.err.find("of 1500 frames could be loaded.") != std::string::npos;
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

// An animated WebP is made from the frames' true colour, which every frame keeps.
TEST_F(OverBudget, TheCommandLineRefusesUpFront) {
    const std::string out = folder_->file("out.webp");
    const ts::ToolResult r = ts::RunCli({"convert", path_, "-o", out}, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("need more memory than this computer has"), std::string::npos) << r.err;
    EXPECT_TRUE(ts::ReadBytes(out).empty());
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

// Four flat bands coded the way cameras and screen recorders code them: BT.601 or BT.709,
// limited or full range, without loss. Each band comes back within two levels of its
// colour (one of them the exact palette's grid): converting with the wrong matrix is off
// by up to 20 levels, the fast converter's rounding by three.
TEST(VideoColours, EveryMatrixAndRangeComesBackAsTheColoursCoded) {
    const uint32_t bands[] = {0xD02020, 0x1C1F24, 0x20C040, 0x3050E0};
    const struct {
        const char* name;
        const char* filter;
        const char* tags;
    } codings[] = {
        {"bt601.mkv", "out_color_matrix=bt601:out_range=tv", ""},
        {"bt709.mkv", "out_color_matrix=bt709:out_range=tv",
         "-colorspace bt709 -color_primaries bt709 -color_trc bt709"},
        {"full.mkv", "out_color_matrix=bt601:out_range=pc", "-color_range pc"},
    };
    const ts::TempFolder folder;
    std::string draw = "convert -size 64x16 xc:black";
    for (int b = 0; b < 4; ++b) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%06X", unsigned(bands[b]));
        draw += " -fill '" + std::string(colour) + "' -draw 'rectangle " + std::to_string(16 * b) +
                ",0 " + std::to_string(16 * b + 15) + ",15'";
    }
    const std::string picture = folder.file("bands.png");
    ASSERT_EQ(ts::RunTool(draw + " -define png:color-type=2 " + ts::ShellQuote(picture)).status, 0);
    for (const auto& c : codings) {
        SCOPED_TRACE(c.name);
        const std::string clip = folder.file(c.name), out = folder.file("out.gif");
        ASSERT_EQ(ts::RunTool("ffmpeg -v error -nostdin -y -loop 1 -framerate 10 -i " +
                              ts::ShellQuote(picture) + " -frames:v 2 -vf scale=" + c.filter +
                              ":flags=accurate_rnd+full_chroma_int,format=yuv420p " + c.tags +
                              " -c:v libx264 -qp 0 " + ts::ShellQuote(clip))
                      .status,
                  0);
        ASSERT_EQ(ts::RunCli({"convert", clip, "-o", out}).status, 0);
        const auto got = ts::PeerComposedPictures(out);
        ASSERT_TRUE(got && got->size() == 2 && (*got)[0].width == 64);
        for (int b = 0; b < 4; ++b) {
            const uint32_t shown = (*got)[0].pixels[size_t(8 * 64 + 16 * b + 8)];
            for (int shift : {16, 8, 0})
                EXPECT_LE(std::abs(int((shown >> shift) & 0xFF) - int((bands[b] >> shift) & 0xFF)),
                          2)
                    << std::hex << "band " << bands[b] << " shown as " << shown;
        }
    }
}

}  // namespace
