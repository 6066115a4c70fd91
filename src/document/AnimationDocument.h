#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "document/ComposedCache.h"
#include "document/DocumentNotifier.h"
#include "document/DocumentParameters.h"
#include "document/FrameRecord.h"
#include "document/FrameTree.h"
#include "document/History.h"
#include "document/JobPool.h"
#include "document/Palette.h"
#include "host/EngineSettings.h"

class Host;

// One inserted run of generated frames (an effect, a transition or a banner group).
struct FrameRun {
    FrameRecord* first = nullptr;
    FrameRecord* last = nullptr;
};
// The runs behind the group entries "Effect %d: %s", "Trans %d: %s" and "Banner %d":
// run number k of a label is entry k - 1 of its table, and the table sizes count the
// groups inserted so far. The runs are what lies under the group entries; commands that
// add or remove frames refresh them with SyncGroupTables (DocumentCommands.h).
struct GroupTables {
    std::vector<FrameRun> effects;
    std::vector<FrameRun> transitions;
    std::vector<FrameRun> banners;
};

// The body of a colour-reduction job: turns frame.ppTC into palette and indexes and
// publishes them (with the transparency fields and hasLocalPalette) under paletteLock.
// Returns false when it was aborted (abortReduce) and left the frame unreduced.
using ReductionBody = std::function<bool(FrameRecord&)>;

// The one open animation: the list of frames in display order, the animation-wide
// GIF89a parameters, the frame tree that indexes the frames, and the worker pool that
// runs the frames' jobs. Owned by the window thread; worker threads read frames and the
// global palette but change only their own frame.
class AnimationDocument : public DocumentParameters {
  public:
    // workers: size of the frame-job pool (<= 0: one per hardware thread, at least 2).
    explicit AnimationDocument(Host& host, int workers = 0);
    ~AnimationDocument();
    AnimationDocument(const AnimationDocument&) = delete;
    AnimationDocument& operator=(const AnimationDocument&) = delete;

    Host& host;
    EngineSettings settings;

    FrameRecord* firstFrame = nullptr;
    FrameRecord* selectedFrame = nullptr;
    TreeItem* selectedItem = nullptr;
    int32_t frameCount = 0;
    bool globalCommentItemsStale = false;
    std::atomic<bool> busy{false};
    bool resizingInProgress = false;
    // Size that frames at an offset are scaled against when resized; 0 until the first
    // resize, then kept for the program's lifetime.
    int32_t resizeReferenceWidth = 0, resizeReferenceHeight = 0;
    int32_t boostPriority = 15;
    std::atomic<int> waiterCount{0};
    std::atomic<bool> closing{false};

    FrameTree tree;
    DocumentNotifier notifier;
    // Bounds the memory of the frames' composed pictures (default 768 MiB).
    ComposedCache composedCache{int64_t(768) << 20};
    GroupTables groups;

    // --- changes ---
    // Every change reports itself with MarkChanged. Inside a DocumentEdit (DocumentEdit.h)
    // the outermost edit becomes one step of `history`; outside one (velmora-cli) no step
    // is kept and the document just counts as changed.
    History history;
    int editDepth = 0;         // DocumentEdits open
    bool editChanged = false;  // the open edit has changed something
    void MarkChanged();
    // Unsaved changes: the history is not where it stood at the last save.
    bool modified() const { return !history.atSavedPoint(); }

    // --- frames ---
    bool empty() const { return firstFrame == nullptr; }
    FrameRecord* lastFrame() const;
    int countFrames() const;
    // Unlinks and destroys one frame (Destroy): it waits for the frame's jobs first.
    void DestroyFrame(FrameRecord* frame);
    // Destroys every frame of the document, empties the tree and resets the
    // animation-wide parameters (New).
    void Clear();
    // Takes ownership of a record made by FrameRecord::Construct; returns it.
    static FrameRecord* Adopt(std::unique_ptr<FrameRecord> frame) { return frame.release(); }

    // Background colour 0x00RRGGBB (global palette entry at the background index).
    uint32_t backgroundColour() const;
    // Disposal that applies when `frame` is drawn: the global one when set, else that of
    // its predecessor; the global one for a frame without predecessor.
    int disposalBefore(const FrameRecord& frame) const;
    int effectiveDisposal(const FrameRecord& frame) const {
        return useGlobalDisposal ? globalDisposal : frame.disposal;
    }

    // --- frame tree as the index of the frames ---
    // Position of the selected entry counted in frame entries before it: 0 for nothing
    // or the root; -1 (with the "Bug" message) when the entry is not in the tree.
    int EnumGifs();
    // The frame whose entry is item; nullptr for other entries.
    FrameRecord* GetGif(TreeItem* item);
    // The tree entry of a frame (inverse of GetGif); nullptr when it has none.
    TreeItem* EntryOfFrame(const FrameRecord* frame) const;
    // Removes an entry with its children; a selection inside it falls back to the root.
    void RemoveEntry(TreeItem* item);
    // Deletes the "GlobalComment" entries at the top of the root and inserts one per
    // global comment.
    void RebuildGlobalCommentEntries();

    // --- frame jobs ---
    JobPool& jobs() { return *jobs_; }
    void setReductionBody(ReductionBody body) { reductionBody_ = std::move(body); }
    const ReductionBody& reductionBody() const { return reductionBody_; }

    // Compositions of frames read earlier frames through their links. They hold the
    // structure lock shared; window-thread code that relinks, destroys or changes
    // frames of the document in place holds it exclusively for the change itself (and
    // never waits for a frame job meanwhile). Nested use on one thread is allowed.
    class StructureReadLock {
      public:
        explicit StructureReadLock(const AnimationDocument& doc);
        ~StructureReadLock();
        StructureReadLock(const StructureReadLock&) = delete;
        StructureReadLock& operator=(const StructureReadLock&) = delete;

      private:
        const AnimationDocument* doc_;
        bool owns_ = false;
    };
    class StructureWriteLock {
      public:
        explicit StructureWriteLock(AnimationDocument& doc);
        ~StructureWriteLock();
        StructureWriteLock(const StructureWriteLock&) = delete;
        StructureWriteLock& operator=(const StructureWriteLock&) = delete;

      private:
        AnimationDocument* doc_;
        bool owns_ = false;
    };

    // Stops every frame job and waits for them (closing).
    void StopAllJobs();

  private:
    ReductionBody reductionBody_;
    mutable std::shared_mutex structureMutex_;
    std::unique_ptr<JobPool> jobs_;
};

// Frame jobs (reduction and composition) on the document's worker pool.
void StartReduction(FrameRecord& frame);
void StartComposition(FrameRecord& frame);
// A view's job on the frame's composed picture (a thumbnail): composes the picture if
// needed and hands it (nullptr when there is none, e.g. while busy) to `use` on a
// worker thread. At most one per frame: false when one is still pending. The frame
// waits for it when destroyed; StopAllJobs cancels it.
bool StartPictureJob(FrameRecord& frame,
                     std::function<void(std::shared_ptr<const ComposedPicture>)> use,
                     JobPriority priority);
