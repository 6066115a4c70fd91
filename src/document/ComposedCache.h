#pragma once

#include <cstdint>
#include <list>
#include <mutex>
#include <unordered_map>

class FrameRecord;

// Composed pictures are a cache: any of them can be computed again from the frames.
// This bounds what they hold together, dropping the least recently used pictures when
// the budget is exceeded, so that a long animation does not keep one full-screen
// picture per frame for ever.
class ComposedCache {
  public:
    explicit ComposedCache(int64_t budgetBytes) : budget_(budgetBytes) {}

    // A frame's picture was stored or used. Called with no frame lock held; may drop
    // the pictures of other frames.
    void Touch(FrameRecord& frame, int64_t bytes);
    // The frame's picture went away, or the frame is being destroyed.
    void Forget(FrameRecord& frame);
    void setBudget(int64_t bytes);
    int64_t budget() const;
    int64_t bytesHeld() const;
    // Memory of pictures made from composed ones and kept elsewhere (a view's thumbnails):
    // counted against the same budget, so that composed pictures make room for them.
    void AddDerived(int64_t bytes);

  private:
    struct Entry {
        std::list<FrameRecord*>::iterator order;
        int64_t bytes;
    };
    void EvictLocked(FrameRecord* keep);

    mutable std::mutex mutex_;
    int64_t budget_;
    int64_t held_ = 0;
    std::list<FrameRecord*> order_;  // most recent first
    std::unordered_map<FrameRecord*, Entry> entries_;
};
