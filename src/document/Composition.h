#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "document/PixelPlanes.h"

class AnimationDocument;
class FrameRecord;

// The composed picture of a frame: the logical screen as the viewer sees it after the
// frame is shown. Computes it on the calling thread when no composition is running
// (earlier frames it builds on first, front to back), else waits for the running one.
// nullptr when the frame has no pixels yet or compositions are held back (busy).
std::shared_ptr<const ComposedPicture> GetComposedBitmap(FrameRecord& frame);

// Whether the frame has its composed picture (read under its lock: jobs write it).
bool HasComposedBitmap(FrameRecord& frame);
// Whether its picture was made from a frame whose reduction had not ended.
bool HasProvisionalPicture(FrameRecord& frame);

// Starts the composition of every frame of the document that has no picture, as after
// a run that held compositions back (busy).
void ResumeCompositions(AnimationDocument& doc);

// Drops the composed picture, after a running composition has ended.
void DiscardComposedBitmap(FrameRecord& frame);

// The visible colour (0x00RRGGBB) of the frames before `frame` at screen point (x, y):
// the nearest earlier frame that covers the point with an opaque pixel. Disposal
// methods are not consulted. nullopt past the first frame or at a frame being destroyed.
// `pending` is set when the colour comes from a frame whose reduction has not ended.
std::optional<uint32_t> ColourBeneath(const FrameRecord& frame, int x, int y,
                                      bool* pending = nullptr);

// True when a composed picture of a w x h logical screen may be made: a plane of that
// size is acceptable and it fits in the memory budget. Loaders refuse larger screens.
bool ComposedPictureFits(int width, int height);

// The composition itself; the body of a composition job. A picture that does not fit
// (see ComposedPictureFits) is not made: the frame stays without one.
void ComposeFrame(FrameRecord& frame);
