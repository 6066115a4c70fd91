// An animation saved by velmora-cli convert as WebP, APNG, MP4, WebM and AVI: peers read
// back as many frames, the same length, the pictures and the loop count.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using ts::PrintTo;

// Uneven delays with one that is no multiple of the others; an odd size.
const std::vector<int> kDelays{10, 20, 30, 40, 7};
constexpr int kWidth = 71, kHeight = 53;

enum class Reader { Ffmpeg, Magick };

struct FormatCase {
    const char* label;     // the extension
    Reader reader;         // who decodes the pictures and the timing
    double meanTolerance;  // mean channel difference of the first and last picture
    int codedWidth, codedHeight;
    bool keepsLoop;
};

const FormatCase kFormats[] = {
    // The lossy codecs' own loss on a small photo (a swapped channel or a shifted picture
    // is far beyond it). ImageMagick reads animated WebP (quality 90), FFmpeg 5 does not.
    {"webp", Reader::Magick, 7.0, kWidth, kHeight, true},
    {"apng", Reader::Ffmpeg, 0.0, kWidth, kHeight, true},
    // 4:2:0 needs even sides: one column and one row repeat the last ones.
    {"mp4", Reader::Ffmpeg, 9.0, kWidth + 1, kHeight + 1, false},
    {"webm", Reader::Ffmpeg, 10.0, kWidth + 1, kHeight + 1, false},
    // Palettised and repeated at a constant rate: the distinct frames are the GIF's.
    {"avi", Reader::Ffmpeg, 0.0, kWidth, kHeight, false},
};

ts::ComposedPicture Crop(const ts::ComposedPicture& p, int w, int h) {
    ts::ComposedPicture out{w, h, {}};
    for (int y = 0; y < h && y < p.height; ++y)
        for (int x = 0; x < w && x < p.width; ++x)
            out.pixels.push_back(p.pixels[size_t(y) * size_t(p.width) + size_t(x)]);
    return out;
}

// Frame count and length in seconds as the peer sees them.
struct Timing {
    int frames = -1;
    double seconds = -1;
};

Timing FfmpegTiming(const std::string& path) {
    const auto probe = [&](const std::string& what) {
        return std::istringstream(
            ts::RunTool("ffprobe -v error -of csv=p=0 " + what + " " + ts::ShellQuote(path)).out);
    };
    Timing t;
    probe("-count_frames -select_streams v:0 -show_entries stream=nb_read_frames") >> t.frames;
    if (!(probe("-show_entries format=duration") >> t.seconds)) {
        // APNG has no container length: the last packet's start and duration.
        std::istringstream lines =
            probe("-select_streams v:0 -show_entries packet=pts_time,duration_time");
        double start = 0, duration = 0;
        for (char comma = 0; lines >> start >> comma >> duration;) t.seconds = start + duration;
    }
    return t;
}

Timing MagickTiming(const std::string& path) {
    Timing t;
    const ts::ToolResult delays = ts::RunTool("identify -format '%T\\n' " + ts::ShellQuote(path));
    std::istringstream lines(delays.out);
    int total = 0, frames = 0;
    for (int delay = 0; lines >> delay; ++frames) total += delay;
    if (delays.status == 0 && frames > 0) t = Timing{frames, total / 100.0};
    return t;
}

// How often the file says it plays (0: for ever), from the container's own field; -1
// when it has none.
int StoredPlays(const std::string& path) {
    const std::vector<uint8_t> b = ts::ReadBytes(path);
    const auto find = [&](const char* tag) {
        for (size_t i = 0; i + 4 <= b.size(); ++i)
            if (std::equal(tag, tag + 4, b.begin() + ptrdiff_t(i))) return i;
        return b.size();
    };
    const size_t anim = find("ANIM");  // WebP: 4 bytes of background, then 16-bit plays
    if (anim + 14 <= b.size()) return b[anim + 12] | (b[anim + 13] << 8);
    const size_t actl = find("acTL");  // APNG: 32-bit frames, then 32-bit plays
    if (actl + 12 <= b.size())
        return int(uint32_t(b[actl + 8]) << 24 | uint32_t(b[actl + 9]) << 16 |
                   uint32_t(b[actl + 10]) << 8 | uint32_t(b[actl + 11]));
    return -1;
}

class AnimatedFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(AnimatedFormats, KeepFramesDurationPicturesAndLoop) {
    const FormatCase& c = GetParam();
    const ts::TempFolder folder;
    const std::string gif = ts::MakeTimedPhotoGif(folder, "photo.gif", kWidth, kHeight, kDelays, 3);
    ASSERT_FALSE(gif.empty());
    const std::string out = folder.file(std::string("out.") + c.label);
    const ts::ToolResult run = ts::RunCli({"convert", gif, "-o", out});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Written beside the target and renamed: nothing else is left in the folder.
    EXPECT_EQ(ts::EntriesIn(folder.path()), 2);

    const Timing t = c.reader == Reader::Magick ? MagickTiming(out) : FfmpegTiming(out);
    const double length = std::accumulate(kDelays.begin(), kDelays.end(), 0) / 100.0;
    EXPECT_EQ(t.frames, int(kDelays.size()));
    EXPECT_NEAR(t.seconds, length, length / 100) << "frames " << t.frames;

    const auto shown = ts::PeerComposedPictures(gif);
    const auto got =
        c.reader == Reader::Magick ? ts::PeerComposedPictures(out) : ts::PeerVideoFrames(out);
    ASSERT_TRUE(shown && got);
    ASSERT_EQ(got->size(), kDelays.size());
    for (const size_t k : {size_t(0), kDelays.size() - 1}) {
        SCOPED_TRACE(testing::Message() << "picture " << k);
        EXPECT_EQ(std::make_pair((*got)[k].width, (*got)[k].height),
                  std::make_pair(c.codedWidth, c.codedHeight));
        const ts::ComposedPicture picture = Crop((*got)[k], kWidth, kHeight);
        if (c.meanTolerance == 0)
            EXPECT_EQ(ts::MaxChannelDifference((*shown)[k], picture), 0);
        else
            EXPECT_LE(ts::MeanChannelDifference((*shown)[k], picture), c.meanTolerance);
    }

    EXPECT_EQ(StoredPlays(out), c.keepsLoop ? 3 : -1);

    // A file that cannot be written: the program's message and status 1, nothing left.
    const std::string missing = folder.file(std::string("missing/out.") + c.label);
    const ts::ToolResult failed = ts::RunCli({"convert", gif, "-o", missing});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("Could not save"), std::string::npos) << failed.err;
    EXPECT_EQ(ts::EntriesIn(folder.path()), 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, AnimatedFormats, testing::ValuesIn(kFormats), ts::ByLabel());

// Transparent parts stay transparent where the format has alpha, as ImageMagick composes
// the GIF (a disposal to the background clears the first picture).
TEST(AnimatedFormatsAlpha, WebpAndApngKeepTransparency) {
    const ts::TempFolder folder;
    const std::string gif = folder.file("shapes.gif");
    ASSERT_TRUE(ts::ToolSucceeds(
        "convert -dispose background -delay 20 \\( -size 61x41 xc:none -fill '#d02020' -draw "
        "'circle 30 20 30 4' \\) -delay 30 \\( -size 61x41 xc:none -fill '#2040c0' -draw "
        "'rectangle 5 5 33 30' \\) -loop 0 " +
        ts::ShellQuote(gif)));
    const auto shown = ts::PeerComposedPictures(gif);
    ASSERT_TRUE(shown && shown->size() == 2u);
    for (const char* ext : {"webp", "apng"}) {
        SCOPED_TRACE(ext);
        const std::string out = folder.file(std::string("out.") + ext);
        ASSERT_TRUE(ts::CliSucceeds({"convert", gif, "-o", out}));
        const auto got =
            std::string(ext) == "webp" ? ts::PeerComposedPictures(out) : ts::PeerVideoFrames(out);
        ASSERT_TRUE(got && got->size() == 2u);
        for (size_t k = 0; k < 2; ++k) {
            int alphaDiffers = 0, transparent = 0;
            for (size_t i = 0; i < (*got)[k].pixels.size(); ++i) {
                const bool a = ((*shown)[k].pixels[i] >> 24) >= 128;
                const bool b = ((*got)[k].pixels[i] >> 24) >= 128;
                alphaDiffers += a != b;
                transparent += !b;
            }
            EXPECT_EQ(alphaDiffers, 0) << "picture " << k;
            EXPECT_GT(transparent, 1000) << "picture " << k;
            EXPECT_LE(ts::MeanChannelDifference((*shown)[k], (*got)[k]), 3.0) << "picture " << k;
        }
        EXPECT_EQ(StoredPlays(out), 0);
    }
}

}  // namespace
