#include "effects/renderers/Renderers.h"

FrameRecord* RenderSpot(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderSpotTransition(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderRandomShine(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
