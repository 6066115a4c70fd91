#pragma once

#include <vector>

class AnimationDocument;
class FrameRecord;

// Duplicate frames: a frame whose composed picture differs from that of the last frame
// kept before it by at most `threshold` (the mean absolute difference per channel, 0-255;
// 0 = identical) repeats it. Removing it adds its delay to the kept frame. Only frames
// that keep the screen for their successor, carry no comments and whose delay still
// fits are removed, so that what follows them shows as before; nothing is removed when
// the document uses one delay for all frames.

// The frames that would go, in order.
std::vector<FrameRecord*> FindDuplicateFrames(AnimationDocument& doc, double threshold);

// Removes them as the editor's Delete does (their entries, the selection), adding their
// delays to the frames kept. Window thread only. Returns the number of frames removed.
int RemoveDuplicateFrames(AnimationDocument& doc, double threshold);
