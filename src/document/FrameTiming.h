#pragma once

#include <cstddef>
#include <vector>

class AnimationDocument;

// Delays of several frames at once, in hundredths of a second. Frames are named by their
// positions in the list (from 0); each operation is one change of the document. Returns
// 0, or -1 when nothing changed (no frames, a value out of range, delays as they were).

constexpr int kMaxFrameDelay = 65535;  // what the GIF field holds
constexpr int kMinDelayPercent = 1, kMaxDelayPercent = 1000;

// Every frame's delay becomes `delay` (0 .. kMaxFrameDelay).
int SetFrameDelays(AnimationDocument& doc, const std::vector<size_t>& positions, int delay);

// Every frame's delay is multiplied by percent / 100 (kMinDelayPercent .. kMaxDelayPercent),
// rounded to the nearest hundredth (halves up), kept within 0 .. kMaxFrameDelay.
int ScaleFrameDelays(AnimationDocument& doc, const std::vector<size_t>& positions, int percent);
int ScaledDelay(int delay, int percent);
