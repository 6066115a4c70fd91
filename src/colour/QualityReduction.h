#pragma once

#include <cstdint>

class FrameRecord;

// The quality palette: libimagequant chooses at most 255 colours for how the picture
// looks and maps the pixels to them with Floyd-Steinberg dithering, so that gradients and
// photos keep their shading. Like the exact rule it gives the frame its own palette,
// keeps the reserved colours exactly, and sends transparent pixels to the slot after the
// colours.

// dither: 0 (none) to 100 (full). Returns false when the frame's abortReduce was set or
// memory ran out; the frame is then left as it was.
bool ReduceFrameQuality(FrameRecord& frame, int dither);
