#include "import/LoadGif.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/Composition.h"
#include "gif/GifReader.h"
#include "host/Host.h"

namespace {

void DestroyChain(FrameRecord* first, FrameRecord* originalNext) {
    DiscardFramesAfter(*first, originalNext);
    first->next = first->prev = nullptr;
    delete first;  // never linked into the document
}

// Takes the file's animation-wide values into the document. Frames already there
// that show the old global palette keep its colours in their own palette.
void ApplyFileInfo(AnimationDocument& doc, GifFileInfo& info, bool wasEmpty) {
    AnimationDocument::StructureWriteLock structure(doc);
    if (wasEmpty) {
        doc.screenWidth = info.screenWidth;
        doc.screenHeight = info.screenHeight;
    }
    doc.backgroundIndex = info.backgroundIndex;
    if (info.hasGlobalPalette) {
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
            if (!f->hasLocalPalette) f->palette = doc.globalPalette;
            f->hasLocalPalette = 1;
        }
        doc.globalPalette = info.globalPalette;
        doc.hasGlobalPalette = true;
    }
    if (info.hasLoopCount) {
        doc.loopCount = info.loopCount;
        doc.endless = info.loopCount == 0;
    }
    if (!info.trailingComments.empty()) {
        for (CommentNode& c : info.trailingComments) doc.globalComments.push_back(std::move(c));
        doc.hasGlobalComments = true;
        doc.globalCommentItemsStale = true;
    }
}

// The last "GlobalComment" entry at the top of the root, after which frames go when
// they are put in front (nullptr: none).
TreeItem* LastGlobalCommentEntry(const FrameTree& tree) {
    TreeItem* last = nullptr;
    for (TreeItem* item = tree.root()->firstChild(); item && item->startsWith("GlobalComment");
         item = item->nextSibling()) {
        last = item;
    }
    return last;
}

// Tells the user which images of the file were left out, if any.
void ReportSkippedImages(AnimationDocument& doc, const GifFileInfo& info, const std::string& name) {
    const std::string text = DescribeSkippedImages(info, name);
    if (!text.empty()) doc.host.message(text, "Loading Gif", MessageIcon::Exclamation);
}

// The message for a logical screen too large to be shown.
std::string ScreenTooLarge(const std::string& name, int w, int h) {
    return "Loading Gif: the images of " + name + " span a screen of " + std::to_string(w) + "x" +
           std::to_string(h) + " pixels, more than the memory holds";
}

TreeItem* AddFrameEntry(AnimationDocument& doc, TreeItem* parent, TreeItem* after,
                        const FrameRecord& frame, const std::string& name) {
    TreeItem* item = doc.tree.InsertAfter(parent, after, "Gif :" + name);
    for (size_t i = 0; i < frame.comments.size(); ++i) {
        doc.tree.Append(item, "Comment [" + std::to_string(i + 1) + "]");
    }
    doc.frameCount += 1;
    return item;
}

}  // namespace

int LoadGifIntoDocument(AnimationDocument& doc, const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    doc.globalCommentItemsStale = false;
    const bool wasEmpty = doc.empty();

    // Where the chain goes: after the selected frame, or in front when the root entry
    // (or nothing that names a frame) is selected.
    FrameRecord* after = nullptr;
    TreeItem* afterItem = nullptr;
    if (!wasEmpty && doc.selectedItem && doc.selectedItem != doc.tree.root() && doc.selectedFrame) {
        after = doc.selectedFrame;
        afterItem = doc.EntryOfFrame(after);
        if (!afterItem) after = nullptr;
    }
    FrameRecord* const before = wasEmpty ? nullptr : (after ? after->next : doc.firstFrame);

    FrameRecord* first = AnimationDocument::Adopt(FrameRecord::Construct(doc, after, before));
    if (!first) {
        doc.host.message("Loading Gif", "Error", MessageIcon::Exclamation);
        return 1;
    }
    GifFileInfo info;
    if (ReadGif(*first, path, info) != kGifOk) {
        DestroyChain(first, before);
        doc.host.message("Loading Gif", "Error", MessageIcon::Exclamation);
        return 1;
    }
    FrameRecord* last = first;
    while (last->next != before) last = last->next;

    if (wasEmpty) {
        // The logical screen is the bounding box of the frames, whatever the file says.
        int w = 0, h = 0;
        for (FrameRecord* f = first; f; f = f->next) {
            w = std::max(w, f->left + f->width);
            h = std::max(h, f->top + f->height);
        }
        if (!ComposedPictureFits(w, h)) {
            DestroyChain(first, before);
            doc.host.message(ScreenTooLarge(name, w, h), "Error", MessageIcon::Exclamation);
            return 1;
        }
        info.screenWidth = w;
        info.screenHeight = h;
    } else if (first->left + first->width != doc.screenWidth ||
               first->top + first->height != doc.screenHeight) {
        if (!doc.host.askResize()) {
            DestroyChain(first, before);
            return -1;
        }
        doc.resizingInProgress = true;
        for (FrameRecord* f = first; f != before; f = f->next) {
            if (Resize(*f, doc.screenWidth, doc.screenHeight, true, false, true) != 0) {
                doc.resizingInProgress = false;
                DestroyChain(first, before);
                doc.host.message("Loading Gif", "Error", MessageIcon::Exclamation);
                return 1;
            }
        }
        doc.resizingInProgress = false;
    }

    ReportSkippedImages(doc, info, name);
    ApplyFileInfo(doc, info, wasEmpty);
    if (!wasEmpty) doc.MarkChanged();
    {
        AnimationDocument::StructureWriteLock structure(doc);
        first->prev = after;
        last->next = before;
        if (before) before->prev = last;
        if (after)
            after->next = first;
        else
            doc.firstFrame = first;
    }

    // Tree entries: after the selected frame's entry at its level, or at the top of the
    // root behind the global comment entries.
    TreeItem* parent = afterItem ? afterItem->parent() : doc.tree.root();
    TreeItem* previous = afterItem ? afterItem : LastGlobalCommentEntry(doc.tree);
    TreeItem* firstItem = nullptr;
    for (FrameRecord* f = first; f != before; f = f->next) {
        previous = AddFrameEntry(doc, parent, previous, *f, name);
        if (!firstItem) firstItem = previous;
    }
    if (doc.globalCommentItemsStale) {
        doc.RebuildGlobalCommentEntries();
        doc.globalCommentItemsStale = false;
    }

    // Later frames that show this one through their transparent pixels must be composed
    // again.
    if (last->transparencyActive) {
        for (FrameRecord* f = before; f; f = f->next) {
            DiscardComposedBitmap(*f);
            if (!f->transparencyActive) break;
        }
    }

    doc.selectedFrame = first;
    doc.selectedItem = firstItem;
    GetComposedBitmap(*first);
    for (FrameRecord* f = first->next; f != before; f = f->next) StartComposition(*f);
    doc.tree.EnsureVisible(previous);
    doc.tree.RequestSelect(firstItem);
    return 0;
}

GifLoadInSteps::GifLoadInSteps(AnimationDocument& doc) : doc_(doc) {}

int GifLoadInSteps::Begin(const std::string& path) {
    name_ = std::filesystem::path(path).filename().string();
    doc_.globalCommentItemsStale = false;
    std::unique_ptr<FrameRecord> first = FrameRecord::Construct(doc_, nullptr, nullptr);
    if (!first || stream_.Open(*first, path, info_) != kGifOk) {
        doc_.host.message("Loading Gif", "Error", MessageIcon::Exclamation);
        return 1;
    }
    // The screen starts as the first image's box and grows with the images that follow.
    info_.screenWidth = first->left + first->width;
    info_.screenHeight = first->top + first->height;
    if (!ComposedPictureFits(info_.screenWidth, info_.screenHeight)) {
        doc_.host.message(ScreenTooLarge(name_, info_.screenWidth, info_.screenHeight), "Error",
                          MessageIcon::Exclamation);
        return 1;
    }
    ApplyFileInfo(doc_, info_, true);
    last_ = AnimationDocument::Adopt(std::move(first));
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        doc_.firstFrame = last_;
    }
    lastItem_ =
        AddFrameEntry(doc_, doc_.tree.root(), LastGlobalCommentEntry(doc_.tree), *last_, name_);
    doc_.selectedFrame = last_;
    doc_.selectedItem = lastItem_;
    GetComposedBitmap(*last_);
    doc_.tree.RequestSelect(lastItem_);
    done_ = false;
    return 0;
}

bool GifLoadInSteps::Continue(std::chrono::steady_clock::duration budget) {
    const auto until = std::chrono::steady_clock::now() + budget;
    while (!done_) {
        std::unique_ptr<FrameRecord> next = stream_.ReadNext(*last_);
        if (!next) {
            End();
            break;
        }
        const int right = std::max(doc_.screenWidth, next->left + next->width);
        const int bottom = std::max(doc_.screenHeight, next->top + next->height);
        if (!ComposedPictureFits(right, bottom)) {
            // The frames on screen stay; the rest of the file is not read.
            doc_.host.message(ScreenTooLarge(name_, right, bottom), "Error",
                              MessageIcon::Exclamation);
            End();
            break;
        }
        Append(std::move(next));
        if (std::chrono::steady_clock::now() >= until) break;
    }
    return !done_;
}

void GifLoadInSteps::Finish() {
    while (Continue(std::chrono::hours(1))) {
    }
}

bool GifLoadInSteps::TakeScreenGrown() {
    return std::exchange(screenGrown_, false);
}

void GifLoadInSteps::Append(std::unique_ptr<FrameRecord> frame) {
    const int right = std::max(doc_.screenWidth, frame->left + frame->width);
    const int bottom = std::max(doc_.screenHeight, frame->top + frame->height);
    FrameRecord* added = AnimationDocument::Adopt(std::move(frame));
    const bool grows = right != doc_.screenWidth || bottom != doc_.screenHeight;
    {
        AnimationDocument::StructureWriteLock structure(doc_);
        added->prev = last_;
        added->next = nullptr;
        last_->next = added;
        if (grows) {
            doc_.screenWidth = right;
            doc_.screenHeight = bottom;
        }
    }
    if (grows) {
        screenGrown_ = true;
        // Pictures composed on the smaller screen are of no use any more.
        for (FrameRecord* f = doc_.firstFrame; f != added; f = f->next) {
            DiscardComposedBitmap(*f);
            StartComposition(*f);
        }
    }
    lastItem_ = AddFrameEntry(doc_, doc_.tree.root(), lastItem_, *added, name_);
    last_ = added;
    StartComposition(*added);
}

void GifLoadInSteps::End() {
    done_ = true;
    ReportSkippedImages(doc_, info_, name_);
    if (!info_.trailingComments.empty()) {
        for (CommentNode& c : info_.trailingComments) doc_.globalComments.push_back(std::move(c));
        doc_.hasGlobalComments = true;
        doc_.RebuildGlobalCommentEntries();
    }
    doc_.tree.EnsureVisible(lastItem_);
}
