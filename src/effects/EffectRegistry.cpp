#include "effects/EffectRegistry.h"

#include <cctype>

#include "effects/EffectSetup.h"
#include "effects/renderers/Renderers.h"

const std::array<RegistryEntry, kEffectCount>& EffectTable() {
    static const std::array<RegistryEntry, kEffectCount> table{{
        {"Blind", SetupBlindEffect, RenderBlind},
        {"Blur", SetupBlur, RenderBlur},
        {"Checkers", SetupCheckers, RenderCheckers},
        {"Color Blending Out", SetupColorBlendingOut, RenderColourBlending},
        {"Emboss", SetupEmboss, RenderEmboss},
        {"Fade Out", SetupFadeOut, RenderFadeOut},
        {"Flag", SetupFlag, RenderFlag},
        {"Frame Out", SetupFrameOut, RenderFrameOut},
        {"Fringe", SetupFringeEffect, RenderFringe},
        {"Invert", SetupInvert, RenderInvert},
        {"Move", SetupMove, RenderMoveImage1},
        {"Page", SetupPageEffect, RenderPage},
        {"Pixelize", SetupPixelizeEffect, RenderPixelize},
        {"Radar", SetupRadarEffect, RenderRadar},
        {"Random Shine through", SetupRandomShineEffect, RenderRandomShine},
        {"Roll Sphere", SetupRollSphereEffect, RenderRollSphere},
        {"Rotor", SetupRotorEffect, RenderRotor},
        {"Spiral", SetupSpiralEffect, RenderSpiral},
        {"Spot", SetupSpotEffect, RenderSpot},
        {"Tilt In", SetupTiltInEffect, RenderTiltIn},
        {"Wave Out", SetupWaveOut, RenderWave},
        {"Weave", SetupWeave, RenderWeave},
        {"Zoom Out", SetupZoomOutEffect, RenderZoomOut},
    }};
    return table;
}

const std::array<RegistryEntry, kTransitionCount>& TransitionTable() {
    static const std::array<RegistryEntry, kTransitionCount> table{{
        {"Blind", SetupBlindTransition, RenderBlindTransition},
        {"Blur", SetupBlur, RenderBlur},
        {"Color Blending", SetupColorBlending, RenderColourBlending},
        {"Emboss", SetupEmboss, RenderEmboss},
        {"Fade", SetupFade, RenderFade},
        {"Frame Out 1. Image", SetupFrameOutImage1, RenderFrameOut},
        {"Frame In 2. Image", SetupFrameInImage2, RenderFrameIn},
        {"Fringe", SetupFringeTransition, RenderFringeTransition},
        {"Move 1. Image", SetupMoveImage1, RenderMoveImage1},
        {"Move 2. Image", SetupMoveImage2, RenderMoveImage2},
        {"Move both Images", SetupMoveBoth, RenderMoveBoth},
        {"Overblend", SetupOverblend, RenderOverblend},
        {"Page", SetupPageTransition, RenderPage},
        {"Pixelize", SetupPixelizeTransition, RenderPixelize},
        {"Radar", SetupRadarTransition, RenderRadar},
        {"Random Rects", SetupRandomRects, RenderRandomRects},
        {"Random Shine through", SetupRandomShineTransition, RenderRandomShine},
        {"Roll Sphere", SetupRollSphereTransition, RenderRollSphere},
        {"Roll Sphere with Satellite", SetupRollSphereSatellite, RenderSatellite},
        {"Rotor", SetupRotorTransition, RenderRotorTransition},
        {"Spiral", SetupSpiralTransition, RenderSpiralTransition},
        {"Spot", SetupSpotTransition, RenderSpotTransition},
        {"Tilt In", SetupTiltInTransition, RenderTiltIn},
        {"Wave", SetupWave, RenderWave},
        {"Zoom In", SetupZoomIn, RenderZoomIn},
        {"Zoom Out", SetupZoomOutTransition, RenderZoomOut},
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
