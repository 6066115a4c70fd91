#pragma once

#include <cstddef>
#include <vector>

#include "document/DocumentState.h"

class AnimationDocument;

// Commands that rearrange several frames with their tree entries: reverse, yo-yo, move
// or copy to another place, delete and duplicate. Frames are named by their positions
// in the list (from 0, ascending). Each operation is one change of the document, so that
// inside one DocumentEdit it is one undo step. An image entry moves with the comment
// entries under it; a group entry left without frames goes, as when its last image is
// deleted. Window thread only. Each returns 0, or -1 when nothing changed.

// The positions of the frames whose image entries are among `items`, ascending.
std::vector<size_t> FramePositions(AnimationDocument& doc, const std::vector<TreeItem*>& items);

// The frames change places: the first selected and the last, the second and the one
// before the last, ... Needs two frames.
int ReverseFrames(AnimationDocument& doc, const std::vector<size_t>& positions);

// Behind the last of the frames, copies of them backwards without repeating either end:
// 1 2 3 4 becomes 1 2 3 4 3 2. Needs three frames.
int YoyoFrames(AnimationDocument& doc, const std::vector<size_t>& positions);

// Where dropped frames go: in front of the target entry or behind it (with what lies
// under it). The root stands for the front of the animation (Before) or its end (After).
enum class DropPlace { Before, After };
// Moves (or, with copy, copies) the frames to the target, in their order, at the
// target's level: beside an image entry (inside its group when it has one), beside a
// group entry, at the top level for the root; a comment entry stands for its image.
// Moving frames onto one of themselves changes nothing.
int MoveFrames(AnimationDocument& doc, const std::vector<size_t>& positions, const TreeItem* target,
               DropPlace place, bool copy);

// Frames with their image and comment entries, taken to be put in elsewhere (what Copy
// keeps of several frames for Paste). Sharing the planes, they cost little to keep.
struct CopiedFrames {
    std::vector<FrameState> frames;
    std::vector<std::vector<FrameTree::Entry>> entries;  // per frame, depths from 0
    DocumentParameters parameters;                       // of the document they came from
    bool empty() const { return frames.empty(); }
};
CopiedFrames CopyFrames(AnimationDocument& doc, const std::vector<size_t>& positions);
// Puts copies of them at the target, as MoveFrames copies. -1 also when the document's
// screen or global palette is not the one they came with (they would look different).
int InsertFrames(AnimationDocument& doc, const CopiedFrames& copied, const TreeItem* target,
                 DropPlace place);

// Deletes the frames with their entries, as Delete does one at a time (without asking).
int DeleteFrames(AnimationDocument& doc, const std::vector<size_t>& positions);

// A copy of each frame right behind it, as Duplicate makes one.
int DuplicateFrames(AnimationDocument& doc, const std::vector<size_t>& positions);
