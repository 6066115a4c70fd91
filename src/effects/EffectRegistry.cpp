#include "effects/EffectRegistry.h"

#include <cctype>

#include "effects/EffectSetup.h"
#include "effects/renderers/Renderers.h"

const std::array<RegistryEntry, kEffectCount>& EffectTable() {
    static const std::array<RegistryEntry, kEffectCount> table{{
        {"Blind", SetupBlindEffect, RenderBlind, kBlindEffectFields},
        {"Blur", SetupBlur, RenderBlur, kBlurFields},
        {"Checkers", SetupCheckers, RenderCheckers, {}},
        {"Color Blending Out", SetupColorBlendingOut, RenderColourBlending,
         kColorBlendingOutFields},
        {"Emboss", SetupEmboss, RenderEmboss, kEmbossFields},
        {"Fade Out", SetupFadeOut, RenderFadeOut, kFadeOutFields},
        {"Flag", SetupFlag, RenderFlag, kFlagFields},
        {"Frame Out", SetupFrameOut, RenderFrameOut, kFrameOutFields},
        {"Fringe", SetupFringeEffect, RenderFringe, kFringeEffectFields},
        {"Invert", SetupInvert, RenderInvert, kInvertFields},
        {"Move", SetupMove, RenderMoveImage1, kMoveFields},
        {"Page", SetupPageEffect, RenderPage, kPageFields},
        {"Pixelize", SetupPixelizeEffect, RenderPixelize, {}},
        {"Radar", SetupRadarEffect, RenderRadar, kRadarEffectFields},
        {"Random Shine through", SetupRandomShineEffect, RenderRandomShine,
         kRandomShineEffectFields},
        {"Roll Sphere", SetupRollSphereEffect, RenderRollSphere, kRollSphereFields},
        {"Rotor", SetupRotorEffect, RenderRotor, kRotorFields},
        {"Spiral", SetupSpiralEffect, RenderSpiral, kSpiralEffectFields},
        {"Spot", SetupSpotEffect, RenderSpot, kSpotEffectFields},
        {"Tilt In", SetupTiltInEffect, RenderTiltIn, kTiltInEffectFields},
        {"Wave Out", SetupWaveOut, RenderWave, kWaveOutFields},
        {"Weave", SetupWeave, RenderWeave, {}},
        {"Zoom Out", SetupZoomOutEffect, RenderZoomOut, kZoomOutEffectFields},
    }};
    return table;
}

const std::array<RegistryEntry, kTransitionCount>& TransitionTable() {
    static const std::array<RegistryEntry, kTransitionCount> table{{
        {"Blind", SetupBlindTransition, RenderBlindTransition, kBlindTransitionFields},
        {"Blur", SetupBlur, RenderBlur, kBlurFields},
        {"Color Blending", SetupColorBlending, RenderColourBlending, kColorBlendingFields},
        {"Emboss", SetupEmboss, RenderEmboss, kEmbossFields},
        {"Fade", SetupFade, RenderFade, {}},
        {"Frame Out 1. Image", SetupFrameOutImage1, RenderFrameOut, {}},
        {"Frame In 2. Image", SetupFrameInImage2, RenderFrameIn, {}},
        {"Fringe", SetupFringeTransition, RenderFringeTransition, kFringeTransitionFields},
        {"Move 1. Image", SetupMoveImage1, RenderMoveImage1, kMoveImage1Fields},
        {"Move 2. Image", SetupMoveImage2, RenderMoveImage2, kMoveImage2Fields},
        {"Move both Images", SetupMoveBoth, RenderMoveBoth, kMoveBothFields},
        {"Overblend", SetupOverblend, RenderOverblend, kOverblendFields},
        {"Page", SetupPageTransition, RenderPage, kPageFields},
        {"Pixelize", SetupPixelizeTransition, RenderPixelize, {}},
        {"Radar", SetupRadarTransition, RenderRadar, kRadarTransitionFields},
        {"Random Rects", SetupRandomRects, RenderRandomRects, kRandomRectsFields},
        {"Random Shine through", SetupRandomShineTransition, RenderRandomShine, {}},
        {"Roll Sphere", SetupRollSphereTransition, RenderRollSphere, kRollSphereFields},
        {"Roll Sphere with Satellite", SetupRollSphereSatellite, RenderSatellite, kSatelliteFields},
        {"Rotor", SetupRotorTransition, RenderRotorTransition, kRotorFields},
        {"Spiral", SetupSpiralTransition, RenderSpiralTransition, {}},
        {"Spot", SetupSpotTransition, RenderSpotTransition, kSpotTransitionFields},
        {"Tilt In", SetupTiltInTransition, RenderTiltIn, kTiltInTransitionFields},
        {"Wave", SetupWave, RenderWave, kWaveFields},
        {"Zoom In", SetupZoomIn, RenderZoomIn, kZoomTransitionFields},
        {"Zoom Out", SetupZoomOutTransition, RenderZoomOut, kZoomTransitionFields},
    }};
    return table;
}

const RegistryEntry* FindEntry(bool effect, int index) {
    if (index < 0) return nullptr;
    if (effect) return index < kEffectCount ? &EffectTable()[size_t(index)] : nullptr;
    return index < kTransitionCount ? &TransitionTable()[size_t(index)] : nullptr;
}

int FindEntryByName(bool effect, std::string_view name) {
    const int count = effect ? kEffectCount : kTransitionCount;
    for (int i = 0; i < count; ++i) {
        const std::string_view entry = FindEntry(effect, i)->name;
        if (entry.size() != name.size()) continue;
        bool same = true;
        for (size_t c = 0; c < entry.size() && same; ++c) {
            same = std::tolower(static_cast<unsigned char>(entry[c])) ==
                   std::tolower(static_cast<unsigned char>(name[c]));
        }
        if (same) return i;
    }
    return -1;
}
