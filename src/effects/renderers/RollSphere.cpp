#include "effects/renderers/Renderers.h"

FrameRecord* RenderRollSphere(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
