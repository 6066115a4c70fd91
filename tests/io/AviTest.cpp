// The video import's choices, directions, key frames and short loads, and the AVI
// export's failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "document/AnimationDocument.h"
#include "io/AviExport.h"
#include "io/AviImport.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// The frame as a viewer sees it: palette colours of its indexes, opaque.
ts::ComposedPicture Colours(FrameRecord& f) {
    f.WaitForReduction();
    ts::ComposedPicture out{f.width, f.height, {}};
    auto plane = f.indexPlane();
    const Palette& palette = f.effectivePalette();
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            out.pixels.push_back(0xFF000000u | palette[plane->get(x, y)].rgb());
    return out;
}

// Hand-worked ranges of a ten-frame stream and the texts of the Load AVI dialog.
TEST(AviChoicesTest, RangeValidationAndTexts) {
    const AviStreamInfo info{0, 10, 32, 24};
    EXPECT_EQ(AviInfoText(info),
              "This AVI contains 10 Frames where the first frame has index 0 and the last frame "
              "has index 9.");
    const struct {
        bool reverse;
        int first, count;
        const char* says;
    } cases[] = {
        {false, 7, 3, ""},
        {false, 8, 3, "The first frame index is too high or the number of frames is too high."},
        {true, 8, 3, ""},
        {true, 2, 3, ""},
        {true, 1, 3, "The first frame index is too small or the number of frames is too high."},
        {true, 1, 0, "The number of Frames must be greater than 0."},
        {false, 0, 11, "The AVI contains only 10 frames."},
        {false, 10, 2, "The AVI-frame indizes range from 0 to 9."},
        {false, -1, 2, "The AVI-frame indizes range from 0 to 9."},
    };
    for (const auto& c : cases) {
        const AviLoadChoices choices{
            .loadAll = false, .reverse = c.reverse, .count = c.count, .firstIndex = c.first};
        EXPECT_EQ(ValidateAviChoices(info, choices), c.says) << c.reverse << " " << c.first;
    }
    EXPECT_EQ(AviProgressText(7, 1, 3), "Loading Frame 7 [1 of 3]");
    const AviLoadPlan plan = PlanAviLoad(info, AviLoadChoices{.reverse = true});
    EXPECT_EQ(std::vector<int>({plan.start, plan.count, plan.IndexAt(0), plan.IndexAt(9)}),
              std::vector<int>({9, 10, 9, 0}));
}

// A palettised clip whose every frame brings its own colours keeps them exactly, also
// read backwards (each palette holds until the next one).
TEST(AviImportTest, PalettisedFramesKeepTheirColoursBackwardsToo) {
    const ts::TempFolder folder;
    const std::string path = folder.file("p.avi");
    ASSERT_EQ(ts::RunTool("ffmpeg -v error -f lavfi -i testsrc2=size=32x24:rate=10 -frames:v 10 "
                          "-pix_fmt pal8 -c:v rawvideo " +
                          ts::ShellQuote(path))
                  .status,
              0);
    const auto peer = ts::PeerVideoFrames(path);
    ASSERT_TRUE(peer && peer->size() == 10u);
    RememberedAviChoices() = {.reverse = true};
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(ImportAvi(doc, path), 0);
    RememberedAviChoices() = AviLoadChoices{};
    ASSERT_EQ(doc.countFrames(), 10);
    EXPECT_EQ(doc.screenWidth, 32);
    EXPECT_EQ(ts::ChildLabels(doc.tree.root()).front(), "Gif :p.avi [9]");
    int k = 9;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next, --k)
        EXPECT_EQ(ts::MaxChannelDifference((*peer)[size_t(k)], Colours(*f)), 0) << k;
    EXPECT_TRUE(host.messages().empty());
}

// A clip as cameras and encoders make them: key frames every twelve frames, the
// others predicted from them.
class VideoDirectionTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new ts::TempFolder;
        clip_ = ts::MakeVideo(*folder_, "clip.avi", "testsrc2", 64, 48, 40, 25);
        ASSERT_FALSE(clip_.empty());
        // The same kind of clip, 60 frames, with its first 30 or its last 10 pictures
        // damaged.
        const std::string whole = ts::MakeVideo(*folder_, "whole.avi", "testsrc2", 64, 48, 60, 25);
        ASSERT_FALSE(whole.empty());
        damaged_ = Damage(whole, 0, 30, "damaged.avi");
        damagedEnd_ = Damage(whole, 50, 60, "damaged-end.avi");
    }
    // Overwrites the pictures [from, to) of an AVI with bytes no decoder takes.
    static std::string Damage(const std::string& path, int from, int to, const char* name) {
        std::vector<uint8_t> bytes = ts::ReadBytes(path);
        const std::string text(bytes.begin(), bytes.end());
        size_t at = text.find("movi") + 4;
        for (int picture = 0; picture < to && at + 8 <= bytes.size();) {
            const size_t size = size_t(bytes[at + 4]) | size_t(bytes[at + 5]) << 8 |
                                size_t(bytes[at + 6]) << 16 | size_t(bytes[at + 7]) << 24;
            if (text.compare(at, 4, "00dc") == 0 && picture++ >= from)
                std::fill_n(bytes.begin() + ptrdiff_t(at + 8),
                            std::min(size, bytes.size() - at - 8), uint8_t(0x5A));
            at += 8 + size + (size & 1);
        }
        const std::string out = folder_->file(name);
        ts::WriteBytes(out, bytes);
        return out;
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { RememberedAviChoices() = AviLoadChoices{}; }

    struct Step {
        int index, position, count;
        bool operator==(const Step&) const = default;
    };
    // Imports with the given choices, cancelling when asked for step `cancelAt` (1-based;
    // 0 never), and records the steps.
    int Import(AnimationDocument& doc, const std::string& path, bool reverse, int first, int count,
               int cancelAt, std::vector<Step>& steps) {
        AviImportOptions options;
        options.interactive = true;
        options.choose = [reverse, first, count](const AviStreamInfo&, AviLoadChoices& c) {
            c = {.loadAll = count == 0, .reverse = reverse, .count = count, .firstIndex = first};
            return true;
        };
        options.progress = [&steps, cancelAt](int index, int position, int count) {
            steps.push_back({index, position, count});
            return int(steps.size()) != cancelAt;
        };
        return ImportAvi(doc, path, options);
    }

    static inline ts::TempFolder* folder_ = nullptr;
    static inline std::string clip_, damaged_, damagedEnd_;
};

// The whole clip forward is FFmpeg's pictures through the reduction to 256 colours, one
// frame a step. Every range, backwards or forwards, cancelled or starting late (at the
// key frame before its first frame, so a clip whose first half is damaged still gives
// its second half), holds those same pictures in loading order.
TEST_F(VideoDirectionTest, EveryRangeGivesTheForwardPicturesInLoadingOrder) {
    RecordingHost host;
    AnimationDocument forward(host);
    std::vector<Step> steps;
    ASSERT_EQ(Import(forward, clip_, false, 0, 0, 0, steps), 0);
    ASSERT_EQ(steps.size(), 40u);
    EXPECT_EQ(host.progress().front().text, "Loading Frame 0 [1 of 40]");
    const auto peer = ts::PeerVideoFrames(clip_);
    ASSERT_TRUE(peer && peer->size() == 40u);
    std::vector<ts::ComposedPicture> pictures;
    for (FrameRecord* f = forward.firstFrame; f; f = f->next) {
        pictures.push_back(Colours(*f));
        EXPECT_LE(ts::MeanChannelDifference((*peer)[pictures.size() - 1], pictures.back()), 6);
        EXPECT_EQ(f->delay, 4u);
    }
    ASSERT_EQ(pictures.size(), 40u);

    const struct {
        bool damaged, reverse;
        int first, count, cancelAt;
        int from, to;  // the frames loaded, in order
    } cases[] = {
        {false, true, 0, 0, 0, 39, 0},     {false, false, 0, 0, 6, 0, 4},
        {false, true, 0, 0, 6, 39, 35},    {false, true, 30, 20, 6, 30, 26},
        {false, false, 17, 10, 6, 17, 21}, {false, false, 7, 3, 0, 7, 9},
        {true, false, 40, 5, 0, 40, 44},   {true, true, 44, 5, 0, 44, 40},
        {true, false, 55, 5, 0, 55, 59},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.damaged << c.reverse << " " << c.first);
        RecordingHost host2;
        AnimationDocument doc(host2);
        steps.clear();
        const std::string& path = c.damaged ? damaged_ : clip_;
        EXPECT_EQ(Import(doc, path, c.reverse, c.first, c.count, c.cancelAt, steps), 0);
        EXPECT_EQ(RememberedAviChoices().reverse, c.reverse);  // kept for the next import
        const int n = std::abs(c.to - c.from) + 1, step = c.to < c.from ? -1 : 1;
        const std::string name = std::filesystem::path(path).filename().string();
        std::vector<std::string> expected;
        for (int k = 0; k < n; ++k)
            expected.push_back("Gif :" + name + " [" + std::to_string(c.from + k * step) + "]");
        EXPECT_EQ(ts::ChildLabels(doc.tree.root()), expected);
        ASSERT_EQ(steps.size(), c.cancelAt ? size_t(c.cancelAt) : size_t(n));
        for (int k = 0; k < n; ++k) EXPECT_EQ(steps[size_t(k)].index, c.from + k * step) << k;
        EXPECT_EQ(steps.back().position, int(steps.size()));
        int k = 0;
        for (FrameRecord* f = doc.firstFrame; f && !c.damaged; f = f->next, ++k)
            EXPECT_EQ(ts::MaxChannelDifference(Colours(*f), pictures[size_t(c.from + k * step)]), 0)
                << k;
        EXPECT_TRUE(host2.messages().empty()) << host2.messages().front().text;
    }
}

// A load that stops early: the editor keeps what was read and warns; the command line
// never delivers fewer frames than were asked. Invalid remembered choices, and files
// that are no video, are reported and add nothing.
TEST_F(VideoDirectionTest, ShortOrRefusedLoads) {
    RecordingHost host;
    AnimationDocument doc(host);
    std::vector<Step> steps;
    ASSERT_EQ(Import(doc, damagedEnd_, false, 0, 0, 0, steps), 0);
    EXPECT_EQ(doc.countFrames(), 50);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Only 50 of 60 frames could be loaded.");
    EXPECT_EQ(host.messages()[0].caption, "Warning");

    const char* const tooHigh = "The first frame index is too high";
    const struct {
        std::string file, range, says;
    } runs[] = {
        {damagedEnd_, "", "Only 50 of 60 frames could be loaded."},
        {damagedEnd_, " --avi-first 45 --avi-count 10", "Only 5 of 10 frames could be loaded."},
        {damaged_, " --avi-first 40 --avi-count 12 --reverse", "frames could be loaded."},
        {clip_, " --avi-first 38 --avi-count 3", tooHigh},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.range);
        const ts::ToolResult r = ts::RunCli("convert " + ts::ShellQuote(run.file) + run.range +
                                            " -o " + ts::ShellQuote(folder_->file("out.gif")));
        EXPECT_EQ(r.signal, 0) << r.err;
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(run.says), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(folder_->file("out.gif")));
    }

    RememberedAviChoices() = {.loadAll = false, .count = 3, .firstIndex = 38};
    AnimationDocument refused(host);
    EXPECT_EQ(ImportAvi(refused, clip_), -1);
    EXPECT_EQ(host.messages().back().text,
              "The first frame index is too high or the number of frames is too high.");
    EXPECT_TRUE(refused.empty());
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
