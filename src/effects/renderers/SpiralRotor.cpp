#include "effects/renderers/Renderers.h"

FrameRecord* RenderSpiral(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderSpiralTransition(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderRotor(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderRotorTransition(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
