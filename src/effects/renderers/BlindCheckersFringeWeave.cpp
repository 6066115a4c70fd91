#include "effects/renderers/Renderers.h"

FrameRecord* RenderBlind(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderBlindTransition(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderCheckers(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderFringe(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderFringeTransition(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderWeave(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
