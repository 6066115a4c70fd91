#pragma once

#include <cstdint>
#include <vector>

class FrameRecord;

// The logical screen as the viewer sees it around one frame, computed the way the
// composition does it but on the calling thread and regardless of the busy flag (the
// optimiser runs while a save holds compositions back). Pixels 0x00RRGGBB, top-down,
// screen width x height.
using ScreenPixels = std::vector<uint32_t>;

// What lies on the screen just before `frame` is drawn. `afterPrevious` is the screen
// after the predecessor; it is used when that predecessor's disposal keeps the screen.
ScreenPixels ScreenBefore(const FrameRecord& frame, const ScreenPixels& afterPrevious);

// Draws `frame` onto `screen` (the screen before it): opaque pixels in their palette
// colour, transparent ones in the colour beneath, as the composition shows them.
void DrawFrameOnScreen(const FrameRecord& frame, ScreenPixels& screen);

// The screen after `frame`, computed from the first frame on.
ScreenPixels ScreenAfter(const FrameRecord& frame);

// The colour the composition gives a transparent pixel of `frame` at screen point (x, y).
uint32_t ColourShownThrough(const FrameRecord& frame, int x, int y);
