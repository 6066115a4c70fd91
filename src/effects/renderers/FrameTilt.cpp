#include "effects/renderers/Renderers.h"

FrameRecord* RenderFrameOut(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderFrameIn(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderTiltIn(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
