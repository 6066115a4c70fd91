#pragma once

#include <cstdint>
#include <string>

class AnimationDocument;
class FrameRecord;
class TreeItem;

// The editing commands on the frame list and its tree, as the shell's menu, keys and
// context menu invoke them. Each keeps the rule that the n-th image entry in pre-order
// is the n-th frame, and keeps the group tables equal to what lies under the group
// entries. Window thread only.

// Kinds of tree entries, decided from their text.
enum class ItemKind {
    Root = 0,
    Image = 1,
    Group = 2,
    FrameComment = 3,
    GlobalComment = 4,
    Banner = 5
};
ItemKind KindOfItem(const AnimationDocument& doc, const TreeItem* item);

// Delete on the selected entry. confirmDelete: ask before removing an image. Returns 0
// when something was removed, -1 when nothing was (refused, or nothing to delete).
int DeleteSelectedItem(AnimationDocument& doc, bool confirmDelete);

// Deletes one frame with its entry (as Delete on it, without asking). 0, or -1 when the
// frame has no entry.
int DeleteFrame(AnimationDocument& doc, FrameRecord* frame);

// Duplicate: a copy of the selected frame right behind it. 0, or -1 (reported).
int DuplicateSelectedFrame(AnimationDocument& doc);

// Paste: a true-colour picture (0x00RRGGBB rows, top-down) as a new frame after the
// selected image, or in front when the root is selected (other entries: nothing), entry "Gif : Copy
// of Clipboard". A picture whose size differs from the selected frame's is resized to it after
// asking. 0, or -1 (declined or reported).
int PasteFrame(AnimationDocument& doc, const uint32_t* pixels, int width, int height);

// Recomputes every group table entry from the frames under its group entry; an entry
// whose group entry has gone (or holds no frames) is empty.
void SyncGroupTables(AnimationDocument& doc);

// Drops the composed pictures from `frame` on for as long as frames build on their
// predecessor, so that they are composed again.
void DiscardComposedFrom(FrameRecord* frame);

// After the frame list became empty: the document's animation state is reset (the
// global comments stay). The shell then applies its "no document" enabling.
void ResetEmptyDocument(AnimationDocument& doc);
