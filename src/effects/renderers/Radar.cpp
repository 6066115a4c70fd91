#include "effects/renderers/Renderers.h"

FrameRecord* RenderRadar(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
