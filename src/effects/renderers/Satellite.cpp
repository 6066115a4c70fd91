#include "effects/renderers/Renderers.h"

FrameRecord* RenderSatellite(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
