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

// Renderers still to be written return none, so Apply reports that nothing could be made.
// Blind, checkers, fringe and weave.
FrameRecord* RenderBlind(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderBlindTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                   const EffectParams& p);
FrameRecord* RenderCheckers(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderFringe(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderFringeTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                    const EffectParams& p);
FrameRecord* RenderWeave(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
// Pixelize and random rectangles.
FrameRecord* RenderPixelize(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderRandomRects(FrameRecord* frame1, FrameRecord* frame2, int n,
                               const EffectParams& p);
// Frame in/out and tilt.
FrameRecord* RenderFrameOut(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderFrameIn(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderTiltIn(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
// Move and zoom.
FrameRecord* RenderMoveImage1(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p);
FrameRecord* RenderMoveImage2(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p);
FrameRecord* RenderMoveBoth(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderZoomIn(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderZoomOut(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
// Roll sphere.
FrameRecord* RenderRollSphere(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p);
// Spiral and rotor.
FrameRecord* RenderSpiral(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderSpiralTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                    const EffectParams& p);
FrameRecord* RenderRotor(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderRotorTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                   const EffectParams& p);
// Spot and random shine-through.
FrameRecord* RenderSpot(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderSpotTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                  const EffectParams& p);
FrameRecord* RenderRandomShine(FrameRecord* frame1, FrameRecord* frame2, int n,
                               const EffectParams& p);
// Wave and flag.
FrameRecord* RenderWave(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
FrameRecord* RenderFlag(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
// Page turn.
FrameRecord* RenderPage(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
// Sphere with satellite.
FrameRecord* RenderSatellite(FrameRecord* frame1, FrameRecord* frame2, int n,
                             const EffectParams& p);
// Radar.
FrameRecord* RenderRadar(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p);
