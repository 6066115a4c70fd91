// Videos as users bring them to velmora-cli: clips converted to GIF, loads that cannot be
// delivered whole, and AVI files that readers which trust the index can play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "document/MemoryBudget.h"
#include "document/PixelPlanes.h"
#include "io/AviImport.h"
#include "io/FileBytes.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Clips of every source, container, rate and odd size, as they are, at fewer frames a
// second or smaller: each frame kept has FFmpeg's picture, and the GIF lasts as the clip.
struct Clip {
    const char* name;  // the container is the extension
    const char* source;
    int w, h, frames, fps;
    const char* options = "";
    int kept = 0, keptW = 0, keptH = 0;  // frames and size of the GIF; 0: the clip's
    int everyNth = 1;  // kept frame k is the clip's frame k * everyNth; 0: not checked
};
void PrintTo(const Clip& c, std::ostream* os) {
    *os << c.name << " " << c.options;
}

// clang-format off
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
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--fps 15", 45, 64, 48, 2},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--fps 10", 30, 64, 48, 3},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--fps 7", 21, 64, 48, 0},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--fps 60", 90, 64, 48, 1},  // never more
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--fps 15 --reverse", 45, 64, 48, 0},
    {"sixty.mkv", "testsrc2", 64, 48, 60, 60, "", 50, 64, 48, 0},  // the clip's rate, up to 50
    {"sixty.mkv", "testsrc2", 64, 48, 60, 60, "--fps 20", 20, 64, 48, 3},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--size 32x0", 90, 32, 24, 1},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--size 0x30 --fps 15", 45, 40, 30, 2},
    {"thirty.mp4", "testsrc2", 64, 48, 90, 30, "--size 101x13", 90, 101, 13, 1},
};
// clang-format on

class Videos : public testing::TestWithParam<Clip> {};

TEST_P(Videos, ConvertToAGifWithTheClipsPicturesAndTiming) {
    const ts::TempFolder folder;
    const Clip& c = GetParam();
    const std::string in = ts::MakeVideo(folder, c.name, c.source, c.w, c.h, c.frames, c.fps);
    ASSERT_FALSE(in.empty());
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r = ts::RunCli(
        "convert " + ts::ShellWords({in, "-o", out}) + " " + c.options, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    const auto gif = ts::GiflibDecode(out);
    ASSERT_TRUE(gif.has_value());
    const int w = c.keptW ? c.keptW : c.w, h = c.keptH ? c.keptH : c.h;
    EXPECT_EQ(std::make_pair(gif->screenWidth, gif->screenHeight), std::make_pair(w, h));
    ASSERT_EQ(gif->images.size(), size_t(c.kept ? c.kept : c.frames));
    // Frame k starts at k / fps seconds; in hundredths times fps that is k * 100.
    long long shown = 0;
    for (size_t k = 0; k < gif->images.size(); ++k) {
        shown += gif->images[k].delay;
        EXPECT_LE(c.kept ? 0LL : std::llabs(shown * c.fps - (long(k) + 1) * 100LL), c.fps) << k;
    }
    EXPECT_EQ(shown, c.frames * 100LL / c.fps);
    if (c.everyNth == 0) return;
    // The clip's frames as FFmpeg scales them to that size.
    std::string scaled = in;
    if (w != c.w || h != c.h) {
        scaled = folder.file("scaled.mkv");
        ASSERT_TRUE(ts::ToolSucceeds("ffmpeg -v error -y -i " + ts::ShellQuote(in) +
                                     " -vf scale=" + std::to_string(w) + ":" + std::to_string(h) +
                                     ":flags=area -c:v ffv1 " + ts::ShellQuote(scaled)));
    }
    const auto expected = ts::PeerVideoFrames(scaled);
    const auto got = ts::PeerComposedPictures(out);
    ASSERT_TRUE(expected && got);
    for (size_t k = 0; k < got->size(); ++k) {
        ASSERT_LT(k * size_t(c.everyNth), expected->size());
        EXPECT_LE(ts::MeanChannelDifference((*expected)[k * size_t(c.everyNth)], (*got)[k]),
                  c.kept ? 10 : 8)
            << "frame " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, Videos, testing::ValuesIn(kClips),
                         [](const auto& info) { return std::to_string(info.index); });

// The mean channel difference of the GIF's pictures from FFmpeg's frames of the clip.
double MeanError(const std::string& clip, const std::string& gif) {
    const auto expected = ts::PeerVideoFrames(clip);
    const auto got = ts::PeerComposedPictures(gif);
    if (!expected || !got || expected->empty() || expected->size() != got->size()) return 256;
    double sum = 0;
    for (size_t i = 0; i < got->size(); ++i)
        sum += ts::MeanChannelDifference((*expected)[i], (*got)[i]);
    return sum / double(got->size());
}

// --shared-palette on 30 frames of a photo with a moving cursor, then 30 of its negative:
// a scene shares one palette, the cut starts another; smaller, and about the same look.
TEST(SharedPalette, OneScenesFramesShareOnePaletteAndACutStartsAnother) {
    const ts::TempFolder folder;
    const std::string photo = ts::MakePhoto(folder, "still.png", 160, 120);
    const std::string in = folder.file("clip.avi");
    ASSERT_TRUE(ts::ToolSucceeds(
        "ffmpeg -v error -nostdin -y -loop 1 -framerate 15 -i " + ts::ShellQuote(photo) +
        " -filter_complex " +
        ts::ShellQuote("[0:v]drawbox=x='t*40':y=10:w=8:h=12:color=white:t=fill,split[a][b];"
                       "[b]negate[n];[a]trim=end_frame=30[s0];[n]trim=start_frame=30:"
                       "end_frame=60,setpts=PTS-STARTPTS[s1];[s0][s1]concat=n=2") +
        " -frames:v 60 -c:v mpeg4 -q:v 3 " + ts::ShellQuote(in)));
    const std::string own = folder.file("own.gif"), shared = folder.file("shared.gif");
    ASSERT_TRUE(ts::CliSucceeds({"convert", in, "-o", own, "--palette", "quality"}));
    ASSERT_TRUE(
        ts::CliSucceeds({"convert", in, "-o", shared, "--palette", "quality", "--shared-palette"}));
    const auto gif = ts::GiflibDecode(shared);
    ASSERT_TRUE(gif.has_value());
    ASSERT_EQ(gif->images.size(), 60u);
    size_t runs = 0, localMaps = 0;
    for (size_t i = 0; i < gif->images.size(); ++i) {
        const ts::PeerImage& image = gif->images[i];
        localMaps += image.hasLocalMap;
        if (i == 0 || image.colours != gif->images[i - 1].colours) {
            ++runs;
            EXPECT_EQ(i % 30, 0u) << "a palette changes within a scene at " << i;
        }
    }
    EXPECT_EQ(runs, 2u);
    EXPECT_EQ(localMaps, 30u);
    EXPECT_LT(ts::ReadBytes(shared).size(), ts::ReadBytes(own).size());
    const double ownError = MeanError(in, own), sharedError = MeanError(in, shared);
    EXPECT_LT(ownError, 6);
    EXPECT_LE(sharedError, ownError * 1.1) << ownError;
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
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
            f->WaitForReduction();
            EXPECT_TRUE(f->IsPaletteValid());
        }
    }
}

// More HD frames than the memory budget allows: refused before any is decoded on the
// command line, offered as a shorter load in the editor, which loads nothing on No.
TEST(VideoOverBudget, RefusedUpFrontOrOfferedShorter) {
    const ts::TempFolder folder;
    const std::string part = ts::MakeVideo(folder, "part.avi", "testsrc2", 1920, 1080, 50, 25);
    ASSERT_FALSE(part.empty());
    // Enough copies of the clip to hold more pixels than three quarters of the memory.
    const int frames = int(PhysicalMemoryBytes() / (int64_t(1920) * 1080 * 5) + 50);
    const std::string in = folder.file("long.avi"), out = folder.file("out.webp");
    ASSERT_TRUE(ts::ToolSucceeds("ffmpeg -v error -nostdin -y -stream_loop " +
                                 std::to_string(frames / 50) + " -i " + ts::ShellQuote(part) +
                                 " -c copy -frames:v " + std::to_string(frames) + " " +
                                 ts::ShellQuote(in)));
    const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out}, ts::SmallMachineMiB());
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("need more memory than this computer has"), std::string::npos) << r.err;
    EXPECT_TRUE(ts::ReadBytes(out).empty());

    RecordingHost host;
    host.answers = {Answer::No};
    AnimationDocument doc(host);
    RememberedAviChoices() = AviLoadChoices{};
    AviImportOptions options;
    options.interactive = true;
    int reads = 0;
    options.progress = [&](int, int, int) { return ++reads > 0; };
    EXPECT_EQ(ImportAvi(doc, in, options), -1);
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_NE(host.questions()[0].text.find(std::to_string(frames) + " frames of 1920 x 1080"),
              std::string::npos)
        << host.questions()[0].text;
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(doc.empty());
}

// A GIF saved as AVI: every idx1 entry points at a chunk of its id and size (offsets from
// "movi"), and the stream header announces its palette changes.
TEST(AviExportIndex, EveryIndexEntryPointsAtItsChunk) {
    const ts::TempFolder folder;
    const std::string in = ts::MakePhotoGif(folder, "photo.gif", 120, 90, 4);
    ASSERT_FALSE(in.empty());
    const std::string out = folder.file("out.avi");
    ASSERT_TRUE(ts::CliSucceeds({"convert", in, "-o", out}));
    const std::vector<uint8_t> b = ts::ReadBytes(out);
    auto le32 = [&](size_t at) { return at + 4 <= b.size() ? ReadLe32(&b[at]) : 0u; };
    auto id = [&](size_t at) {
        return at + 4 <= b.size()
                   ? std::string(b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at + 4))
                   : std::string();
    };
    ASSERT_EQ(id(0) + id(8), "RIFFAVI ");
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
    ASSERT_TRUE(movi && idx1 && strh);
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

// The quality palette stays closer to a clip than the exact rule.

TEST(QualityPalette, AClipConvertedWithItStaysCloserToTheClip) {
    const ts::TempFolder folder;
    const struct {
        const char* name;
        const char* source;
        int w, h;
    } clips[] = {{"pan.mkv", "pan", 160, 120}, {"mandelbrot.mp4", "mandelbrot", 97, 61}};
    for (const auto& clip : clips) {
        SCOPED_TRACE(clip.name);
        const std::string in = ts::MakeVideo(folder, clip.name, clip.source, clip.w, clip.h, 6, 25);
        ASSERT_FALSE(in.empty());
        const auto expected = ts::PeerVideoFrames(in);
        ASSERT_TRUE(expected && expected->size() == 6);
        double error[2] = {0, 0};
        const char* kinds[] = {"exact", "quality"};
        for (int k = 0; k < 2; ++k) {
            const std::string out = folder.file(std::string(kinds[k]) + ".gif");
            const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out, "--palette", kinds[k]});
            ASSERT_EQ(r.status, 0) << r.err;
            const auto got = ts::PeerComposedPictures(out);
            ASSERT_TRUE(got && got->size() == 6);
            for (size_t i = 0; i < 6; ++i)
                error[k] += ts::MeanChannelDifference((*expected)[i], (*got)[i]);
        }
        EXPECT_LT(error[1], error[0]);
    }
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
    } codings[] = {{"bt601.mkv", "out_color_matrix=bt601:out_range=tv", ""},
                   {"bt709.mkv", "out_color_matrix=bt709:out_range=tv",
                    "-colorspace bt709 -color_primaries bt709 -color_trc bt709"},
                   {"full.mkv", "out_color_matrix=bt601:out_range=pc", "-color_range pc"}};
    const ts::TempFolder folder;
    std::string draw = "convert -size 64x16 xc:black";
    for (int b = 0; b < 4; ++b) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%06X", unsigned(bands[b]));
        draw += " -fill '" + std::string(colour) + "' -draw 'rectangle " + std::to_string(16 * b) +
                ",0 " + std::to_string(16 * b + 15) + ",15'";
    }
    const std::string picture = folder.file("bands.png");
    ASSERT_TRUE(ts::ToolSucceeds(draw + " -define png:color-type=2 " + ts::ShellQuote(picture)));
    for (const auto& c : codings) {
        SCOPED_TRACE(c.name);
        const std::string clip = folder.file(c.name), out = folder.file("out.gif");
        ASSERT_TRUE(ts::ToolSucceeds("ffmpeg -v error -nostdin -y -loop 1 -framerate 10 -i " +
                                     ts::ShellQuote(picture) +
                                     " -frames:v 2 -vf scale=" + c.filter +
                                     ":flags=accurate_rnd+full_chroma_int,format=yuv420p " +
                                     c.tags + " -c:v libx264 -qp 0 " + ts::ShellQuote(clip)));
        ASSERT_TRUE(ts::CliSucceeds({"convert", clip, "-o", out}));
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

}  // namespace
