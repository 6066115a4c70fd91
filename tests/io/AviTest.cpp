#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "IoTestSupport.h"
#include "document/AnimationDocument.h"
#include "io/AviExport.h"
#include "io/AviImport.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using namespace io_test;
using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

// The video's frames as FFmpeg decodes them, 0x00RRGGBB.
std::vector<std::vector<uint32_t>> FfmpegFrames(const std::string& path, int w, int h) {
    const std::string out = path + ".frames.rgb";
    if (Shell("ffmpeg -y -i '" + path + "' -f rawvideo -pix_fmt rgb24 '" + out + "'") != 0)
        return {};
    const std::vector<uint32_t> all = FromRgb(Bytes(out));
    std::vector<std::vector<uint32_t>> frames;
    const size_t size = size_t(w) * size_t(h);
    for (size_t at = 0; at + size <= all.size(); at += size)
        frames.emplace_back(all.begin() + ptrdiff_t(at), all.begin() + ptrdiff_t(at + size));
    return frames;
}

// The frame as a viewer sees it: palette colours of its indexes.
std::vector<uint32_t> Colours(FrameRecord& f) {
    f.WaitForReduction();
    std::vector<uint32_t> out;
    auto plane = f.indexPlane();
    const Palette& palette = f.effectivePalette();
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) out.push_back(palette[plane->get(x, y)].rgb());
    return out;
}

std::vector<std::string> Labels(AnimationDocument& doc) {
    std::vector<std::string> out;
    for (TreeItem* item = doc.tree.root()->firstChild(); item; item = item->nextSibling())
        out.push_back(item->text());
    return out;
}

class AviImportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = TempDir("avi").c_str();
        // A palettised AVI of ten frames, each with its own colours.
        ASSERT_EQ(
            Shell("ffmpeg -y -f lavfi -i testsrc=size=32x24:rate=10 -frames:v 10 -pix_fmt pal8 "
                  "-c:v rawvideo '" +
                  std::string(dir_) + "/p.avi'"),
            0);
        ASSERT_EQ(
            Shell("ffmpeg -y -f lavfi -i testsrc=size=160x120:rate=10 -frames:v 10 -c:v mjpeg '" +
                  std::string(dir_) + "/big.avi'"),
            0);
        ASSERT_EQ(
            Shell("ffmpeg -y -f lavfi -i testsrc=size=48x32:rate=10 -frames:v 5 -c:v mpeg4 '" +
                  std::string(dir_) + "/clip.mp4'"),
            0);
    }
    void SetUp() override { RememberedAviChoices() = AviLoadChoices{}; }
    static std::string Path(const char* name) { return std::string(dir_) + "/" + name; }
    static inline std::string dir_;
};

TEST(AviChoicesTest, RangeValidationAndTexts) {
    const AviStreamInfo info{0, 10, 32, 24};
    EXPECT_EQ(AviInfoText(info),
              "This AVI contains 10 Frames where the first frame has index 0 and the last frame "
              "has index 9.");
    AviLoadChoices c;
    c.loadAll = false;
    c.count = 3;
    c.firstIndex = 7;
    EXPECT_EQ(ValidateAviChoices(info, c), "");
    c.firstIndex = 8;
    EXPECT_EQ(ValidateAviChoices(info, c),
              "The first frame index is too high or the number of frames is too high.");
    c.reverse = true;
    EXPECT_EQ(ValidateAviChoices(info, c), "");
    c.firstIndex = 1;
    EXPECT_EQ(ValidateAviChoices(info, c),
              "The first frame index is too small or the number of frames is too high.");
    c.count = 0;
    EXPECT_EQ(ValidateAviChoices(info, c), "The number of Frames must be greater than 0.");
    c.count = 11;
    EXPECT_EQ(ValidateAviChoices(info, c), "The AVI contains only 10 frames.");
    c.count = 2;
    c.firstIndex = 10;
    EXPECT_EQ(ValidateAviChoices(info, c), "The AVI-frame indizes range from 0 to 9.");
    EXPECT_EQ(AviProgressText(7, 1, 3), "Loading Frame 7 [1 of 3]");
    c = AviLoadChoices{};
    c.reverse = true;
    const AviLoadPlan plan = PlanAviLoad(info, c);
    EXPECT_EQ(plan.start, 9);
    EXPECT_EQ(plan.count, 10);
    EXPECT_EQ(plan.IndexAt(9), 0);
}

TEST_F(AviImportTest, PalettisedFramesKeepTheirPixelsAndLabels) {
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(ImportAvi(doc, Path("p.avi")), 0);
    ASSERT_EQ(doc.countFrames(), 10);
    EXPECT_EQ(doc.screenWidth, 32);
    EXPECT_EQ(Labels(doc).front(), "Gif :p.avi [0]");
    EXPECT_EQ(Labels(doc).back(), "Gif :p.avi [9]");
    const auto expected = FfmpegFrames(Path("p.avi"), 32, 24);
    ASSERT_EQ(expected.size(), 10u);
    int k = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next, ++k)
        EXPECT_EQ(Colours(*f), expected[size_t(k)]) << k;
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(AviImportTest, ReverseAndRangeLoading) {
    RecordingHost host;
    AnimationDocument doc(host);
    AviImportOptions options;
    options.choose = [](const AviStreamInfo& info, AviLoadChoices& c) {
        EXPECT_EQ(info.length, 10);
        c.loadAll = true;
        c.reverse = true;
        return true;
    };
    ASSERT_EQ(ImportAvi(doc, Path("p.avi"), options), 0);
    const std::vector<std::string> labels = Labels(doc);
    ASSERT_EQ(labels.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(labels[size_t(i)], "Gif :p.avi [" + std::to_string(9 - i) + "]");
    const auto expected = FfmpegFrames(Path("p.avi"), 32, 24);
    EXPECT_EQ(Colours(*doc.firstFrame), expected[9]);
    EXPECT_TRUE(RememberedAviChoices().reverse);  // remembered for the next import

    AnimationDocument range(host);
    options.choose = [](const AviStreamInfo&, AviLoadChoices& c) {
        c.loadAll = false;
        c.reverse = false;
        c.count = 3;
        c.firstIndex = 7;
        return true;
    };
    ASSERT_EQ(ImportAvi(range, Path("p.avi"), options), 0);
    EXPECT_EQ(Labels(range),
              (std::vector<std::string>{"Gif :p.avi [7]", "Gif :p.avi [8]", "Gif :p.avi [9]"}));

    // Invalid remembered choices without a dialog are reported, nothing is added.
    RememberedAviChoices().firstIndex = 8;
    AnimationDocument refused(host);
    EXPECT_EQ(ImportAvi(refused, Path("p.avi")), -1);
    EXPECT_EQ(host.messages().back().text,
              "The first frame index is too high or the number of frames is too high.");
    EXPECT_TRUE(refused.empty());
}

TEST_F(AviImportTest, SizeMismatchAsksAndResizes) {
    RecordingHost host;
    AnimationDocument doc(host);
    AppendToDocument(doc, MakeFrame(doc, 100, 100, {0x102030}), "first.gif");
    doc.selectedFrame = doc.firstFrame;
    doc.selectedItem = doc.EntryOfFrame(doc.firstFrame);
    ASSERT_EQ(ImportAvi(doc, Path("big.avi")), 0);
    EXPECT_EQ(host.resizeQuestions(), 1);
    ASSERT_EQ(doc.countFrames(), 11);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, 100);
        EXPECT_EQ(f->height, 100);
        f->WaitForReduction();
        EXPECT_TRUE(f->IsPaletteValid());
    }
    EXPECT_TRUE(doc.modified);

    RecordingHost refusing;
    refusing.resizeAnswer = false;
    AnimationDocument other(refusing);
    AppendToDocument(other, MakeFrame(other, 100, 100, {0x102030}), "first.gif");
    EXPECT_EQ(ImportAvi(other, Path("big.avi")), -1);
    EXPECT_EQ(other.countFrames(), 1);
}

TEST_F(AviImportTest, Mp4ClipImportsAsFramesAndDamagedFilesAreRefused) {
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(ImportAvi(doc, Path("clip.mp4")), 0);
    EXPECT_EQ(doc.countFrames(), 5);
    EXPECT_EQ(doc.screenWidth, 48);
    WriteBytes(Path("bad.avi"), {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '});
    AnimationDocument other(host);
    EXPECT_EQ(ImportAvi(other, Path("bad.avi")), -1);
    EXPECT_EQ(host.messages().back().text, "Could not open AVI.");
}

// A clip as cameras and encoders make them: key frames every twelve frames, the
// others predicted from them.
class VideoDirectionTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new testing_support::TempFolder;
        clip_ = testing_support::MakeVideo(*folder_, "clip.avi", "testsrc2", 64, 48, 40, 25);
        ASSERT_FALSE(clip_.empty());
        // The same kind of clip, 60 frames, with its first 30 or its last 10 pictures
        // damaged.
        const std::string whole =
            testing_support::MakeVideo(*folder_, "whole.avi", "testsrc2", 64, 48, 60, 25);
        ASSERT_FALSE(whole.empty());
        damaged_ = Damage(whole, 0, 30, "damaged.avi");
        damagedEnd_ = Damage(whole, 50, 60, "damaged-end.avi");
    }
    // Overwrites the pictures [from, to) of an AVI with bytes no decoder takes.
    static std::string Damage(const std::string& path, int from, int to, const char* name) {
        std::vector<uint8_t> bytes = Bytes(path);
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
        WriteBytes(out, bytes);
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
    int Import(AnimationDocument& doc, const std::string& path, AviLoadChoices choices,
               int cancelAt, std::vector<Step>& steps) {
        AviImportOptions options;
        options.interactive = true;
        options.choose = [choices](const AviStreamInfo&, AviLoadChoices& c) {
            c = choices;
            return true;
        };
        options.progress = [&steps, cancelAt](int index, int position, int count) {
            steps.push_back({index, position, count});
            return int(steps.size()) != cancelAt;
        };
        return ImportAvi(doc, path, options);
    }
    static AviLoadChoices Range(bool reverse, int first, int count) {
        AviLoadChoices c;
        c.loadAll = count == 0;
        c.reverse = reverse;
        c.firstIndex = first;
        c.count = count;
        return c;
    }

    static inline testing_support::TempFolder* folder_ = nullptr;
    static inline std::string clip_, damaged_, damagedEnd_;
};

TEST_F(VideoDirectionTest, ReverseCountsUpAndGivesTheSamePicturesAsForward) {
    RecordingHost host;
    AnimationDocument forward(host), backward(host);
    std::vector<Step> forwardSteps, backwardSteps;
    ASSERT_EQ(Import(forward, clip_, Range(false, 0, 0), 0, forwardSteps), 0);
    ASSERT_EQ(Import(backward, clip_, Range(true, 0, 0), 0, backwardSteps), 0);
    ASSERT_EQ(backward.countFrames(), 40);
    ASSERT_EQ(backwardSteps.size(), 40u);
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(forwardSteps[size_t(k)], (Step{k, k + 1, 40})) << k;
        EXPECT_EQ(backwardSteps[size_t(k)], (Step{39 - k, k + 1, 40})) << k;
    }
    EXPECT_EQ(host.progress().front().text, "Loading Frame 0 [1 of 40]");
    std::vector<std::vector<uint32_t>> pictures;
    for (FrameRecord* f = forward.firstFrame; f; f = f->next) pictures.push_back(Colours(*f));
    const std::vector<std::string> labels = Labels(backward);
    int k = 0;
    for (FrameRecord* f = backward.firstFrame; f; f = f->next, ++k) {
        EXPECT_EQ(labels[size_t(k)], "Gif :clip.avi [" + std::to_string(39 - k) + "]");
        EXPECT_EQ(Colours(*f), pictures[size_t(39 - k)]) << k;
        EXPECT_EQ(f->delay, 4u) << k;
    }
    EXPECT_TRUE(host.messages().empty());
}

// Cancel keeps the frames read so far, in loading order, in both directions.
TEST_F(VideoDirectionTest, CancelKeepsTheFramesAlreadyRead) {
    struct Case {
        bool reverse;
        int first, count;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {false, 0, 0, {"[0]", "[1]", "[2]", "[3]", "[4]"}},
        {true, 0, 0, {"[39]", "[38]", "[37]", "[36]", "[35]"}},
        {true, 30, 20, {"[30]", "[29]", "[28]", "[27]", "[26]"}},
        {false, 17, 10, {"[17]", "[18]", "[19]", "[20]", "[21]"}},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        AnimationDocument doc(host);
        std::vector<Step> steps;
        EXPECT_EQ(Import(doc, clip_, Range(c.reverse, c.first, c.count), 6, steps), 0);
        EXPECT_EQ(steps.size(), 6u);
        std::vector<std::string> expected;
        for (const std::string& l : c.labels) expected.push_back("Gif :clip.avi " + l);
        EXPECT_EQ(Labels(doc), expected) << c.reverse << " " << c.first;
        EXPECT_TRUE(host.messages().empty()) << host.messages().front().text;
    }
}

// A load that starts late begins at the key frame before its first frame: a clip whose
// first half is damaged still gives its second half, with the first step the first frame.
TEST_F(VideoDirectionTest, ALateStartBeginsAtTheKeyFrameBeforeIt) {
    struct Case {
        bool reverse;
        int first;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {false, 40, {"[40]", "[41]", "[42]", "[43]", "[44]"}},
        {true, 44, {"[44]", "[43]", "[42]", "[41]", "[40]"}},
        {false, 55, {"[55]", "[56]", "[57]", "[58]", "[59]"}},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        AnimationDocument doc(host);
        std::vector<Step> steps;
        ASSERT_EQ(Import(doc, damaged_, Range(c.reverse, c.first, 5), 0, steps), 0)
            << host.messages().back().text;
        std::vector<std::string> expected;
        for (const std::string& l : c.labels) expected.push_back("Gif :damaged.avi " + l);
        EXPECT_EQ(Labels(doc), expected);
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.front(), (Step{c.first, 1, 5}));
        EXPECT_TRUE(host.messages().empty());
    }
}

// A load that stops early: the editor keeps what was read and warns; the command line
// never delivers fewer frames than were asked.
TEST_F(VideoDirectionTest, AShortLoadIsKeptInTheEditorAndFailsOnTheCommandLine) {
    RecordingHost host;
    AnimationDocument doc(host);
    std::vector<Step> steps;
    ASSERT_EQ(Import(doc, damagedEnd_, Range(false, 0, 0), 0, steps), 0);
    EXPECT_EQ(doc.countFrames(), 50);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Only 50 of 60 frames could be loaded.");
    EXPECT_EQ(host.messages()[0].caption, "Warning");

    const testing_support::TempFolder out;
    const std::pair<std::string, std::string> runs[] = {
        {damagedEnd_, ""},
        {damagedEnd_, " --avi-first 45 --avi-count 10"},
        {damaged_, " --avi-first 40 --avi-count 12 --reverse"},
    };
    for (const auto& [file, range] : runs) {
        const testing_support::ToolResult r =
            testing_support::RunCli("convert " + testing_support::ShellQuote(file) + range +
                                    " -o " + testing_support::ShellQuote(out.file("out.gif")));
        EXPECT_EQ(r.signal, 0) << range << r.err;
        EXPECT_EQ(r.status, 1) << range << r.err;
        EXPECT_NE(r.err.find("frames could be loaded."), std::string::npos) << range << r.err;
        EXPECT_FALSE(std::filesystem::exists(out.file("out.gif"))) << range;
    }
}

class AviExportTest : public ::testing::Test {
  protected:
    std::string dir_ = TempDir("aviexport");
    RecordingHost host_;
    AnimationDocument doc_{host_};

    void AddFrames() {
        for (int k = 0; k < 3; ++k) {
            FrameRecord* f = MakeFrame(
                doc_, 10, 6, {0x100000u * uint32_t(k + 1), 0x00FF00u >> k, 0x0000FFu, 0xFFFFFF});
            auto plane = f->indexPlane();
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 10; ++x) plane->set(x, y, uint8_t((x + y + k) % 4));
            AppendToDocument(doc_, f, "f.gif");
        }
    }
};

TEST_F(AviExportTest, ThreeFramesDecodeWithFfmpegWithTheirOwnPalettes) {
    AddFrames();
    const std::string path = dir_ + "/out.avi";
    ASSERT_EQ(SaveAvi(doc_, doc_.firstFrame, path), 0);
    EXPECT_EQ(Capture("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                      "stream=nb_read_frames,nb_frames -of csv=p=0 '" +
                      path + "'"),
              "3,3\n");
    const auto decoded = FfmpegFrames(path, 10, 6);
    ASSERT_EQ(decoded.size(), 3u);
    int k = 0;
    for (FrameRecord* f = doc_.firstFrame; f; f = f->next, ++k)
        EXPECT_EQ(decoded[size_t(k)], Colours(*f)) << k;
    // Three key-frame pictures and a palette change before each later one.
    const std::vector<uint8_t> bytes = Bytes(path);
    const std::string text(bytes.begin(), bytes.end());
    auto count = [&](const std::string& id) {
        int n = 0;
        for (size_t at = text.find(id); at != std::string::npos; at = text.find(id, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("00db"), 6);  // chunk and index entry each
    EXPECT_EQ(count("00pc"), 4);
}

TEST_F(AviExportTest, FramesSmallerThanTheScreenAreWrittenAsTheViewerSeesThem) {
    AddFrames();
    // An optimised second frame: a 2x2 patch at (3,2) with a transparent pixel.
    FrameRecord* patch = MakeFrame(doc_, 2, 2, {0xABCDEF, 0x000000});
    patch->left = 3;
    patch->top = 2;
    patch->hasTransparency = 1;
    patch->transparentIndex = 1;
    patch->indexPlane()->set(1, 1, 1);
    AppendToDocument(doc_, patch, "patch.gif");
    const std::string path = dir_ + "/opt.avi";
    ASSERT_EQ(SaveAvi(doc_, doc_.firstFrame, path), 0);
    const auto decoded = FfmpegFrames(path, 10, 6);
    ASSERT_EQ(decoded.size(), 4u);
    // The composed picture went through the colour reduction, whose finest grid drops
    // the lowest bit of each component.
    std::vector<uint32_t> expected = decoded[2];
    for (uint32_t& c : expected) c &= 0xFEFEFE;
    for (int at : {2 * 10 + 3, 2 * 10 + 4, 3 * 10 + 3}) expected[size_t(at)] = 0xABCDEF & 0xFEFEFE;
    EXPECT_EQ(decoded[3], expected);
}

TEST_F(AviExportTest, AFailedExportLeavesThePreviousFileAndSaysSo) {
    const std::string path = dir_ + "/keep.avi";
    WriteBytes(path, {'o', 'l', 'd'});
    EXPECT_EQ(SaveAvi(doc_, doc_.firstFrame, path), -1);  // nothing to write
    EXPECT_EQ(host_.messages().back().text, "Could not save AVI.");
    EXPECT_EQ(Bytes(path).size(), 3u);
    AddFrames();
    EXPECT_EQ(SaveAvi(doc_, doc_.firstFrame, "/nonexistent-dir/x.avi"), -1);
}

}  // namespace
