#include "document/AnimationDocument.h"

#include <cassert>
#include <cstdio>

#include "document/Composition.h"
#include "host/Host.h"

namespace {
// Which document's structure lock this thread holds, and how.
thread_local const AnimationDocument* tlsLockedDocument = nullptr;
thread_local int tlsReadDepth = 0;
thread_local bool tlsWriter = false;
}  // namespace

ReductionBody DefaultReductionBody();

AnimationDocument::AnimationDocument(Host& host_, int workers)
    : host(host_),
      notifier(host_, waiterCount),
      reductionBody_(DefaultReductionBody()),
      jobs_(std::make_unique<JobPool>(workers)) {
    selectedItem = tree.root();
}

AnimationDocument::~AnimationDocument() {
    closing = true;
    StopAllJobs();
    while (firstFrame) DestroyFrame(firstFrame);
    jobs_.reset();
}

AnimationDocument::StructureReadLock::StructureReadLock(const AnimationDocument& doc) : doc_(&doc) {
    if (tlsLockedDocument == &doc) {
        ++tlsReadDepth;
        return;
    }
    doc.structureMutex_.lock_shared();
    owns_ = true;
    tlsLockedDocument = &doc;
    tlsReadDepth = 1;
    tlsWriter = false;
}

AnimationDocument::StructureReadLock::~StructureReadLock() {
    if (--tlsReadDepth > 0 || !owns_) return;
    tlsLockedDocument = nullptr;
    doc_->structureMutex_.unlock_shared();
}

AnimationDocument::StructureWriteLock::StructureWriteLock(AnimationDocument& doc) : doc_(&doc) {
    if (tlsLockedDocument == &doc) {
        // Already held by this thread; a reader must never try to become a writer.
        assert(tlsWriter);
        ++tlsReadDepth;
        return;
    }
    doc.structureMutex_.lock();
    owns_ = true;
    tlsLockedDocument = &doc;
    tlsReadDepth = 1;
    tlsWriter = true;
}

AnimationDocument::StructureWriteLock::~StructureWriteLock() {
    if (--tlsReadDepth > 0 || !owns_) return;
    tlsLockedDocument = nullptr;
    tlsWriter = false;
    doc_->structureMutex_.unlock();
}

FrameRecord* AnimationDocument::lastFrame() const {
    FrameRecord* f = firstFrame;
    while (f && f->next) f = f->next;
    return f;
}

int AnimationDocument::countFrames() const {
    int n = 0;
    for (FrameRecord* f = firstFrame; f; f = f->next) ++n;
    return n;
}

void AnimationDocument::DestroyFrame(FrameRecord* frame) {
    if (!frame) return;
    {
        StructureWriteLock structure(*this);
        frame->alive = 0;
        if (frame->next) frame->next->prev = frame->prev;
        if (frame->prev) frame->prev->next = frame->next;
        if (firstFrame == frame) firstFrame = frame->next;
        if (selectedFrame == frame) selectedFrame = nullptr;
        frame->next = frame->prev = nullptr;
    }
    delete frame;  // waits for the frame's jobs
}

void AnimationDocument::StopAllJobs() {
    for (FrameRecord* f = firstFrame; f; f = f->next) f->abortReduce = 1;
    for (FrameRecord* f = firstFrame; f; f = f->next) {
        if (f->reduceThread) jobs_->Cancel(f->reduceThread);
        JobHandle view;
        {
            std::lock_guard lock(f->composeLock);
            view = f->pictureJob;
        }
        if (view) jobs_->Cancel(view);
    }
    jobs_->WaitIdle();
}

void AnimationDocument::Clear() {
    StopAllJobs();
    while (firstFrame) DestroyFrame(firstFrame);
    selectedFrame = nullptr;
    tree.Clear();
    selectedItem = tree.root();
    frameCount = 0;
    history.clear(true);
    screenWidth = screenHeight = 0;
    hasGlobalPalette = false;
    globalPalette = Palette{};
    backgroundIndex = 0;
    loopCount = 0;
    endless = true;
    globalDelay = 10;
    useGlobalDelay = false;
    globalDisposal = 0;
    useGlobalDisposal = false;
    globalComments.clear();
    hasGlobalComments = false;
    globalCommentItemsStale = false;
    resizingInProgress = false;
    groups = GroupTables{};
    notifier.Notify(kNotifyReset);
}

void AnimationDocument::MarkChanged() {
    if (editDepth > 0) {
        editChanged = true;
        return;
    }
    // A change outside any edit cannot be undone, nor can the steps before it.
    history.clear(false);
}

uint32_t AnimationDocument::backgroundColour() const {
    return globalPalette[backgroundIndex].rgb();
}

int AnimationDocument::disposalBefore(const FrameRecord& frame) const {
    if (useGlobalDisposal || !frame.prev) return globalDisposal;
    return frame.prev->disposal;
}

int AnimationDocument::EnumGifs() {
    if (!selectedItem) return 0;
    int count = 0;
    for (TreeItem* e = tree.root(); e; e = FrameTree::NextEntry(e)) {
        if (e == selectedItem) return count;
        if (e->isFrameEntry()) ++count;
    }
    host.message("Couldn't fild specified Gif - EnumGifs", "Bug", MessageIcon::Exclamation);
    return -1;
}

FrameRecord* AnimationDocument::GetGif(TreeItem* item) {
    if (!item || !item->isFrameEntry()) return nullptr;
    FrameRecord* frame = firstFrame;
    bool reported = false;
    for (TreeItem* e = FrameTree::NextFrameEntry(tree.root()); e;
         e = FrameTree::NextFrameEntry(e)) {
        if (!frame && !reported) {
            host.message("Error", "Bug in GetGif()", MessageIcon::Exclamation);
            reported = true;
        }
        if (e == item) return frame;
        if (frame) frame = frame->next;
    }
    return nullptr;
}

TreeItem* AnimationDocument::EntryOfFrame(const FrameRecord* frame) const {
    if (!frame) return nullptr;
    FrameRecord* f = firstFrame;
    for (TreeItem* e = FrameTree::NextFrameEntry(tree.root()); e && f;
         e = FrameTree::NextFrameEntry(e)) {
        if (f == frame) return e;
        f = f->next;
    }
    return nullptr;
}

void AnimationDocument::RemoveEntry(TreeItem* item) {
    if (!item || item == tree.root()) return;
    if (FrameTree::IsWithin(selectedItem, item)) selectedItem = tree.root();
    tree.Remove(item);
}

void AnimationDocument::RebuildGlobalCommentEntries() {
    for (TreeItem* c = tree.root()->firstChild(); c && c->startsWith("GlobalComment");
         c = tree.root()->firstChild()) {
        RemoveEntry(c);
    }
    TreeItem* after = nullptr;
    for (size_t i = 0; i < globalComments.size(); ++i) {
        char label[64];
        std::snprintf(label, sizeof label, "GlobalComment [%d]", int(i + 1));
        after = tree.InsertAfter(tree.root(), after, label);
    }
    globalCommentItemsStale = false;
}
