// The two registry tables.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/EffectRegistry.h"

namespace {

TEST(EffectRegistry, TablesHoldTheNamesInOrder) {
    const std::vector<std::string> effects = {"Blind",
                                              "Blur",
                                              "Checkers",
                                              "Color Blending Out",
                                              "Emboss",
                                              "Fade Out",
                                              "Flag",
                                              "Frame Out",
                                              "Fringe",
                                              "Invert",
                                              "Move",
                                              "Page",
                                              "Pixelize",
                                              "Radar",
                                              "Random Shine through",
                                              "Roll Sphere",
                                              "Rotor",
                                              "Spiral",
                                              "Spot",
                                              "Tilt In",
                                              "Wave Out",
                                              "Weave",
                                              "Zoom Out"};
    const std::vector<std::string> transitions = {"Blind",
                                                  "Blur",
                                                  "Color Blending",
                                                  "Emboss",
                                                  "Fade",
                                                  "Frame Out 1. Image",
                                                  "Frame In 2. Image",
                                                  "Fringe",
                                                  "Move 1. Image",
                                                  "Move 2. Image",
                                                  "Move both Images",
                                                  "Overblend",
                                                  "Page",
                                                  "Pixelize",
                                                  "Radar",
                                                  "Random Rects",
                                                  "Random Shine through",
                                                  "Roll Sphere",
                                                  "Roll Sphere with Satellite",
                                                  "Rotor",
                                                  "Spiral",
                                                  "Spot",
                                                  "Tilt In",
                                                  "Wave",
                                                  "Zoom In",
                                                  "Zoom Out"};
    ASSERT_EQ(EffectTable().size(), effects.size());
    ASSERT_EQ(TransitionTable().size(), transitions.size());
    for (size_t i = 0; i < effects.size(); ++i) {
        EXPECT_EQ(EffectTable()[i].name, effects[i]);
        EXPECT_LT(std::string(EffectTable()[i].name).size(), 100u);
        EXPECT_NE(EffectTable()[i].setup, nullptr);
        EXPECT_NE(EffectTable()[i].renderer, nullptr);
    }
    for (size_t i = 0; i < transitions.size(); ++i)
        EXPECT_EQ(TransitionTable()[i].name, transitions[i]);
    EXPECT_EQ(FindEntryByName(true, "color blending out"), 3);
    EXPECT_EQ(FindEntryByName(false, "ZOOM OUT"), 25);
    EXPECT_EQ(FindEntryByName(true, "Zoom In"), -1);
    EXPECT_EQ(FindEntry(true, 23), nullptr);
    EXPECT_EQ(FindEntry(false, -1), nullptr);
}

TEST(EffectRegistry, SharedRenderersAndEntriesNotInThisBuild) {
    EXPECT_EQ(EffectTable()[1].renderer, TransitionTable()[1].renderer);  // Blur
    EXPECT_EQ(EffectTable()[4].renderer, TransitionTable()[3].renderer);  // Emboss
    EXPECT_EQ(EffectTable()[3].renderer, TransitionTable()[2].renderer);  // colour blending
    EXPECT_EQ(EffectTable()[1].setup, TransitionTable()[1].setup);
    RecordingHost host;
    AnimationDocument doc(host, 1);
    FrameRecord* f = testing_support::MakeFrame(doc, 4, 4, {0});
    EffectParams p;
    p.preview = 1;
    // Entries whose renderer is not in this build give none, so Apply reports 2004.
    for (const RegistryEntry& e : EffectTable())
        if (e.renderer == RendererNotAvailable) EXPECT_EQ(e.renderer(f, nullptr, 3, p), nullptr);
    for (const RegistryEntry& e : TransitionTable())
        if (e.renderer == RendererNotAvailable) EXPECT_EQ(e.renderer(f, f, 3, p), nullptr);
    EXPECT_EQ(RendererNotAvailable(f, nullptr, 3, p), nullptr);
    DiscardChain(f);
}

}  // namespace
