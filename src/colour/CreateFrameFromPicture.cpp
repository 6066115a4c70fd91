#include "colour/CreateFrameFromPicture.h"

#include <filesystem>

#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "host/Host.h"

namespace {

int ReportCreationFailure(AnimationDocument& doc) {
    doc.host.message("... creating Gif", "Error", MessageIcon::Error);
    return -1;
}

// The new frame's entry goes after the selected entry at its level. With the root
// selected it goes first among the frames, behind the global comment entries, which
// must stay at the top of the root.
TreeItem* InsertFrameEntry(AnimationDocument& doc, const std::string& label, bool atFront) {
    FrameTree& tree = doc.tree;
    if (atFront || !doc.selectedItem || !doc.selectedItem->parent()) {
        TreeItem* after = nullptr;
        for (TreeItem* c = tree.root()->firstChild(); c && c->startsWith("GlobalComment");
             c = c->nextSibling()) {
            after = c;
        }
        return tree.InsertAfter(tree.root(), after, label);
    }
    return tree.InsertAfter(doc.selectedItem->parent(), doc.selectedItem, label);
}

}  // namespace

int CreateFrameFromPicture(AnimationDocument& doc, const uint32_t* pixels, int width, int height,
                           bool bottomUp, const std::string& path, bool askResize) {
    if (!pixels || width <= 0 || height <= 0) {
        doc.host.message("..in Image Data", "Error", MessageIcon::Error);
        return -1;
    }
    const bool wasEmpty = doc.empty();
    bool mustResize = false;
    if (!wasEmpty && (width != doc.screenWidth || height != doc.screenHeight) && askResize) {
        if (!doc.host.askResize()) return -1;
        mustResize = true;
    }

    // Placement: at the front when the root entry (or no frame) is selected.
    const bool atFront = !wasEmpty && (doc.selectedItem == doc.tree.root() || !doc.selectedItem ||
                                       !doc.selectedFrame);
    FrameRecord* prev = nullptr;
    FrameRecord* next = nullptr;
    if (!wasEmpty) {
        prev = atFront ? nullptr : doc.selectedFrame;
        next = atFront ? doc.firstFrame : doc.selectedFrame->next;
    }
    std::unique_ptr<FrameRecord> record = FrameRecord::Construct(doc, prev, next);
    if (!record) return ReportCreationFailure(doc);
    if (!IsPlaneSizeAcceptable(width, height) || !record->CreateIndexBuffer(width, height) ||
        !record->CreateTrueColourBuffer()) {
        return ReportCreationFailure(doc);
    }
    FrameRecord& frame = *record;
    frame.left = frame.top = 0;
    frame.fileName = FitFileName(path);
    frame.indexPlane()->fill(0);
    const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = pixels + size_t(bottomUp ? height - 1 - y : y) * size_t(width);
        uint32_t* out = plane->row(y);
        for (int x = 0; x < width; ++x) out[x] = in[x] & kRgbMask;
    }

    // Resized before it is linked in, so that a picture put at the front is scaled to
    // the whole screen like any other rather than kept at its own height.
    if (mustResize) {
        if (Resize(frame, doc.screenWidth, doc.screenHeight, true, false, false) != 0) {
            return ReportCreationFailure(doc);
        }
    }
    frame.bitsPerPixel = 8;

    FrameRecord* const adopted = AnimationDocument::Adopt(std::move(record));
    {
        AnimationDocument::StructureWriteLock structure(doc);
        if (wasEmpty) {
            doc.screenWidth = width;
            doc.screenHeight = height;
        }
        if (next) next->prev = adopted;
        if (prev) {
            prev->next = adopted;
        } else {
            doc.firstFrame = adopted;
        }
    }

    const std::string name = std::filesystem::path(path).filename().string();
    TreeItem* entry = InsertFrameEntry(doc, "Gif :" + name, atFront || wasEmpty);
    doc.frameCount += 1;
    doc.selectedItem = entry;
    doc.selectedFrame = adopted;
    doc.tree.EnsureVisible(entry);
    doc.tree.RequestSelect(entry);

    StartReduction(adopted, 1);
    return 0;
}
