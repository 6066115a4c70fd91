// The video import's choices, directions, key frames and short loads, and the AVI
// export's failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "document/AnimationDocument.h"
#include "io/AviExport.h"
#include "io/AviImport.h"
#include "io/FileBytes.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Hand-worked ranges of a ten-frame stream and the texts of the Load AVI dialog.
TEST(AviChoicesTest, RangeValidationAndTexts) {
    const AviStreamInfo info{0, 10, 32, 24};
    const struct {
        bool reverse;
        int first, count;
        const char* says;
    } cases[] = {
        {false, 7, 3, ""},
        {true, 8, 3, ""},
        {true, 1, 3, "The first frame index is too small or the number of frames is too high."},
        {true, 1, 0, "The number of Frames must be greater than 0."},
        {false, 0, 11, "The AVI contains only 10 frames."},
        {false, -1, 2, "The AVI-frame indizes range from 0 to 9."},
    };
    for (const auto& c : cases) {
        const AviLoadChoices choices{
            .loadAll = false, .reverse = c.reverse, .count = c.count, .firstIndex = c.first};
        EXPECT_EQ(ValidateAviChoices(info, choices), c.says) << c.reverse << " " << c.first;
    }
    const AviLoadPlan plan = PlanAviLoad(info, AviLoadChoices{.reverse = true});
    EXPECT_EQ(std::vector<int>({plan.start, plan.count, plan.IndexAt(0), plan.IndexAt(9)}),
              std::vector<int>({9, 10, 9, 0}));
}

// Overwrites the pictures [from, to) of an AVI with bytes no decoder takes.
std::string Damage(const ts::TempFolder& folder, const std::string& path, int from, int to,
                   const char* name) {
    std::vector<uint8_t> bytes = ts::ReadBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    size_t at = text.find("movi") + 4;
    for (int picture = 0; picture < to && at + 8 <= bytes.size();) {
        const size_t size = size_t(ReadLe32(&bytes[at + 4]));
        if (text.compare(at, 4, "00dc") == 0 && picture++ >= from)
            std::fill_n(bytes.begin() + ptrdiff_t(at + 8), std::min(size, bytes.size() - at - 8),
                        uint8_t(0x5A));
        at += 8 + size + (size & 1);
    }
    ts::WriteBytes(folder.file(name), bytes);
    return folder.file(name);
}

// Clips as cameras and encoders make them (a key frame every twelve, the others
// predicted), one with its first 30 pictures damaged, one with its last 10, and a
// palettised one whose every frame brings its own colours. Any range, forwards or
// backwards (starting at the key frame before it, so a damaged first half still gives
// the second), holds the pictures a whole forward load gives, in loading order; a load
// that stops early fails on the command line and is kept with a warning in the editor.
TEST(VideoRanges, EveryRangeHoldsTheForwardPicturesInLoadingOrder) {
    const ts::TempFolder folder;
    const std::string clip = ts::MakeVideo(folder, "clip.avi", "testsrc2", 64, 48, 40, 25);
    const std::string whole = ts::MakeVideo(folder, "whole.avi", "testsrc2", 64, 48, 60, 25);
    const std::string pal = folder.file("pal.avi");
    ASSERT_TRUE(
        ts::ToolSucceeds("ffmpeg -v error -f lavfi -i testsrc2=size=32x24:rate=10 "
                         "-frames:v 10 -pix_fmt pal8 -c:v rawvideo " +
                         ts::ShellQuote(pal)));
    ASSERT_FALSE(clip.empty() || whole.empty());
    const std::string damaged = Damage(folder, whole, 0, 30, "damaged.avi");
    const std::string damagedEnd = Damage(folder, whole, 50, 60, "damaged-end.avi");
    const std::string out = folder.file("out.gif");
    const auto convert = [&](const std::string& in, const std::string& options) {
        std::filesystem::remove(out);
        return ts::RunCli("convert " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(out) + options);
    };
    // The forward loads; the clip's through the reduction to 256 colours is FFmpeg's
    // pictures, the palettised one's exactly.
    std::map<std::string, std::vector<ts::ComposedPicture>> forward;
    for (const auto& [in, sameAs] : {std::pair{clip, clip}, std::pair{whole, damaged}}) {
        ASSERT_EQ(convert(in, "").status, 0);
        forward[sameAs] = *ts::PeerComposedPictures(out);
        const auto peer = ts::PeerVideoFrames(in);
        ASSERT_TRUE(peer && peer->size() == forward[sameAs].size());
        for (size_t k = 0; k < peer->size(); ++k)
            EXPECT_LE(ts::MeanChannelDifference((*peer)[k], forward[sameAs][k]), 6) << k;
    }
    forward[pal] = *ts::PeerVideoFrames(pal);
    const char* const tooHigh = "The first frame index is too high";
    const struct {
        std::string file, options;
        int from, to;      // the frames loaded, in order
        const char* says;  // the failure
    } cases[] = {
        {clip, " --reverse", 39, 0, ""},
        {clip, " --avi-first 30 --avi-count 20 --reverse", 30, 11, ""},
        {clip, " --avi-first 17 --avi-count 10", 17, 26, ""},
        {damaged, " --avi-first 40 --avi-count 5", 40, 44, ""},
        {damaged, " --avi-first 44 --avi-count 5 --reverse", 44, 40, ""},
        {pal, " --reverse", 9, 0, ""},
        {damagedEnd, "", 0, 0, "Only 50 of 60 frames could be loaded."},
        {damagedEnd, " --avi-first 45 --avi-count 10", 0, 0,
         "Only 5 of 10 frames could be loaded."},
        {damaged, " --avi-first 40 --avi-count 12 --reverse", 0, 0, "frames could be loaded."},
        {clip, " --avi-first 38 --avi-count 3", 0, 0, tooHigh},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + c.options);
        const ts::ToolResult r = convert(c.file, c.options);
        EXPECT_EQ(r.signal, 0) << r.err;
        if (*c.says) {
            EXPECT_EQ(r.status, 1) << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.err;
        const auto got = ts::PeerComposedPictures(out);
        const int step = c.to < c.from ? -1 : 1;
        ASSERT_TRUE(got && int(got->size()) == std::abs(c.to - c.from) + 1);
        for (int k = 0; k < int(got->size()); ++k)
            EXPECT_EQ(ts::MaxChannelDifference((*got)[size_t(k)],
                                               forward[c.file][size_t(c.from + k * step)]),
                      0)
                << k;
    }

    // The editor keeps a short load and warns, keeps the frames read before a cancel,
    // and refuses invalid remembered choices.
    RecordingHost host;
    bool reverse = false;
    int steps = 0, cancelAt = 0;
    AviImportOptions options;
    options.interactive = true;
    options.choose = [&reverse](const AviStreamInfo&, AviLoadChoices& choices) {
        choices = {.reverse = reverse};
        return true;
    };
    options.progress = [&](int, int, int) { return ++steps != cancelAt; };
    AnimationDocument doc(host);
    ASSERT_EQ(ImportAvi(doc, damagedEnd, options), 0);
    EXPECT_EQ(doc.countFrames(), 50);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Only 50 of 60 frames could be loaded.");
    EXPECT_EQ(host.messages()[0].caption, "Warning");
    reverse = true;
    cancelAt = steps + 6;
    AnimationDocument cancelled(host);
    ASSERT_EQ(ImportAvi(cancelled, clip, options), 0);
    EXPECT_EQ(
        ts::ChildLabels(cancelled.tree.root()),
        (std::vector<std::string>{"Gif :clip.avi [39]", "Gif :clip.avi [38]", "Gif :clip.avi [37]",
                                  "Gif :clip.avi [36]", "Gif :clip.avi [35]"}));
    EXPECT_TRUE(RememberedAviChoices().reverse);  // kept for the next import
    RememberedAviChoices() = {.loadAll = false, .count = 3, .firstIndex = 38};
    AnimationDocument refused(host);
    EXPECT_EQ(ImportAvi(refused, clip), -1);
    EXPECT_EQ(host.messages().back().text,
              "The first frame index is too high or the number of frames is too high.");
    EXPECT_TRUE(refused.empty());
    RememberedAviChoices() = AviLoadChoices{};
}

// A failed export leaves the previous file and says so.
TEST(AviExportTest, AFailedExportSaysSoAndKeepsThePreviousFile) {
    const ts::TempFolder folder;
    RecordingHost host;
    AnimationDocument empty(host);
    const std::string keep = folder.file("keep.avi");
    ts::WriteBytes(keep, {'o', 'l', 'd'});
    EXPECT_EQ(SaveAvi(empty, empty.firstFrame, keep), -1);
    EXPECT_EQ(host.messages().back().text, "Could not save AVI.");
    EXPECT_EQ(ts::ReadBytes(keep).size(), 3u);
}

}  // namespace
