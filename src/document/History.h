#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AnimationDocument;

// One undoable change of the document. It is recorded after it was made, so `apply`
// is its redo; `revert` puts the document back as it was before it.
class Edit {
  public:
    virtual ~Edit() = default;
    // What the menu shows after "Undo " and "Redo ": "Delete Frame".
    virtual std::string name() const = 0;
    // The memory the step keeps alive (frames taken out, planes of a snapshot).
    virtual int64_t bytes() const = 0;
    virtual bool apply(AnimationDocument& doc) = 0;
    virtual bool revert(AnimationDocument& doc) = 0;
    // Takes in `next`, made right after this one, when both change the same field, so
    // that typing a value is one step. Returns false to keep them apart.
    virtual bool absorb(const Edit& next) {
        (void)next;
        return false;
    }
};

// The undo and redo steps of a document, bounded by a number of steps and by the memory
// they keep, the oldest dropped first. The document is unmodified exactly when the
// history stands where it stood at the last save.
class History {
  public:
    struct Limits {
        size_t steps = 100;
        int64_t bytes = int64_t(512) << 20;
    };
    History();
    explicit History(Limits limits);

    // Records a change already made: the redo steps go, the change may merge with the
    // last step, and the oldest steps go while the limits are passed (the newest step
    // stays even when it alone is larger).
    void record(std::unique_ptr<Edit> done);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Names of the steps Undo and Redo would take ("" when there is none).
    std::string undoName() const;
    std::string redoName() const;
    // Reverts or applies one step; false (and no move) when there is none or it failed.
    bool undo(AnimationDocument& doc);
    bool redo(AnimationDocument& doc);

    // The saved point: where the history stood when the document was last saved.
    void markSaved() { saved_ = done_; }
    bool atSavedPoint() const { return saved_ == done_; }
    // Forgets every step (New, Open into an empty document); the document as it now is
    // counts as saved when `saved`.
    void clear(bool saved);

    size_t size() const { return steps_.size(); }
    int64_t bytes() const { return bytes_; }
    void setLimits(Limits limits);

  private:
    static constexpr size_t kNowhere = static_cast<size_t>(-1);
    void trim();

    Limits limits_;
    std::vector<std::unique_ptr<Edit>> steps_;
    size_t done_ = 0;   // steps_[0, done_) are applied
    size_t saved_ = 0;  // kNowhere when no reachable state was saved
    int64_t bytes_ = 0;
};
