#include "effects/renderers/Renderers.h"

FrameRecord* RenderMoveImage1(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderMoveImage2(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderMoveBoth(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderZoomIn(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderZoomOut(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
