#include "effects/EffectRegistry.h"

#include <cctype>

#include "effects/EffectSetup.h"
#include "effects/renderers/Renderers.h"

FrameRecord* RendererNotAvailable(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}

namespace {
constexpr Renderer kNone = RendererNotAvailable;
}  // namespace

const std::array<RegistryEntry, kEffectCount>& EffectTable() {
    static const std::array<RegistryEntry, kEffectCount> table{{
        {"Blind", SetupBlindEffect, kNone},
        {"Blur", SetupBlur, RenderBlur},
        {"Checkers", SetupCheckers, kNone},
        {"Color Blending Out", SetupColorBlendingOut, RenderColourBlending},
        {"Emboss", SetupEmboss, RenderEmboss},
        {"Fade Out", SetupFadeOut, RenderFadeOut},
        {"Flag", SetupFlag, kNone},
        {"Frame Out", SetupFrameOut, kNone},
        {"Fringe", SetupFringeEffect, kNone},
        {"Invert", SetupInvert, RenderInvert},
        {"Move", SetupMove, kNone},
        {"Page", SetupPageEffect, kNone},
        {"Pixelize", SetupPixelizeEffect, kNone},
        {"Radar", SetupRadarEffect, kNone},
        {"Random Shine through", SetupRandomShineEffect, kNone},
        {"Roll Sphere", SetupRollSphereEffect, kNone},
        {"Rotor", SetupRotorEffect, kNone},
        {"Spiral", SetupSpiralEffect, kNone},
        {"Spot", SetupSpotEffect, kNone},
        {"Tilt In", SetupTiltInEffect, kNone},
        {"Wave Out", SetupWaveOut, kNone},
        {"Weave", SetupWeave, kNone},
        {"Zoom Out", SetupZoomOutEffect, kNone},
    }};
    return table;
}

const std::array<RegistryEntry, kTransitionCount>& TransitionTable() {
    static const std::array<RegistryEntry, kTransitionCount> table{{
        {"Blind", SetupBlindTransition, kNone},
        {"Blur", SetupBlur, RenderBlur},
        {"Color Blending", SetupColorBlending, RenderColourBlending},
        {"Emboss", SetupEmboss, RenderEmboss},
        {"Fade", SetupFade, RenderFade},
        {"Frame Out 1. Image", SetupFrameOutImage1, kNone},
        {"Frame In 2. Image", SetupFrameInImage2, kNone},
        {"Fringe", SetupFringeTransition, kNone},
        {"Move 1. Image", SetupMoveImage1, kNone},
        {"Move 2. Image", SetupMoveImage2, kNone},
        {"Move both Images", SetupMoveBoth, kNone},
        {"Overblend", SetupOverblend, RenderOverblend},
        {"Page", SetupPageTransition, kNone},
        {"Pixelize", SetupPixelizeTransition, kNone},
        {"Radar", SetupRadarTransition, kNone},
        {"Random Rects", SetupRandomRects, kNone},
        {"Random Shine through", SetupRandomShineTransition, kNone},
        {"Roll Sphere", SetupRollSphereTransition, kNone},
        {"Roll Sphere with Satellite", SetupRollSphereSatellite, kNone},
        {"Rotor", SetupRotorTransition, kNone},
        {"Spiral", SetupSpiralTransition, kNone},
        {"Spot", SetupSpotTransition, kNone},
        {"Tilt In", SetupTiltInTransition, kNone},
        {"Wave", SetupWave, kNone},
        {"Zoom In", SetupZoomIn, kNone},
        {"Zoom Out", SetupZoomOutTransition, kNone},
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
