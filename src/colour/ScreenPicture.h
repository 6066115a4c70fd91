#pragma once

#include <cstdint>
#include <vector>

class AnimationDocument;
class FrameRecord;

// The logical screen as the viewer sees it around one frame, computed the way the
// composition does it but on the calling thread and regardless of the busy flag (the
// optimiser runs while a save holds compositions back). Pixels 0x00RRGGBB, top-down,
// screen width x height.
using ScreenPixels = std::vector<uint32_t>;

// What ColourBeneath answers for the frame after the last one stacked: per screen point
// the colour of the nearest frame covering it with an opaque pixel, or kNothingBeneath.
// Kept frame by frame, it spares walking back through the frames for every pixel.
using BeneathPixels = std::vector<uint32_t>;
constexpr uint32_t kNothingBeneath = 0xFF000000u;

// Empty: nothing beneath any point (before the first frame).
BeneathPixels NothingBeneath(const AnimationDocument& doc);
// Puts `frame` on top of the stack.
void StackFrame(const FrameRecord& frame, BeneathPixels& beneath);

// What lies on the screen just before `frame` is drawn. `afterPrevious` is the screen
// after the predecessor; it is used when that predecessor's disposal keeps the screen.
ScreenPixels ScreenBefore(const FrameRecord& frame, const ScreenPixels& afterPrevious);

// Draws `frame` onto `screen` (the screen before it): opaque pixels in their palette
// colour, transparent ones in the colour beneath, as the composition shows them.
// `beneath` (optional) is the stack up to the frame's predecessor.
void DrawFrameOnScreen(const FrameRecord& frame, ScreenPixels& screen,
                       const BeneathPixels* beneath = nullptr);

// The screen after `frame`, computed from the first frame on.
ScreenPixels ScreenAfter(const FrameRecord& frame);

// The colour the composition gives a transparent pixel of `frame` at screen point (x, y).
// `beneath` as above, or nullptr to ask ColourBeneath.
uint32_t ColourShownThrough(const FrameRecord& frame, int x, int y,
                            const BeneathPixels* beneath = nullptr);
