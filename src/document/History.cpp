#include "document/History.h"

#include <utility>

History::History() : History(Limits{}) {}

History::History(Limits limits) : limits_(limits) {}

void History::record(std::unique_ptr<Edit> done) {
    if (!done) return;
    // A new change ends the redo steps; a saved state among them cannot come back.
    while (steps_.size() > done_) {
        bytes_ -= steps_.back()->bytes();
        steps_.pop_back();
    }
    if (saved_ != kNowhere && saved_ > done_) saved_ = kNowhere;
    // Merging into the step that led to the saved state would make that state
    // unreachable by Undo while the history still claimed it.
    if (done_ > 0 && saved_ != done_) {
        Edit& last = *steps_[done_ - 1];
        const int64_t before = last.bytes();
        if (last.absorb(*done)) {
            bytes_ += last.bytes() - before;
            trim();
            return;
        }
    }
    bytes_ += done->bytes();
    steps_.push_back(std::move(done));
    ++done_;
    trim();
}

void History::trim() {
    size_t dropped = 0;
    while (steps_.size() - dropped > 1 &&
           (steps_.size() - dropped > limits_.steps || bytes_ > limits_.bytes)) {
        bytes_ -= steps_[dropped]->bytes();
        ++dropped;
    }
    if (dropped == 0) return;
    steps_.erase(steps_.begin(), steps_.begin() + std::ptrdiff_t(dropped));
    done_ -= dropped;
    if (saved_ != kNowhere) saved_ = saved_ >= dropped ? saved_ - dropped : kNowhere;
}

std::string History::undoName() const {
    return canUndo() ? steps_[done_ - 1]->name() : std::string();
}

std::string History::redoName() const {
    return canRedo() ? steps_[done_]->name() : std::string();
}

bool History::undo(AnimationDocument& doc) {
    if (!canUndo() || !steps_[done_ - 1]->revert(doc)) return false;
    --done_;
    return true;
}

bool History::redo(AnimationDocument& doc) {
    if (!canRedo() || !steps_[done_]->apply(doc)) return false;
    ++done_;
    return true;
}

void History::clear(bool saved) {
    steps_.clear();
    done_ = 0;
    bytes_ = 0;
    saved_ = saved ? 0 : kNowhere;
}

void History::setLimits(Limits limits) {
    limits_ = limits;
    trim();
}
