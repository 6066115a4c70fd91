#pragma once

#include "effects/EffectParams.h"

class FrameRecord;

// Renderers of this build (signature of the registry).
FrameRecord* RenderBlur(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderEmboss(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderFade(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderFadeOut(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderInvert(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderOverblend(FrameRecord* frame1, FrameRecord* frame2, int n,
                             const EffectParams& p);
// Color Blending (frame 2 given) and Color Blending Out (no frame 2).
FrameRecord* RenderColourBlending(FrameRecord* frame1, FrameRecord* frame2, int n,
                                  const EffectParams& p);
