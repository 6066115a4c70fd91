#include "effects/renderers/Renderers.h"

FrameRecord* RenderPage(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
