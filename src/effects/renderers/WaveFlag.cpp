#include "effects/renderers/Renderers.h"

FrameRecord* RenderWave(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderFlag(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
