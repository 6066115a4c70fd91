#include "document/ChainOperations.h"

#include <cstdint>

#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/FrameRecord.h"
#include "document/MemoryBudget.h"

FrameRecord* NewChain(FrameRecord* a, FrameRecord* b, int n) {
    if (n <= 0) return nullptr;
    if ((a && a->bitsPerPixel != 8) || (b && b->bitsPerPixel != 8)) return nullptr;
    FrameRecord* source = a ? a : b;
    if (!source || source->width < 1 || source->height < 1) return nullptr;
    // Effects give every frame of the chain true-colour pixels as well.
    if (!FitsInMemory(ChainBytes(n, source->width, source->height))) return nullptr;

    FrameRecord* first = nullptr;
    FrameRecord* last = nullptr;
    for (int i = 0; i < n; ++i) {
        FrameRecord* frame =
            AnimationDocument::Adopt(FrameRecord::Construct(source->document, last, nullptr));
        if (!frame) return DiscardChain(first);
        if (last)
            last->next = frame;
        else
            first = frame;
        last = frame;
        if (CopyInto(*source, frame, false) != 0) return DiscardChain(first);
    }
    return first;
}

FrameRecord* ReverseChain(FrameRecord* anyFrame) {
    if (!anyFrame) return nullptr;
    FrameRecord* last = anyFrame;
    while (last->next) last = last->next;
    for (FrameRecord* f = last; f;) {
        FrameRecord* const older = f->prev;
        f->prev = f->next;
        f->next = older;
        f = older;
    }
    return last;
}

bool PrepareForTrueColour(FrameRecord* a, FrameRecord* b, FrameRecord* chain, int n) {
    bool ok = true;
    if (a) ok = ToTrueColour(*a, false) && ok;
    if (b) ok = ToTrueColour(*b, false) && ok;
    for (FrameRecord* f = chain; f && n > 0; f = f->next, --n)
        ok = f->CreateTrueColourBuffer() && ok;
    return ok;
}

int AppendMirror(FrameRecord* chain, int total) {
    if (!chain) return 0;
    const int h = int((int64_t(total) + 1) / 2);
    const int extra = total - h;
    if (extra <= 0) return 1;
    FrameRecord* last = LastOfChain(chain);
    FrameRecord* source = extra == h ? last : last->prev;
    for (int i = 0; i < extra && source; ++i, source = source->prev) {
        FrameRecord* copy =
            AnimationDocument::Adopt(FrameRecord::Construct(chain->document, last, nullptr));
        if (!copy) return 0;
        last->next = copy;
        last = copy;
        if (CopyInto(*source, copy, true) != 0) return 0;
    }
    return 1;
}

void StartReduction(FrameRecord* chain, int n) {
    if (!chain) return;
    // Only frames with true-colour data get a reduction job, so only they are counted;
    // otherwise the reduction counter would wait for frames that never report.
    int reducible = 0;
    int left = n;
    for (FrameRecord* f = chain; f && left > 0; f = f->next, --left)
        if (f->trueColourPlane()) ++reducible;
    chain->document.notifier.Notify(kNotifyBatchStarts, kBatchReduction, reducible);
    for (FrameRecord* f = chain; f && n > 0; f = f->next, --n) StartReduction(*f);
}

FrameRecord* FinishGeneration(FrameRecord* /*a*/, FrameRecord* /*b*/, FrameRecord* chain, int /*n*/,
                              int /*computed*/, bool preview) {
    if (!chain) return nullptr;
    const int count = CountChain(chain);
    if (!chain->document.notifier.Notify(kNotifyAcceptResult)) return DiscardChain(chain);
    if (!preview) StartReduction(chain, count);
    return chain;
}

FrameRecord* DiscardChain(FrameRecord* chain) {
    // Walk from the first frame whatever frame we were given.
    while (chain && chain->prev) chain = chain->prev;
    while (chain) {
        FrameRecord* next = chain->next;
        chain->next = nullptr;
        if (next) next->prev = nullptr;
        delete chain;  // waits for the frame's jobs
        chain = next;
    }
    return nullptr;
}

int CountChain(const FrameRecord* chain) {
    int n = 0;
    for (; chain; chain = chain->next) ++n;
    return n;
}

FrameRecord* LastOfChain(FrameRecord* chain) {
    while (chain && chain->next) chain = chain->next;
    return chain;
}

TreeItem* InsertChainAfterSelection(AnimationDocument& doc, FrameRecord* chain,
                                    const std::string& groupLabel,
                                    const std::function<std::string(int, int)>& childLabel) {
    if (!chain || !doc.selectedFrame) return nullptr;
    const int n = CountChain(chain);
    FrameRecord* const last = LastOfChain(chain);
    FrameRecord* const selected = doc.selectedFrame;
    {
        AnimationDocument::StructureWriteLock structure(doc);
        if (selected->next) selected->next->prev = last;
        last->next = selected->next;
        selected->next = chain;
        chain->prev = selected;
    }

    // The group goes right after the selected entry, at its level; with the root
    // selected it becomes the root's first child.
    TreeItem* selectedItem = doc.selectedItem ? doc.selectedItem : doc.tree.root();
    TreeItem* parent = selectedItem->parent();
    TreeItem* group = parent ? doc.tree.InsertAfter(parent, selectedItem, groupLabel)
                             : doc.tree.InsertAfter(doc.tree.root(), nullptr, groupLabel);
    TreeItem* firstEntry = nullptr;
    TreeItem* lastEntry = nullptr;
    int i = 1;
    for (FrameRecord* f = chain; f && i <= n; f = f->next, ++i) {
        lastEntry = doc.tree.Append(group, childLabel(i, n));
        if (!firstEntry) firstEntry = lastEntry;
        doc.frameCount += 1;
    }
    // The frame behind the group now lies on the group's last frame: its picture, and
    // those built on it, are out of date.
    DiscardComposedFrom(last->next);
    for (FrameRecord* f = chain; f != last->next; f = f->next) StartComposition(*f);
    doc.tree.EnsureVisible(lastEntry);
    doc.selectedItem = firstEntry;
    doc.selectedFrame = chain;
    doc.tree.RequestSelect(firstEntry);
    return group;
}
