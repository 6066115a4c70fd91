#include "document/ComposedCache.h"

#include "document/FrameRecord.h"

void ComposedCache::Touch(FrameRecord& frame, int64_t bytes) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(&frame);
    if (it != entries_.end()) {
        held_ -= it->second.bytes;
        order_.erase(it->second.order);
        entries_.erase(it);
    }
    order_.push_front(&frame);
    entries_[&frame] = Entry{order_.begin(), bytes};
    held_ += bytes;
    EvictLocked(&frame);
}

void ComposedCache::Forget(FrameRecord& frame) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(&frame);
    if (it == entries_.end()) return;
    held_ -= it->second.bytes;
    order_.erase(it->second.order);
    entries_.erase(it);
}

void ComposedCache::setBudget(int64_t bytes) {
    std::lock_guard lock(mutex_);
    budget_ = bytes;
    EvictLocked(nullptr);
}

int64_t ComposedCache::budget() const {
    std::lock_guard lock(mutex_);
    return budget_;
}

void ComposedCache::AddDerived(int64_t bytes) {
    std::lock_guard lock(mutex_);
    held_ += bytes;
    if (bytes > 0) EvictLocked(nullptr);
}

int64_t ComposedCache::bytesHeld() const {
    std::lock_guard lock(mutex_);
    return held_;
}

void ComposedCache::EvictLocked(FrameRecord* keep) {
    // Oldest first. A frame whose lock is busy (composing, or being read) is skipped
    // for now rather than waited for, so that no lock order can cycle.
    auto it = order_.end();
    while (held_ > budget_ && it != order_.begin()) {
        --it;
        FrameRecord* victim = *it;
        if (victim == keep) continue;
        std::unique_lock frameLock(victim->composeLock, std::try_to_lock);
        if (!frameLock.owns_lock() || victim->composing) continue;
        victim->composedBitmap.reset();
        auto entry = entries_.find(victim);
        held_ -= entry->second.bytes;
        entries_.erase(entry);
        it = order_.erase(it);
    }
}
