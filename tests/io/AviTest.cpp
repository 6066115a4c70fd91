// The video import's choices, directions, key frames and short loads, and the AVI
// export of frames smaller than the screen.
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

std::vector<std::string> Labels(AnimationDocument& doc) {
    std::vector<std::string> out;
    for (TreeItem* item = doc.tree.root()->firstChild(); item; item = item->nextSibling())
        out.push_back(item->text());
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
        AviLoadChoices choices;
        choices.loadAll = false;
        choices.reverse = c.reverse;
        choices.firstIndex = c.first;
        choices.count = c.count;
        EXPECT_EQ(ValidateAviChoices(info, choices), c.says) << c.reverse << " " << c.first;
    }
    EXPECT_EQ(AviProgressText(7, 1, 3), "Loading Frame 7 [1 of 3]");
    AviLoadChoices all;
    all.reverse = true;
    const AviLoadPlan plan = PlanAviLoad(info, all);
    EXPECT_EQ(plan.start, 9);
    EXPECT_EQ(plan.count, 10);
    EXPECT_EQ(plan.IndexAt(0), 9);
    EXPECT_EQ(plan.IndexAt(9), 0);
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
    RememberedAviChoices() = AviLoadChoices{};
    RememberedAviChoices().reverse = true;
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(ImportAvi(doc, path), 0);
    RememberedAviChoices() = AviLoadChoices{};
    ASSERT_EQ(doc.countFrames(), 10);
    EXPECT_EQ(doc.screenWidth, 32);
    EXPECT_EQ(Labels(doc).front(), "Gif :p.avi [9]");
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
            c.loadAll = count == 0;
            c.reverse = reverse;
            c.firstIndex = first;
            c.count = count;
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

TEST_F(VideoDirectionTest, ReverseCountsUpAndGivesTheSamePicturesAsForward) {
    RecordingHost host;
    AnimationDocument forward(host), backward(host);
    std::vector<Step> forwardSteps, backwardSteps;
    ASSERT_EQ(Import(forward, clip_, false, 0, 0, 0, forwardSteps), 0);
    ASSERT_EQ(Import(backward, clip_, true, 0, 0, 0, backwardSteps), 0);
    EXPECT_TRUE(RememberedAviChoices().reverse);  // remembered for the next import
    ASSERT_EQ(backward.countFrames(), 40);
    ASSERT_EQ(backwardSteps.size(), 40u);
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(forwardSteps[size_t(k)], (Step{k, k + 1, 40})) << k;
        EXPECT_EQ(backwardSteps[size_t(k)], (Step{39 - k, k + 1, 40})) << k;
    }
    EXPECT_EQ(host.progress().front().text, "Loading Frame 0 [1 of 40]");
    std::vector<ts::ComposedPicture> pictures;
    for (FrameRecord* f = forward.firstFrame; f; f = f->next) pictures.push_back(Colours(*f));
    // FFmpeg's own pictures of the clip, through the reduction to 256 colours.
    const auto peer = ts::PeerVideoFrames(clip_);
    ASSERT_TRUE(peer && peer->size() == 40u);
    const std::vector<std::string> labels = Labels(backward);
    int k = 0;
    for (FrameRecord* f = backward.firstFrame; f; f = f->next, ++k) {
        EXPECT_EQ(labels[size_t(k)], "Gif :clip.avi [" + std::to_string(39 - k) + "]");
        EXPECT_EQ(ts::MaxChannelDifference(Colours(*f), pictures[size_t(39 - k)]), 0) << k;
        EXPECT_LE(ts::MeanChannelDifference((*peer)[size_t(39 - k)], pictures[size_t(39 - k)]), 6)
            << k;
        EXPECT_EQ(f->delay, 4u) << k;
    }
    EXPECT_TRUE(host.messages().empty());
}

// Cancel keeps the frames read so far, in loading order, in both directions; a load that
// starts late begins at the key frame before its first frame, so a clip whose first half
// is damaged still gives its second half, with the first step the first frame.
TEST_F(VideoDirectionTest, RangesCancelledOrStartingPastDamage) {
    const struct {
        bool damaged, reverse;
        int first, count, cancelAt;
        std::vector<int> indexes;
    } cases[] = {
        {false, false, 0, 0, 6, {0, 1, 2, 3, 4}},
        {false, true, 0, 0, 6, {39, 38, 37, 36, 35}},
        {false, true, 30, 20, 6, {30, 29, 28, 27, 26}},
        {false, false, 17, 10, 6, {17, 18, 19, 20, 21}},
        {false, false, 7, 3, 0, {7, 8, 9}},
        {true, false, 40, 5, 0, {40, 41, 42, 43, 44}},
        {true, true, 44, 5, 0, {44, 43, 42, 41, 40}},
        {true, false, 55, 5, 0, {55, 56, 57, 58, 59}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.damaged << c.reverse << " " << c.first);
        RecordingHost host;
        AnimationDocument doc(host);
        std::vector<Step> steps;
        const std::string& path = c.damaged ? damaged_ : clip_;
        EXPECT_EQ(Import(doc, path, c.reverse, c.first, c.count, c.cancelAt, steps), 0);
        std::vector<std::string> expected;
        const std::string name = std::filesystem::path(path).filename().string();
        for (int i : c.indexes) expected.push_back("Gif :" + name + " [" + std::to_string(i) + "]");
        EXPECT_EQ(Labels(doc), expected);
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.front().index, c.indexes.front());
        EXPECT_EQ(steps.size(), c.cancelAt ? size_t(c.cancelAt) : c.indexes.size());
        EXPECT_TRUE(host.messages().empty()) << host.messages().front().text;
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

    RememberedAviChoices().loadAll = false;
    RememberedAviChoices().firstIndex = 38;
    RememberedAviChoices().count = 3;
    AnimationDocument refused(host);
    EXPECT_EQ(ImportAvi(refused, clip_), -1);
    EXPECT_EQ(host.messages().back().text,
              "The first frame index is too high or the number of frames is too high.");
    ts::WriteBytes(folder_->file("bad.avi"), {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '});
    EXPECT_EQ(ImportAvi(refused, folder_->file("bad.avi")), -1);
    EXPECT_EQ(host.messages().back().text, "Could not open AVI.");
    EXPECT_TRUE(refused.empty());
}

// An optimised frame (a patch with a transparent pixel) is written as the viewer sees it:
// composed on the frame before.
TEST(AviExportTest, FramesSmallerThanTheScreenAreWrittenAsTheViewerSeesThem) {
    const ts::TempFolder folder;
    RecordingHost host;
    AnimationDocument doc(host);
    FrameRecord* first = ts::MakeFrame(doc, 10, 6, {0x102030, 0x00FF00, 0x0000FF, 0xFFFFFF});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) first->indexPlane()->set(x, y, uint8_t((x + y) % 4));
    ts::AppendToDocument(doc, first, "f.gif");
    FrameRecord* patch = ts::MakeFrame(doc, 2, 2, {0xABCDEF, 0x000000});
    patch->left = 3;
    patch->top = 2;
    patch->hasTransparency = 1;
    patch->transparentIndex = 1;
    patch->indexPlane()->set(1, 1, 1);
    ts::AppendToDocument(doc, patch, "patch.gif");
    doc.screenWidth = 10;
    doc.screenHeight = 6;
    const std::string path = folder.file("opt.avi");
    ASSERT_EQ(SaveAvi(doc, doc.firstFrame, path), 0);
    const auto decoded = ts::PeerVideoFrames(path);
    ASSERT_TRUE(decoded && decoded->size() == 2u);
    EXPECT_EQ(ts::MaxChannelDifference((*decoded)[0], Colours(*first)), 0);
    // The composed picture went through the colour reduction, whose finest grid drops
    // the lowest bit of each component.
    ts::ComposedPicture expected = (*decoded)[0];
    for (uint32_t& c : expected.pixels) c &= 0xFFFEFEFE;
    for (int at : {2 * 10 + 3, 2 * 10 + 4, 3 * 10 + 3})
        expected.pixels[size_t(at)] = 0xFF000000u | (0xABCDEF & 0xFEFEFE);
    EXPECT_EQ((*decoded)[1].pixels, expected.pixels);

    // A failed export leaves the previous file and says so.
    const std::string keep = folder.file("keep.avi");
    ts::WriteBytes(keep, {'o', 'l', 'd'});
    AnimationDocument empty(host);
    EXPECT_EQ(SaveAvi(empty, empty.firstFrame, keep), -1);
    EXPECT_EQ(host.messages().back().text, "Could not save AVI.");
    EXPECT_EQ(ts::ReadBytes(keep).size(), 3u);
    EXPECT_EQ(SaveAvi(doc, doc.firstFrame, "/nonexistent-dir/x.avi"), -1);
}

}  // namespace
