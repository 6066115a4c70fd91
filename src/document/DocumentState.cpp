#include "document/DocumentState.h"

#include <unordered_set>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/DocumentCommands.h"

namespace {

// The document without frames or entries, as when memory ran out half-way.
bool GiveUp(AnimationDocument& doc) {
    // Not Clear(): that would drop the history whose step is running this restore.
    while (doc.firstFrame) doc.DestroyFrame(doc.firstFrame);
    doc.tree.Clear();
    doc.selectedItem = doc.tree.root();
    doc.selectedFrame = nullptr;
    doc.frameCount = 0;
    return false;
}

// New records made from `frames`, linked in between `before` and `after`. Frames left
// waiting for their reduction are collected in `pending`.
bool LinkFrames(AnimationDocument& doc, FrameRecord* before, FrameRecord* after,
                const std::vector<FrameState>& frames, std::vector<FrameRecord*>& pending) {
    FrameRecord* last = before;
    for (const FrameState& saved : frames) {
        std::unique_ptr<FrameRecord> owned = FrameRecord::Construct(doc, last, after);
        if (!owned) return false;
        owned->setData(saved.data);
        owned->transparencyActive = saved.transparencyActive;
        FrameRecord* frame = AnimationDocument::Adopt(std::move(owned));
        {
            AnimationDocument::StructureWriteLock structure(doc);
            if (last)
                last->next = frame;
            else
                doc.firstFrame = frame;
            if (after) after->prev = frame;
        }
        last = frame;
        if (!frame->bGifPal) {
            if (frame->ppTC)
                pending.push_back(frame);
            else
                frame->SetPaletteValid(true);  // nothing to reduce from
        }
    }
    return true;
}

// The tree, parameters, group tables and selection of `outline`; the reductions of
// `pending` start.
void ApplyOutline(AnimationDocument& doc, const DocumentOutline& outline,
                  const std::vector<FrameRecord*>& pending) {
    doc.selectedItem = doc.tree.root();
    doc.tree.Rebuild(outline.entries);
    static_cast<DocumentParameters&>(doc) = outline.parameters;
    doc.globalCommentItemsStale = false;
    int count = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) ++count;
    doc.frameCount = count;
    doc.groups.effects.resize(outline.groupCounts[0]);
    doc.groups.transitions.resize(outline.groupCounts[1]);
    doc.groups.banners.resize(outline.groupCounts[2]);
    SyncGroupTables(doc);

    TreeItem* selected = doc.tree.root();
    for (int k = 0; k < outline.selectedEntry && selected; ++k)
        selected = FrameTree::NextEntry(selected);
    doc.selectedItem = selected ? selected : doc.tree.root();
    doc.selectedFrame = doc.GetGif(doc.selectedItem);
    doc.tree.RequestSelect(doc.selectedItem);

    if (!pending.empty()) {
        doc.notifier.Notify(kNotifyBatchStarts, kBatchReduction, int(pending.size()));
        for (FrameRecord* f : pending) StartReduction(*f);
    }
}

}  // namespace

DocumentState CaptureState(const AnimationDocument& doc) {
    DocumentState state;
    state.parameters = static_cast<const DocumentParameters&>(doc);
    for (const FrameRecord* f = doc.firstFrame; f; f = f->next) {
        state.frames.push_back({f->data(), f->transparencyActive.load()});
    }
    state.entries = doc.tree.Entries();
    state.groupCounts = {doc.groups.effects.size(), doc.groups.transitions.size(),
                         doc.groups.banners.size()};
    int position = 0;
    for (TreeItem* e = doc.tree.root(); e; e = FrameTree::NextEntry(e), ++position) {
        if (e == doc.selectedItem) {
            state.selectedEntry = position;
            break;
        }
    }
    return state;
}

bool RestoreState(AnimationDocument& doc, const DocumentState& state) {
    doc.StopAllJobs();
    while (doc.firstFrame) doc.DestroyFrame(doc.firstFrame);
    doc.selectedFrame = nullptr;
    std::vector<FrameRecord*> pending;
    if (!LinkFrames(doc, nullptr, nullptr, state.frames, pending)) return GiveUp(doc);
    ApplyOutline(doc, state, pending);
    return true;
}

bool SpliceFrames(AnimationDocument& doc, size_t at, size_t count,
                  const std::vector<FrameState>& frames, const DocumentOutline& outline) {
    FrameRecord* before = nullptr;
    FrameRecord* f = doc.firstFrame;
    for (size_t k = 0; k < at && f; ++k) {
        before = f;
        f = f->next;
    }
    for (size_t k = 0; k < count && f; ++k) {
        FrameRecord* gone = f;
        f = f->next;
        gone->abortReduce = 1;
        doc.DestroyFrame(gone);
    }
    std::vector<FrameRecord*> pending;
    if (!LinkFrames(doc, before, f, frames, pending)) return GiveUp(doc);
    // The run and every frame that builds on it show something else now; a change of
    // the palette, background or disposal rules shows in every frame.
    const bool parametersChange =
        !(static_cast<const DocumentParameters&>(doc) == outline.parameters);
    ApplyOutline(doc, outline, pending);
    if (parametersChange) {
        for (FrameRecord* k = doc.firstFrame; k; k = k->next) DiscardComposedBitmap(*k);
    } else {
        DiscardComposedFrom(before ? before->next : doc.firstFrame);
    }
    return true;
}

int64_t PlaneBytesNotIn(const std::vector<FrameState>& a, const std::vector<FrameState>& b) {
    std::unordered_set<const void*> held;
    for (const FrameState& f : b) {
        held.insert(f.data.indexBuffer.get());
        held.insert(f.data.ppTC.get());
    }
    int64_t bytes = 0;
    std::unordered_set<const void*> counted;
    for (const FrameState& f : a) {
        const FrameData& d = f.data;
        if (d.indexBuffer && !held.count(d.indexBuffer.get()) &&
            counted.insert(d.indexBuffer.get()).second)
            bytes += int64_t(d.indexBuffer->stride) * d.indexBuffer->height;
        if (d.ppTC && !held.count(d.ppTC.get()) && counted.insert(d.ppTC.get()).second)
            bytes += int64_t(d.ppTC->width) * d.ppTC->height * 4;
    }
    return bytes;
}
