// Export of all images (file names, failures), the kind of file a path is opened as, and
// the durations written for other animated formats: short delays played as browsers do,
// and a constant rate that repeats frames while keeping the clip's length.
#include <gtest/gtest.h>

#include "document/AnimationDocument.h"
#include "import/FileImport.h"
#include "io/ExportAll.h"
#include "io/ExportTiming.h"
#include "io/Jpeg.h"
#include "support/TestSupport.h"

namespace ts = testing_support;

namespace {

TEST(ExportNamingTest, NormalAndAdvancedNames) {
    // One digit below nine frames, two below 99, three below 999, four below 9999.
    const std::pair<int, int> digits[] = {{8, 1}, {9, 2}, {98, 2}, {99, 3}, {9998, 4}, {9999, 5}};
    for (const auto& [frames, expected] : digits) EXPECT_EQ(ExportDigits(frames), expected);
    const struct {
        const char* pattern;
        int index, digits;
        char indicator;
        const char* name;
    } names[] = {
        {"C:\\a\\anim.gif", 4, 1, 0, "C:\\a\\anim4.gif"},
        {"/a/anim.gif", 0, 2, 0, "/a/anim00.gif"},
        {"/a/anim.gif", 123, 2, 0, "/a/anim123.gif"},
        {"/a/img**x.gif", 0, 2, '*', "/a/img00x.gif"},
        // Without extension the number goes at the end; a dot in a folder is no extension.
        {"/a/anim", 3, 1, 0, "/a/anim3"},
        {"/my.pictures/anim", 3, 1, 0, "/my.pictures/anim3"},
    };
    for (const auto& n : names)
        EXPECT_EQ(ExportFileName(n.pattern, n.index, n.digits, n.indicator), n.name) << n.pattern;

    EXPECT_EQ(ValidateExportIndicator("/a/img*x.gif", "*", 2),
              "Found indicator 1 times, but only 2 occurrences allowed");
    EXPECT_EQ(ValidateExportIndicator("/a/img**x.gif", "*", 2), "");
    EXPECT_TRUE(ExportPatternLacksGifExtension("/my.dir/anim"));
    EXPECT_FALSE(ExportPatternLacksGifExtension(""));
}

TEST(ExportAllTest, AFailureAsksAndNoEndsTheExportWithTheBusyFlagCleared) {
    RecordingHost host;
    AnimationDocument doc(host);
    for (int k = 0; k < 3; ++k)
        ts::AppendToDocument(doc, ts::MakeFrame(doc, 8, 4, {0x112233u * uint32_t(k + 1)}), "f.gif");
    host.answers = {Answer::No};
    EXPECT_EQ(ExportAllImages(doc, {"/nonexistent-dir/a.gif", 0, false}), 1);
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_EQ(host.questions()[0].text, "Error exporting as Gif/nonexistent-dir/a0.gif");
    EXPECT_EQ(host.questions()[0].caption, "Continue Anyway ?");
    EXPECT_FALSE(doc.busy);
    // Going on past failed JPEG frames is no success.
    host.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
    EXPECT_EQ(ExportAllImages(doc, {"/nonexistent-dir/a.jpg", 0, true}), 3);
    EXPECT_EQ(host.questions().back().text, "Error exporting as Jpg/nonexistent-dir/a2.jpg");
    for (const auto& m : host.messages()) EXPECT_NE(m.text, "Export of all images successful");
    EXPECT_EQ(ExportJpeg(doc, *TrueColourBuffer::Create(2, 2), "/nonexistent-dir/a.jpg", true), 1);
    EXPECT_EQ(host.messages().back().text, "Couldn't write jpeg");
    EXPECT_FALSE(doc.busy);
}

TEST(FileKindTest, KindsPerWayOfOpeningAndTheCommandLineRefusal) {
    using V = DispatchVariant;
    const struct {
        const char* path;
        V variant;
        FileKind kind;
    } kinds[] = {
        {"/x/a.GIF", V::CommandLine, FileKind::Gif},  {"/x/a.Dib", V::Open, FileKind::Bitmap},
        {"/x/a.ANI", V::Open, FileKind::Cursor},      {"/x/a.WebM", V::Open, FileKind::Avi},
        {"/x/a.Jpeg", V::DragDrop, FileKind::Jpeg},   {"/x/a.png", V::Open, FileKind::Gif},
        {"/x/a.png", V::DragDrop, FileKind::Unknown}, {"/x.y/a", V::DragDrop, FileKind::Gif},
        {"/x/a", V::CommandLine, FileKind::Unknown},
    };
    for (const auto& k : kinds) EXPECT_EQ(KindOfPath(k.path, k.variant), k.kind) << k.path;

    RecordingHost host;
    AnimationDocument doc(host);
    const std::string accepted =
        "- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, MKV, ICO, CUR and ANI files "
        "are accepted";
    EXPECT_EQ(LoadFileByType(doc, "/x/a.png", {V::CommandLine, {}}), kLoadUnknownType);
    EXPECT_EQ(host.messages().back().text, "Invalid format '*.png'" + accepted);
    EXPECT_EQ(host.messages().back().caption, "CommandLine Error");
    EXPECT_TRUE(doc.empty());
}

TEST(ExportTiming, DelaysTooShortToPlayBecomeATenth) {
    const struct { uint32_t delay, played; } cases[] = {{0, 10}, {1, 10}, {2, 2}, {65535, 65535}};
    for (const auto& c : cases) EXPECT_EQ(PlayedDelay(c.delay), c.played) << c.delay;
}

TEST(ExportTiming, ConstantRateRepeatsFramesAndKeepsTheLength) {
    const struct {
        std::vector<uint32_t> delays;
        uint32_t shortestTick;
        uint64_t maxTicks;
        uint32_t tick;
        std::vector<uint32_t> repeats;
    } cases[] = {
        // A common divisor is the tick itself.
        {{10, 20, 30, 40}, 2, 1000000, 10, {1, 2, 3, 4}},
        // 7 leaves a divisor of 1: the tick is the shortest allowed, starts rounded on
        // the clip's clock (ends at 10, 30, 60, 100, 107 -> ticks 5, 15, 30, 50, 54).
        {{10, 20, 30, 40, 7}, 2, 1000000, 2, {5, 10, 15, 20, 4}},
        // Ends at 3, 7, 10 with a tick of 2: ticks 2 (1.5 rounded up), 4 (3.5), 5.
        {{3, 4, 3}, 2, 1000000, 2, {2, 2, 1}},
        // Too many ticks: the tick doubles until they fit (20 hundredths: 10, 5, then
        // 2 ticks of 8; ends at 6 and 20 -> ticks 1 and 3).
        {{6, 14}, 2, 4, 8, {1, 2}},
        // A frame far shorter than a doubled tick still shows once (tick 32: 202 is
        // 6 ticks in all).
        {{2, 200}, 2, 10, 32, {1, 5}},
    };
    for (const auto& c : cases) {
        const ConstantRate rate = RateForDelays(c.delays, c.shortestTick, c.maxTicks);
        EXPECT_EQ(rate.tick, c.tick) << c.delays.size() << " delays, first " << c.delays[0];
        EXPECT_EQ(rate.repeats, c.repeats) << c.delays.size() << " delays, first " << c.delays[0];
    }
}

}  // namespace
