#pragma once

#include <memory>

#include "document/FrameRecord.h"
#include "document/PixelPlanes.h"

// Scaling one frame. The smooth form works in true colour (box average when
// shrinking, a linear ramp when enlarging, one axis at a time) and reduces the frame
// again; the plain form resamples the palette indexes by nearest neighbour.

// smooth: true-colour scaling (the frame is reduced again when restartReduction).
// skipGeometry: take newWidth x newHeight as given instead of scaling the frame's
// offset and partial size against the logical screen.
// Returns 0 on success, 5 when the memory (or a sensible size) could not be had.
int Resize(FrameRecord& frame, int newWidth, int newHeight, bool smooth, bool skipGeometry,
           bool restartReduction);

// Resizes every frame of the document (scaling offsets and partial frames) for a logical
// screen of newWidth x newHeight, then the screen. smooth: in true colour, then the
// reductions start; otherwise the palette indexes are resampled (nearest neighbour).
// All or nothing: when one frame cannot be resized (too many pixels, no memory) every
// frame is put back as it was and the screen keeps its size. 0 success, 5 refused.
int ResizeAnimation(AnimationDocument& doc, int newWidth, int newHeight, bool smooth);

// The size and offset a frame takes when the screen is resized to newWidth x newHeight:
// refreshes the document's reference size and adjusts the four values in place.
void ScaleResizeGeometry(FrameRecord& frame, int& newWidth, int& newHeight, int& left, int& top);

// The two passes of the smooth form. nullptr when memory ran out.
std::unique_ptr<TrueColourBuffer> ScaleHorizontally(const TrueColourBuffer& source, int newWidth);
std::unique_ptr<TrueColourBuffer> ScaleVertically(const TrueColourBuffer& source, int newHeight);
