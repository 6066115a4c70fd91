// The setup handlers against the abstract form: defaults, lists, enabled controls and
// the validations with their exact messages.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"
#include "effects/EffectSetup.h"

using namespace effects_test;

namespace {

class SetupTest : public ::testing::Test {
  protected:
    RecordingHost host;
    ParameterForm form{host};

    void Configure(SetupHandler handler, int w = 64, int h = 48, bool transition = false) {
        form.Reset();
        form.imageWidth = w;
        form.imageHeight = h;
        form.transitionMode = transition;
        handler(form, kSetupConfigure);
    }
    std::string LastMessage() const {
        const auto m = host.messages();
        return m.empty() ? std::string() : m.back().text;
    }
    std::string LastCaption() const {
        const auto m = host.messages();
        return m.empty() ? std::string() : m.back().caption;
    }
};

TEST_F(SetupTest, ResetLeavesEverythingUnused) {
    Configure(SetupRollSphereSatellite);
    form.Reset();
    for (const auto& e : form.edits)
        EXPECT_TRUE(e.label == "not used" && !e.enabled && e.text.empty());
    for (const auto& c : form.checks) EXPECT_TRUE(c.label == "not used" && !c.checked);
    for (const auto& l : form.lists)
        EXPECT_TRUE(l.lines.empty() && !l.enabled && l.label == "not used");
    EXPECT_FALSE(form.colourUsed || form.colourEnabled || form.pingPongEnabled);
}

// One row per refusal: the entry, its picture, what the user typed, the exact message.
struct Refusal {
    const char* what;
    SetupHandler handler;
    int width, height;
    bool transition;
    std::vector<std::pair<int, const char*>> edits;  // slot, text
    const char* frames;
    bool pingPong;
    const char* message;
    FormControl focus;  // None: not checked
};

const Refusal kRefusals[] = {
    {"Blur below 0",
     SetupBlur,
     64,
     48,
     false,
     {{1, "-1"}},
     "10",
     false,
     "Valid values for Strength : 0-100",
     FormControl::Edit1},
    {"Blur above 100",
     SetupBlur,
     64,
     48,
     false,
     {{1, "101"}},
     "10",
     false,
     "Valid values for Strength : 0-100",
     FormControl::Edit1},
    {"Blur transition of one frame",
     SetupBlur,
     64,
     48,
     true,
     {},
     "1",
     false,
     "At least two frames are required for this transition !",
     FormControl::FrameCount},
    {"Emboss bias 256",
     SetupEmboss,
     64,
     48,
     false,
     {{2, "256"}},
     "10",
     false,
     "Valid values for Bias : 0-255",
     FormControl::Edit2},
    {"Fringe wider than half of 31",
     SetupFringeTransition,
     31,
     20,
     true,
     {{1, "16"}},
     "5",
     false,
     "Width of fringe must be between 0 and half-width of image (=15)",
     FormControl::None},
    {"Fringe below 0",
     SetupFringeTransition,
     31,
     20,
     true,
     {{1, "-1"}},
     "5",
     false,
     "Width of fringe must be between 0 and half-width of image (=15)",
     FormControl::None},
    {"Fringe transition of one frame",
     SetupFringeTransition,
     31,
     20,
     true,
     {{1, "3"}},
     "1",
     false,
     "At least two frames are required for this transition !",
     FormControl::None},
    {"Page thickness below 0",
     SetupPageEffect,
     64,
     48,
     false,
     {{3, "-1"}},
     "10",
     false,
     "The 'Rolling Thickness' must be greater or equal to 0.",
     FormControl::None},
    {"Satellite ring above 100 %",
     SetupRollSphereSatellite,
     64,
     48,
     true,
     {{4, "101"}},
     "10",
     false,
     "The 'Ring Image width' in percent must be in range 0 to 100.",
     FormControl::None},
    {"Spot radius 50 %",
     SetupSpotEffect,
     40,
     30,
     false,
     {{1, "50"}},
     "10",
     false,
     "Radius must be smaller than 50 %",
     FormControl::None},
    {"Spot radius below 0",
     SetupSpotEffect,
     40,
     30,
     false,
     {{1, "-1"}},
     "10",
     false,
     "Radius must not be negative",
     FormControl::Edit1},
    {"Flag amplitude 50 %",
     SetupFlag,
     40,
     30,
     false,
     {{2, "50"}},
     "10",
     false,
     "Amplitude must be smaller than 50%",
     FormControl::None},
    {"Flag amplitude below 0",
     SetupFlag,
     40,
     30,
     false,
     {{2, "-1"}},
     "10",
     false,
     "Amplitude must be smaller than 50%",
     FormControl::None},
    {"Flag half-waves as many as columns",
     SetupFlag,
     40,
     30,
     false,
     {{1, "40"}, {2, "5"}},
     "10",
     false,
     "Number of HalfWaves must be smaller than ImageWidht(=40)",
     FormControl::Edit2},
    {"Blind taller than the picture",
     SetupBlindEffect,
     40,
     30,
     false,
     {{1, "31"}},
     "10",
     false,
     "Valid values for Blind height : 2-30(picture height)",
     FormControl::None},
    {"Random Rects more frames than cells",
     SetupRandomRects,
     64,
     48,
     true,
     {{1, "2"}, {2, "3"}},
     "7",
     false,
     "Number of Frames (=7) must be smaller than Number of Rects (=columns*rows=6)",
     FormControl::None},
    {"Pixelize PingPong of one frame",
     SetupPixelizeEffect,
     64,
     48,
     false,
     {},
     "1",
     true,
     "Number of Frames must be larger than 2 for use of PingPong",
     FormControl::None},
    {"Tilt In half-waves below 0",
     SetupTiltInEffect,
     64,
     48,
     false,
     {{1, "-1"}},
     "10",
     false,
     "The 'Nr. Halfwaves' must be greater or equal to 0.",
     FormControl::None},
    {"Wave half-waves below 0",
     SetupWave,
     64,
     48,
     true,
     {{1, "-1"}},
     "10",
     false,
     "The 'Nr. Halfwaves' must be greater or equal to 0.",
     FormControl::None},
};

TEST_F(SetupTest, RefusalsShowTheirMessage) {
    for (const Refusal& r : kRefusals) {
        SCOPED_TRACE(r.what);
        Configure(r.handler, r.width, r.height, r.transition);
        for (const auto& [slot, text] : r.edits) form.edits[size_t(slot - 1)].text = text;
        form.frameCountText = r.frames;
        form.pingPong = r.pingPong;
        form.focus = FormControl::None;
        EXPECT_EQ(r.handler(form, kSetupValidate), 0);
        EXPECT_EQ(LastMessage(), r.message);
        if (r.focus != FormControl::None) EXPECT_EQ(form.focus, r.focus);
    }
    EXPECT_EQ(LastCaption(), "Parameter out of Range");
}

// The ends of the ranges are accepted.
TEST_F(SetupTest, BoundariesAreAccepted) {
    const struct {
        SetupHandler handler;
        int width;
        bool transition;
        int slot;
        const char* text;
    } cases[] = {{SetupBlur, 64, false, 1, "0"},
                 {SetupBlur, 64, false, 1, "100"},
                 {SetupEmboss, 64, false, 2, "255"},
                 {SetupFringeTransition, 31, true, 1, "15"},
                 {SetupFringeTransition, 31, true, 1, "0"},
                 {SetupBlindEffect, 40, false, 1, "30"},
                 {SetupSpotEffect, 40, false, 1, "0"},
                 {SetupTiltInEffect, 40, false, 1, "0"}};
    for (const auto& c : cases) {
        Configure(c.handler, c.width, 30, c.transition);
        form.edits[size_t(c.slot - 1)].text = c.text;
        form.frameCountText = "2";
        EXPECT_EQ(c.handler(form, kSetupValidate), 1) << c.text << ": " << LastMessage();
    }
}

TEST_F(SetupTest, DefaultsLabelsAndDescriptions) {
    Configure(SetupBlur);
    EXPECT_EQ(form.description, "Blurs the image(s)");
    EXPECT_EQ(form.edits[0].label, "Strength(0-100)");
    EXPECT_EQ(form.edits[0].text, "20");
    EXPECT_FALSE(form.pingPongEnabled || form.colourUsed);
    Configure(SetupEmboss);
    EXPECT_EQ(form.edits[1].label, "Bias(0-255)");
    EXPECT_EQ(form.edits[1].text, "128");
}

TEST_F(SetupTest, FringeEffectTransparentFringesTurnTheColourOff) {
    Configure(SetupFringeEffect);
    EXPECT_TRUE(form.colourUsed);
    EXPECT_EQ(form.checks[0].label, "Transparent Fringes");
    EXPECT_EQ(form.lists[0].lines, (std::vector<std::string>{"Top/Bottom", "Left/Right"}));
    EXPECT_EQ(form.lists[0].label, "not used");
    form.checks[0].checked = true;
    SetupFringeEffect(form, kSetupOptionClicked);
    EXPECT_FALSE(form.colourUsed);
    EXPECT_FALSE(form.colourEnabled);
    form.checks[0].checked = false;
    SetupFringeEffect(form, kSetupOptionClicked);
    EXPECT_TRUE(form.colourUsed);
}

TEST_F(SetupTest, SpiralGridQuestion) {
    for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
        RecordingHost local;
        ParameterForm f(local);
        f.imageWidth = 100;
        f.imageHeight = 100;
        SetupSpiralEffect(f, kSetupConfigure);
        f.frameCountText = "10";
        local.answers = {answer};
        const int ok = SetupSpiralEffect(f, kSetupValidate);
        ASSERT_EQ(local.questions().size(), 1u);
        EXPECT_EQ(
            local.questions()[0].text,
            "For a 3 x 3 spiral grid only 9 frames are necessary.\nUse 9 frames instead of 10 ?");
        EXPECT_EQ(local.questions()[0].caption, "Spiral grid doesn't correspond to Nr. of Frames");
        EXPECT_EQ(ok, answer == Answer::Cancel ? 0 : 1);
        EXPECT_EQ(f.frameCountText, answer == Answer::Yes ? "9" : "10");
    }
    // A count that fits the grid asks nothing; one below it offers the smaller grid.
    form.imageWidth = form.imageHeight = 100;
    form.frameCountText = "9";
    EXPECT_EQ(SpiralGridCheck(form), 1);
    EXPECT_TRUE(host.questions().empty());
    form.frameCountText = "8";  // a = 35, 3 x 3 = 9 > 8 -> 2 x 2
    host.answers = {Answer::No};
    EXPECT_EQ(SpiralGridCheck(form), 1);
    EXPECT_EQ(host.questions().back().text,
              "For a 2 x 2 spiral grid only 4 frames are necessary.\nUse 4 frames instead of 8 ?");
    // A frame narrower than the root of N does not divide by zero.
    form.imageWidth = 1;
    form.imageHeight = 1;
    form.frameCountText = "100";
    host.answers = {Answer::No};
    EXPECT_EQ(SpiralGridCheck(form), 1);
}

TEST_F(SetupTest, PagePresetsAndExplanation) {
    Configure(SetupPageEffect);
    EXPECT_EQ(form.lists[0].label, "Predefined");
    EXPECT_EQ(form.lists[0].selection, 0);
    EXPECT_EQ(form.edits[0].text, "70");
    EXPECT_EQ(form.edits[1].text, "-50");
    EXPECT_EQ(form.edits[2].text, "20");
    EXPECT_EQ(form.description,
              "Turns the image away as if turning a page.\nThe Image will be 'picked' on the top "
              "left corner "
              "and rolled to the bottom right corner");
    form.SelectListLine(1, 2);
    SetupPageEffect(form, kSetupListChanged);
    EXPECT_EQ(form.edits[0].text, "240");
    EXPECT_EQ(form.edits[1].text, "-120");
    EXPECT_TRUE(form.pingPongEnabled);
    EXPECT_FALSE(form.pingPong);
}

TEST_F(SetupTest, SatelliteStartPositionsAndChecks) {
    Configure(SetupRollSphereSatellite);
    EXPECT_EQ(form.edits[0].text, "65");
    EXPECT_EQ(form.edits[3].text, "10");
    EXPECT_EQ(form.edits[4].text, "20");
    EXPECT_EQ(form.edits[1].text, "0");
    EXPECT_TRUE(form.checks[0].checked && !form.checks[1].checked && form.checks[2].checked &&
                !form.checks[3].checked);
    const char* expected[9][2] = {{"0", "0"},     {"50", "60"},    {"-50", "60"},
                                  {"-50", "-60"}, {"50", "-60"},   {"50", "120"},
                                  {"-50", "120"}, {"-50", "-120"}, {"50", "-120"}};
    for (int line = 0; line < 9; ++line) {
        form.SelectListLine(1, line);
        SetupRollSphereSatellite(form, kSetupListChanged);
        EXPECT_EQ(form.edits[1].text, expected[line][0]);
        EXPECT_EQ(form.edits[2].text, expected[line][1]);
    }
}

TEST_F(SetupTest, RadarPositionEnablesStartAngleOnlyInTheCentre) {
    Configure(SetupRadarEffect);
    EXPECT_TRUE(form.edits[0].enabled);
    form.SelectListLine(1, 3);
    SetupRadarEffect(form, kSetupListChanged);
    EXPECT_FALSE(form.edits[0].enabled);
    form.SelectListLine(1, 0);
    SetupRadarEffect(form, kSetupListChanged);
    EXPECT_TRUE(form.edits[0].enabled);
    Configure(SetupRadarTransition);
    EXPECT_FALSE(form.colourUsed);
}

TEST_F(SetupTest, MoveBothDescriptionFollowsTheOption) {
    Configure(SetupMoveBoth, 64, 48, true);
    EXPECT_EQ(form.lists[0].label, "Direction of Image 1");
    EXPECT_EQ(form.lists[1].label, "Direction of Image 2");
    EXPECT_EQ(form.lists[1].lines.size(), 8u);
    form.checks[0].checked = true;
    SetupMoveBoth(form, kSetupOptionClicked);
    EXPECT_EQ(form.description, "Moves both Images,with Image 2 on top of Image 1.");
    form.checks[0].checked = false;
    SetupMoveBoth(form, kSetupOptionClicked);
    EXPECT_EQ(form.description, "Moves both Images,with Image 1 on top of Image 2.");
}

TEST_F(SetupTest, EveryEntryConfiguresAndAcceptsItsDefaults) {
    for (bool effect : {true, false}) {
        const int count = effect ? kEffectCount : kTransitionCount;
        for (int i = 0; i < count; ++i) {
            const RegistryEntry* e = FindEntry(effect, i);
            Configure(e->setup, 90, 80, !effect);
            form.frameCountText = "16";  // fits a 4 x 4 spiral on 90 x 80
            EXPECT_FALSE(form.description.empty()) << e->name;
            EXPECT_EQ(e->setup(form, kSetupValidate), 1) << e->name << ": " << LastMessage();
            EXPECT_EQ(e->setup(form, kSetupLeave), 1);
        }
    }
    EXPECT_TRUE(host.messages().empty());
}

// --- the dialog logic on top of the form ---

class SelectionTest : public RendererTest {
  protected:
    EffectSession session;
};

TEST_F(SelectionTest, OpeningWithoutSecondImageOffersOnlyEffects) {
    FrameRecord* f = owner.add(testing_support::MakeFrame(doc, 20, 10, {0}));
    session.block.noSecondImage = 1;
    session.block.isEffect = 0;
    EffectSelection dialog(host, session);
    dialog.Open(f);
    EXPECT_EQ(dialog.title, "Select Effect - (Transition not possible -> no second image)");
    EXPECT_TRUE(dialog.effectMode());
    EXPECT_FALSE(dialog.ChooseTransitionMode());
    EXPECT_EQ(host.messages().back().text,
              "Transitions can only be performed between the selected Image and its successor.");
    EXPECT_EQ(host.messages().back().caption, "Warning");
    EXPECT_TRUE(dialog.effectMode());
}

TEST_F(SelectionTest, SuccessorOfAnotherPlaceMakesTheTitleSaySo) {
    FrameRecord* a = owner.add(testing_support::MakeFrame(doc, 20, 10, {0}));
    FrameRecord* b = owner.add(testing_support::MakeFrame(doc, 20, 10, {0}));
    b->left = 1;
    a->next = b;
    b->prev = a;
    session.block.isEffect = 0;
    EffectSelection dialog(host, session);
    dialog.Open(a);
    a->next = nullptr;
    b->prev = nullptr;
    EXPECT_EQ(dialog.title, "Size of second Image doesn't match");
    EXPECT_EQ(session.block.noSecondImage, 1);
    EXPECT_TRUE(dialog.effectMode());
}

TEST_F(SelectionTest, OkWritesTheBlockAndCancelRestores) {
    FrameRecord* f = owner.add(testing_support::MakeFrame(doc, 20, 10, {0, 0xFFFFFF}));
    session.block.isEffect = 1;
    session.block.effectIndex = 1;  // Blur
    EffectSelection dialog(host, session);
    dialog.Open(f);
    EXPECT_EQ(dialog.form.edits[0].text, "20");
    EXPECT_EQ(dialog.form.frameCountText, "10");
    dialog.SelectEffect(4);  // Emboss
    dialog.form.edits[1].text = "200";
    dialog.form.frameCountText = "0";
    EXPECT_FALSE(dialog.Ok());
    EXPECT_EQ(host.messages().back().text, "Number of Frames must be larger than Zero !");
    EXPECT_EQ(host.messages().back().caption, "Invalid Parameter");
    dialog.form.frameCountText = "3";
    EXPECT_TRUE(dialog.Ok());
    EXPECT_EQ(session.block.effectIndex, 4);
    EXPECT_EQ(session.block.frameCount, 3);
    EXPECT_EQ(session.block.value[0], 20);
    EXPECT_EQ(session.block.value[1], 200);
    EXPECT_EQ(session.block.colorIndex, 0);
    EXPECT_EQ(session.block.preview, 0);

    EffectSelection again(host, session);
    again.Open(f);
    again.SelectEffect(9);
    EXPECT_TRUE(again.form.colourUsed);
    again.Cancel();
    EXPECT_EQ(session.block.effectIndex, 4);
}

TEST_F(SelectionTest, PingPongNeedsTwoFramesAndTransparentColourAsks) {
    FrameRecord* f = owner.add(testing_support::MakeFrame(doc, 20, 10, {0, 0xFFFFFF}));
    f->hasTransparency = 1;
    f->transparentIndex = 0;
    session.block.isEffect = 1;
    session.block.effectIndex = 5;  // Fade Out
    session.block.frameCount = 1;
    EffectSelection dialog(host, session);
    dialog.Open(f);
    EXPECT_FALSE(dialog.PingPongClicked(true));
    EXPECT_EQ(host.messages().back().text, "PingPong requires at least two frames.");
    EXPECT_FALSE(dialog.form.pingPong);
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(dialog.Ok());
    EXPECT_EQ(
        host.questions().back().text,
        "The color selected for the effect/transition is the transparent color, this may result in "
        "effects without a visible change.\nContinue ?");
    host.answers = {Answer::Ok};
    EXPECT_TRUE(dialog.Ok());
}

TEST_F(SelectionTest, SettledEditsRestoreABadFrameCount) {
    FrameRecord* f = owner.add(testing_support::MakeFrame(doc, 20, 10, {0}));
    session.block.frameCount = 4;
    EffectSelection dialog(host, session);
    dialog.Open(f);
    dialog.form.pingPong = true;
    dialog.form.frameCountText = "1";
    EXPECT_FALSE(dialog.EditsSettled());
    EXPECT_EQ(host.messages().back().text,
              "Number of Frames must be larger than one if PingPong is selected !");
    EXPECT_EQ(dialog.form.frameCountText, "4");
}

}  // namespace
