#pragma once

class AnimationDocument;
class FrameRecord;

// Which palette the frames draw with: the rules behind the global and local palette
// switches. Each is one change of the document (it calls MarkChanged) and keeps every
// frame's colours; the caller composes the pictures again.

// The global palette on or off. Off: every frame that drew with it gets a copy of it as
// its own, after waiting for running reductions (they decide the palette kinds).
void SetUseGlobalPalette(AnimationDocument& doc, bool on);

// The frame's own palette on or off. On: a frame that drew with the global palette keeps
// it as its own. Off: the frame draws with the global palette, which is switched on when
// the document had none. Returns true when the global palette was switched on.
bool SetUseLocalPalette(AnimationDocument& doc, FrameRecord& frame, bool on);
