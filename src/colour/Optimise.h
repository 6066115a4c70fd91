#pragma once

#include <cstdint>

#include "colour/OptimiseProgress.h"

class AnimationDocument;
class FrameRecord;
class IndexBuffer;

// Optimisation for file size: every frame after the first is cropped to where it
// changes the screen, frames move onto one shared global palette where their colours
// allow it, frames that keep a local palette get transparent pixels where they repeat
// what lies beneath, and everything is cropped again. Colours are compared through the
// quality mask ("Gif Compression").

// The five quality levels of the save options, 1 "Highest Quality" .. 5 "Smallest Size".
constexpr int kQualityLevels = 5;
constexpr int kDefaultQualityLevel = 3;
uint32_t QualityMask(int level);     // 0xFCFCFC .. 0xC0C0C0; level 3 when out of range
int QualityLevel(uint32_t mask);     // 1..5; 3 for any other mask
const char* QualityName(int level);  // "Highest Quality" .. "Smallest Size"

// A frame colour joins a global palette entry within this much per component.
constexpr int kGlobalColourTolerance = 5;
// Gaps between differing pixels below this make a row or column count as changed.
constexpr int kChangeGap = 3;

// Runs all phases on the document's frames ("Optimizing Rects", "Optimizing Palette",
// "Final Run") with the document's quality mask. Returns 0, or -1 when aborted (frames
// done so far stay optimised). Runs on the window thread.
int Optimise(AnimationDocument& doc, OptimiseProgress& progress);

// The same for the smallest file, as saving optimised does: every frame's colours join
// the global palette while there is room, and the final run ends by choosing each frame's
// smallest coding (ChooseEncodings) with the document's lossy setting.
int OptimiseForSize(AnimationDocument& doc, OptimiseProgress& progress);

// Crops a frame that has a predecessor to the rectangle in which it changes the screen.
// Isolated differing pixels (at most width / 20 in a row or column, 3 or more apart)
// do not count, except at the highest quality level. Returns true when the frame was
// cropped.
bool CropToChanges(FrameRecord& frame);

// Moves frames onto a global palette built from empty; see the source for the rules.
// everyFrame: frames more than a third unchanged try the global palette too. Returns
// false when aborted.
bool OptimisePalette(AnimationDocument& doc, int count, OptimiseProgress& progress,
                     bool everyFrame = false);

// Writes the frame's indexes into `target` (of the frame's size), with the transparent
// index wherever the frame's colour equals, under the quality mask, what shows beneath.
// Only for a frame with a predecessor, a transparent slot and a disposal before it that
// keeps the screen; otherwise returns 0 and leaves target untouched. Returns the number
// of transparent pixels in target.
int MakeUnchangedTransparent(FrameRecord& frame, IndexBuffer& target);

// True when a and b (0x00RRGGBB) are equal under the mask.
inline bool SameUnderMask(uint32_t a, uint32_t b, uint32_t mask) {
    return ((a ^ b) & mask) == 0;
}
