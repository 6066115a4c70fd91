#include "effects/RendererSkeletons.h"

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameRecord.h"
#include "gif/GifWriter.h"

RenderProgress::~RenderProgress() {
    if (preview_) return;
    while (stepped_ < announced_) {
        doc_.notifier.Notify(kNotifyFrameComputed);
        ++stepped_;
    }
}

void RenderProgress::Announce(int frames) {
    if (preview_ || frames <= 0) return;
    doc_.notifier.Notify(kNotifyBatchStarts, kBatchGeneration, frames);
    announced_ += frames;
}

bool RenderProgress::Step() {
    if (preview_) return true;
    if (stepped_ >= announced_) return true;
    ++stepped_;
    return doc_.notifier.Notify(kNotifyFrameComputed) != 0;
}

uint32_t SelectedColour(const FrameRecord& frame, int colorIndex) {
    if (colorIndex < 0 || colorIndex > 255) return 0;
    const PaletteEntry& entry = frame.effectivePalette()[size_t(colorIndex)];
    return entry.used() ? entry.rgb() : kUnusedEntrySaved;
}

void GiveSelectedColourAnEntry(FrameRecord* chain, int colorIndex) {
    if (colorIndex < 0 || colorIndex > 255) return;
    const size_t slot = size_t(colorIndex);
    for (FrameRecord* f = chain; f; f = f->next) {
        if (f->trueColourPlane() || f->effectivePalette()[slot].used()) continue;
        Palette own = f->effectivePalette();
        own[slot] = PaletteEntry::FromRgb(kUnusedEntrySaved);
        std::lock_guard lock(f->paletteLock);
        f->palette = own;
        f->hasLocalPalette = 1;
    }
}

FrameRecord* CopyFrameAfter(FrameRecord& source, FrameRecord* previous, bool trueColour) {
    std::unique_ptr<FrameRecord> record =
        FrameRecord::Construct(source.document, previous, nullptr);
    if (!record) return nullptr;
    if (CopyInto(source, record.get(), false) != 0) return nullptr;
    if (trueColour && !record->CreateTrueColourBuffer()) return nullptr;
    FrameRecord* frame = AnimationDocument::Adopt(std::move(record));
    frame->prev = previous;
    if (previous) {
        frame->next = previous->next;
        if (previous->next) previous->next->prev = frame;
        previous->next = frame;
    }
    return frame;
}

bool MirrorComputedFrames(FrameRecord* head, int h, int n) {
    const int extra = n - h;
    if (extra <= 0 || !head) return true;
    // Copies of F1.. in order into a second chain, which is then reversed behind Fh.
    FrameRecord* copies = nullptr;
    FrameRecord* lastCopy = nullptr;
    FrameRecord* model = head;
    for (int i = 0; i < extra && model; ++i, model = model->next) {
        FrameRecord* copy = nullptr;
        std::unique_ptr<FrameRecord> record =
            FrameRecord::Construct(head->document, lastCopy, nullptr);
        if (record && CopyInto(*model, record.get(), true) == 0)
            copy = AnimationDocument::Adopt(std::move(record));
        if (!copy) {
            DiscardUnreducedChain(copies);
            return false;
        }
        copy->prev = lastCopy;
        if (lastCopy)
            lastCopy->next = copy;
        else
            copies = copy;
        lastCopy = copy;
    }
    FrameRecord* reversed = ReverseChain(copies);
    FrameRecord* last = LastOfChain(head);
    last->next = reversed;
    if (reversed) reversed->prev = last;
    return true;
}

FrameRecord* DiscardUnreducedChain(FrameRecord* head) {
    while (head && head->prev) head = head->prev;
    for (FrameRecord* f = head; f; f = f->next) f->SetPaletteValid(true);
    return DiscardChain(head);
}

FrameRecord* FinishRun(FrameRecord* frame1, FrameRecord* frame2, FrameRecord* head, int h,
                       bool preview) {
    return FinishGeneration(frame1, frame2, head, CountChain(head), h, preview);
}

namespace {

FrameRecord* RunSkeleton(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p,
                         const FrameBody& body, bool trueColour) {
    if (!frame1 && !frame2) return nullptr;
    const bool preview = p.preview != 0;
    const int h = ComputedCount(n, p.pingPong != 0);
    FrameRecord* head = NewChain(frame1, frame2, h);
    if (!head) return nullptr;
    // NewChain gives up as a whole when memory runs out; check the count anyway.
    if (CountChain(head) != h) return DiscardUnreducedChain(head);
    if (trueColour) {
        if (!PrepareForTrueColour(frame1, frame2, head, h)) return DiscardUnreducedChain(head);
    } else {
        if (frame1) frame1->WaitForReduction();
        if (frame2) frame2->WaitForReduction();
    }
    RenderProgress progress(head->document, preview);
    progress.Announce(h);
    FrameRecord* out = head;
    for (int i = 0; i < h && out; ++i, out = out->next) {
        if (!progress.Step()) return DiscardUnreducedChain(head);
        body(i, h, *out);
    }
    if (p.pingPong && AppendMirror(head, n) == 0) return DiscardUnreducedChain(head);
    return FinishRun(frame1, frame2, head, h, preview);
}

}  // namespace

FrameRecord* RunTrueColourSkeleton(FrameRecord* frame1, FrameRecord* frame2, int n,
                                   const EffectParams& p, const FrameBody& body) {
    return RunSkeleton(frame1, frame2, n, p, body, true);
}

FrameRecord* RunIndexSkeleton(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p, const FrameBody& body) {
    return RunSkeleton(frame1, frame2, n, p, body, false);
}
