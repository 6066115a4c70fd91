#pragma once

#include "colour/OptimiseProgress.h"

class AnimationDocument;

// The last phase of optimising: every frame is written the way that codes smallest
// while every composed picture stays exactly as it is. For each frame with a
// predecessor (whose screen it keeps) the rectangle shrinks to the pixels that really
// change; the pixels that repeat the screen may be transparent, and the LZW coder
// takes them as transparent or opaque, whichever continues its match; the frame's
// colours go on the global table or on a local table of just the colours used, and of
// the candidates the one with the fewest bytes is kept. A frame that changes nothing
// becomes one transparent pixel. A frame that restores the background (or the previous
// picture) before a frame covering the whole screen opaquely keeps the screen instead
// when its successor then codes smaller over it.
//
// With `lossy` (0-200, 0 lossless) the coder may also continue a match through a pixel
// whose colour is close to the one matched, and the frames then hold those colours.
// Returns false when aborted.
bool ChooseEncodings(AnimationDocument& doc, int lossy, OptimiseProgress& progress);
