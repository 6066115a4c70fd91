#include "effects/renderers/Renderers.h"

FrameRecord* RenderPixelize(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
FrameRecord* RenderRandomRects(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
