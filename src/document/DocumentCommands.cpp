#include "document/DocumentCommands.h"

#include <cstdio>
#include <vector>

#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/Composition.h"
#include "host/Host.h"

namespace {

void Select(AnimationDocument& doc, TreeItem* item, FrameRecord* frame) {
    doc.selectedItem = item ? item : doc.tree.root();
    doc.selectedFrame = frame;
    doc.tree.RequestSelect(doc.selectedItem);
}

// Unlinks `frame` from the document's list and destroys it (waiting for its jobs).
void RemoveFrame(AnimationDocument& doc, FrameRecord* frame) {
    frame->abortReduce = 1;
    doc.DestroyFrame(frame);
}

// The frames whose entries lie under `item` (the item itself included), in order.
std::vector<FrameRecord*> FramesUnder(AnimationDocument& doc, TreeItem* item) {
    std::vector<FrameRecord*> frames;
    FrameRecord* f = doc.firstFrame;
    for (TreeItem* e = FrameTree::NextFrameEntry(doc.tree.root()); e && f;
         e = FrameTree::NextFrameEntry(e), f = f->next) {
        if (FrameTree::IsWithin(e, item)) frames.push_back(f);
    }
    return frames;
}

void RenumberComments(AnimationDocument& doc, TreeItem* frameItem) {
    int n = 0;
    for (int i = 0; i < frameItem->childCount(); ++i) {
        TreeItem* c = frameItem->child(i);
        if (!c->startsWith("Comment")) continue;
        char label[32];
        std::snprintf(label, sizeof label, "Comment [%d]", ++n);
        if (c->text() != label) doc.tree.SetText(c, label);
    }
}

int DeleteImage(AnimationDocument& doc, TreeItem* item, bool confirmDelete) {
    FrameRecord* frame = doc.GetGif(item);
    if (!frame) return -1;
    if (confirmDelete) {
        const std::string question =
            "Do you really want to remove " + item->text() + " from the list ?";
        if (doc.host.ask(question, "Confirm Removal", Buttons::YesNo, MessageIcon::Exclamation) !=
            Answer::Yes) {
            return -1;
        }
    }
    doc.MarkChanged();
    FrameRecord* const successor = frame->next;
    FrameRecord* const predecessor = frame->prev;

    // The next image entry, else the previous sibling, else the root.
    TreeItem* nextItem = FrameTree::NextFrameEntry(item);
    while (nextItem && FrameTree::IsWithin(nextItem, item))
        nextItem = FrameTree::NextFrameEntry(nextItem);
    TreeItem* newItem = nextItem ? nextItem : item->previousSibling();
    if (!newItem) newItem = doc.tree.root();
    FrameRecord* newFrame = successor ? successor : predecessor;

    // A group left without frames goes with its last image.
    TreeItem* group = item->parent();
    const bool groupEmpties = group && group != doc.tree.root() && group->childCount() == 1 &&
                              KindOfItem(doc, group) != ItemKind::Image;
    if (groupEmpties && FrameTree::IsWithin(newItem, group)) newItem = group->previousSibling();
    if (groupEmpties && !newItem) newItem = doc.tree.root();

    RemoveFrame(doc, frame);
    doc.frameCount -= 1;
    DiscardComposedFrom(successor);
    doc.RemoveEntry(groupEmpties ? group : item);
    if (newItem && !newItem->isFrameEntry()) {
        Select(doc, newItem, newFrame);
    } else {
        Select(doc, newItem, newItem ? doc.GetGif(newItem) : nullptr);
    }
    return 0;
}

}  // namespace

int DeleteFrame(AnimationDocument& doc, FrameRecord* frame) {
    TreeItem* item = doc.EntryOfFrame(frame);
    return item ? DeleteImage(doc, item, false) : -1;
}

namespace {

int DeleteComment(AnimationDocument& doc, TreeItem* item, bool global) {
    TreeItem* parent = item->parent();
    const int index = item->row();
    if (global) {
        if (index < 0 || size_t(index) >= doc.globalComments.size()) return -1;
        doc.globalComments.erase(doc.globalComments.begin() + index);
        if (doc.globalComments.empty()) doc.hasGlobalComments = false;
        doc.MarkChanged();
        doc.RebuildGlobalCommentEntries();
        // The rebuild replaced the entries: select the one before by position.
        TreeItem* again = index > 0 ? doc.tree.root()->child(index - 1) : doc.tree.root();
        Select(doc, again, doc.selectedFrame);
        return 0;
    }
    FrameRecord* frame = doc.GetGif(parent);
    if (!frame || index < 0 || size_t(index) >= frame->comments.size()) return -1;
    frame->comments.erase(frame->comments.begin() + index);
    doc.MarkChanged();
    Select(doc, parent, frame);
    doc.RemoveEntry(item);
    RenumberComments(doc, parent);
    return 0;
}

int DeleteGroup(AnimationDocument& doc, TreeItem* item) {
    const std::string question =
        "Do you really want to remove '" + item->text() + "' and all its images from the list ?";
    if (doc.host.ask(question, "Confirm Removal", Buttons::YesNo, MessageIcon::Exclamation) !=
        Answer::Yes) {
        return -1;
    }
    doc.MarkChanged();
    // Exactly the frames whose entries are under the group go, whatever the tables say.
    const std::vector<FrameRecord*> frames = FramesUnder(doc, item);
    TreeItem* newItem = item->previousSibling() ? item->previousSibling() : item->parent();
    FrameRecord* newFrame = nullptr;
    FrameRecord* after = nullptr;
    if (!frames.empty()) {
        newFrame = frames.front()->prev ? frames.front()->prev : frames.back()->next;
        after = frames.back()->next;
    }
    doc.host.waitCursor(true);
    for (FrameRecord* f : frames) {
        RemoveFrame(doc, f);
        doc.frameCount -= 1;
    }
    doc.host.waitCursor(false);
    DiscardComposedFrom(after);
    doc.RemoveEntry(item);
    if (newItem && newItem->isFrameEntry()) newFrame = doc.GetGif(newItem);
    Select(doc, newItem, newFrame);
    return 0;
}

}  // namespace

ItemKind KindOfItem(const AnimationDocument& doc, const TreeItem* item) {
    if (!item || item == doc.tree.root()) return ItemKind::Root;
    if (item->startsWith("Gif")) return ItemKind::Image;
    if (item->startsWith("GlobalComment")) return ItemKind::GlobalComment;
    if (item->startsWith("Comment")) return ItemKind::FrameComment;
    if (item->startsWith("Banner")) return ItemKind::Banner;
    return ItemKind::Group;
}

void DiscardComposedFrom(FrameRecord* frame) {
    for (FrameRecord* f = frame; f; f = f->next) {
        DiscardComposedBitmap(*f);
        // A later frame that covers the screen with no see-through pixels stands alone.
        FrameRecord* next = f->next;
        if (!next) break;
        const bool standsAlone = next->coversScreen() &&
                                 !(next->transparencyActive && next->hasTransparency) &&
                                 next->IsPaletteValid();
        if (standsAlone) {
            DiscardComposedBitmap(*next);  // its own picture may still show the old frames
            break;
        }
    }
}

void ResetEmptyDocument(AnimationDocument& doc) {
    doc.firstFrame = nullptr;
    doc.selectedFrame = nullptr;
    doc.frameCount = 0;
    doc.groups = GroupTables{};
    doc.notifier.Notify(kNotifyReset);
}

int DeleteSelectedItem(AnimationDocument& doc, bool confirmDelete) {
    TreeItem* item = doc.selectedItem;
    if (doc.empty() || !item || item == doc.tree.root() || !doc.tree.Contains(item)) return -1;
    int result = -1;
    switch (KindOfItem(doc, item)) {
        case ItemKind::Image:
            result = DeleteImage(doc, item, confirmDelete);
            break;
        case ItemKind::FrameComment:
            result = DeleteComment(doc, item, false);
            break;
        case ItemKind::GlobalComment:
            result = DeleteComment(doc, item, true);
            break;
        default:
            result = DeleteGroup(doc, item);
            break;
    }
    if (result != 0) return result;
    SyncGroupTables(doc);
    if (doc.empty()) ResetEmptyDocument(doc);
    return 0;
}

int DuplicateSelectedFrame(AnimationDocument& doc) {
    FrameRecord* selected = doc.selectedFrame;
    if (!selected) {
        doc.host.message("CurGif==NULL", "BUG", MessageIcon::Exclamation);
        return -1;
    }
    TreeItem* item = doc.selectedItem;
    if (KindOfItem(doc, item) != ItemKind::Image) return -1;
    std::unique_ptr<FrameRecord> owned = FrameRecord::Construct(doc, selected, selected->next);
    if (!owned || CopyInto(*selected, owned.get(), false) != 0) {
        doc.host.message("... creating Gif", "Error", MessageIcon::Exclamation);
        return -1;
    }
    FrameRecord* copy = AnimationDocument::Adopt(std::move(owned));
    {
        AnimationDocument::StructureWriteLock structure(doc);
        if (selected->next) selected->next->prev = copy;
        selected->next = copy;
    }
    doc.MarkChanged();
    doc.frameCount += 1;
    DiscardComposedFrom(copy->next);
    TreeItem* entry = doc.tree.InsertAfter(item->parent(), item, "Gif :" + copy->fileName);
    SyncGroupTables(doc);
    Select(doc, entry, copy);
    return 0;
}

int PasteFrame(AnimationDocument& doc, const uint32_t* pixels, int width, int height) {
    if (!pixels || !IsPlaneSizeAcceptable(width, height)) return -1;
    const bool rootSelected = !doc.selectedItem || doc.selectedItem == doc.tree.root();
    // A picture goes in front of everything or behind an image, never into a comment.
    if (!rootSelected && KindOfItem(doc, doc.selectedItem) != ItemKind::Image) return -1;
    FrameRecord* selected = doc.selectedFrame;
    if (!doc.empty() && !selected && !rootSelected) {
        doc.host.message("arGif!= NULL && curGif==NULL", "Paste BUG ", MessageIcon::Exclamation);
        return -1;
    }
    bool resize = false;
    int targetW = width, targetH = height;
    if (!doc.empty()) {
        FrameRecord* reference = selected ? selected : doc.firstFrame;
        targetW = reference->width;
        targetH = reference->height;
        if (targetW != width || targetH != height) {
            if (!doc.host.askResize()) return -1;
            resize = true;
        }
    }
    FrameRecord* prev = rootSelected || doc.empty() ? nullptr : selected;
    FrameRecord* next = prev ? prev->next : doc.firstFrame;
    std::unique_ptr<FrameRecord> owned = FrameRecord::Construct(doc, prev, next);
    if (!owned || !owned->CreateIndexBuffer(width, height) || !owned->CreateTrueColourBuffer()) {
        doc.host.message("... creating Gif", "Error", MessageIcon::Exclamation);
        return -1;
    }
    FrameRecord* frame = AnimationDocument::Adopt(std::move(owned));
    const auto plane = frame->trueColourPlane();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            plane->set(x, y, pixels[size_t(y) * size_t(width) + size_t(x)] & kRgbMask);
    }
    frame->fileName = "Copy of Clipboard";
    frame->bitsPerPixel = 8;
    if (doc.empty()) {
        doc.screenWidth = width;
        doc.screenHeight = height;
    }
    {
        AnimationDocument::StructureWriteLock structure(doc);
        if (next) next->prev = frame;
        if (prev)
            prev->next = frame;
        else
            doc.firstFrame = frame;
    }
    if (resize) {
        Resize(*frame, targetW, targetH, true, false, true);
    } else {
        doc.notifier.Notify(kNotifyBatchStarts, kBatchReduction, 1);
        StartReduction(*frame);
    }
    DiscardComposedFrom(frame->next);
    TreeItem* item = doc.selectedItem && !rootSelected ? doc.selectedItem : nullptr;
    TreeItem* parent = item ? item->parent() : doc.tree.root();
    TreeItem* entry = doc.tree.InsertAfter(parent, item, "Gif : Copy of Clipboard");
    doc.frameCount += 1;
    doc.MarkChanged();
    SyncGroupTables(doc);
    Select(doc, entry, frame);
    return 0;
}

void SyncGroupTables(AnimationDocument& doc) {
    std::vector<FrameRun>* tables[] = {&doc.groups.effects, &doc.groups.transitions,
                                       &doc.groups.banners};
    for (auto* table : tables) {
        for (FrameRun& run : *table) run = FrameRun{};
    }
    // Walk the image entries in step with the frames; each frame belongs to the group
    // entry it lies under.
    FrameRecord* f = doc.firstFrame;
    for (TreeItem* e = FrameTree::NextFrameEntry(doc.tree.root()); e && f;
         e = FrameTree::NextFrameEntry(e), f = f->next) {
        for (TreeItem* up = e->parent(); up && up != doc.tree.root(); up = up->parent()) {
            char word[32] = {};
            int number = 0;
            if (std::sscanf(up->text().c_str(), "%31s %d", word, &number) != 2 || number < 1)
                continue;
            std::vector<FrameRun>* table = nullptr;
            if (up->startsWith("Effect"))
                table = &doc.groups.effects;
            else if (up->startsWith("Trans"))
                table = &doc.groups.transitions;
            else if (up->startsWith("Banner"))
                table = &doc.groups.banners;
            if (!table || size_t(number) > table->size()) continue;
            FrameRun& run = (*table)[size_t(number - 1)];
            if (!run.first) run.first = f;
            run.last = f;
            break;
        }
    }
}
