#include "document/DocumentState.h"

#include <unordered_set>

#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"

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
    doc.selectedItem = doc.tree.root();
    doc.tree.Rebuild(state.entries);
    static_cast<DocumentParameters&>(doc) = state.parameters;
    doc.globalCommentItemsStale = false;

    bool complete = true;
    FrameRecord* last = nullptr;
    std::vector<FrameRecord*> pending;
    for (const DocumentState::Frame& saved : state.frames) {
        std::unique_ptr<FrameRecord> owned = FrameRecord::Construct(doc, last, nullptr);
        if (!owned) {
            complete = false;
            break;
        }
        owned->setData(saved.data);
        owned->transparencyActive = saved.transparencyActive;
        FrameRecord* frame = AnimationDocument::Adopt(std::move(owned));
        {
            AnimationDocument::StructureWriteLock structure(doc);
            if (last)
                last->next = frame;
            else
                doc.firstFrame = frame;
        }
        last = frame;
        if (!frame->bGifPal) {
            if (frame->ppTC)
                pending.push_back(frame);
            else
                frame->SetPaletteValid(true);  // nothing to reduce from
        }
    }
    if (!complete) {
        // Not Clear(): that would drop the history whose step is running this restore.
        while (doc.firstFrame) doc.DestroyFrame(doc.firstFrame);
        doc.tree.Clear();
        doc.selectedItem = doc.tree.root();
        doc.frameCount = 0;
        return false;
    }
    doc.frameCount = int32_t(state.frames.size());
    doc.groups.effects.resize(state.groupCounts[0]);
    doc.groups.transitions.resize(state.groupCounts[1]);
    doc.groups.banners.resize(state.groupCounts[2]);
    SyncGroupTables(doc);

    TreeItem* selected = doc.tree.root();
    for (int k = 0; k < state.selectedEntry && selected; ++k)
        selected = FrameTree::NextEntry(selected);
    doc.selectedItem = selected ? selected : doc.tree.root();
    doc.selectedFrame = doc.GetGif(doc.selectedItem);
    doc.tree.RequestSelect(doc.selectedItem);

    if (!pending.empty()) {
        doc.notifier.Notify(kNotifyBatchStarts, kBatchReduction, int(pending.size()));
        for (FrameRecord* f : pending) StartReduction(*f);
    }
    return true;
}

int64_t PlaneBytesNotIn(const DocumentState& a, const DocumentState& b) {
    std::unordered_set<const void*> held;
    for (const DocumentState::Frame& f : b.frames) {
        held.insert(f.data.indexBuffer.get());
        held.insert(f.data.ppTC.get());
    }
    int64_t bytes = 0;
    std::unordered_set<const void*> counted;
    for (const DocumentState::Frame& f : a.frames) {
        const FrameData& d = f.data;
        if (d.indexBuffer && !held.count(d.indexBuffer.get()) &&
            counted.insert(d.indexBuffer.get()).second)
            bytes += int64_t(d.indexBuffer->stride) * d.indexBuffer->height;
        if (d.ppTC && !held.count(d.ppTC.get()) && counted.insert(d.ppTC.get()).second)
            bytes += int64_t(d.ppTC->width) * d.ppTC->height * 4;
    }
    return bytes;
}
