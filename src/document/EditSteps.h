#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/DocumentState.h"
#include "document/History.h"

// The three kinds of undo step, each keeping only what its change touched:
// - ParameterEdit: one field, of the animation or of one frame (a delay typed, a palette
//   switched for a frame, a comment); it merges with the next change of the same field;
// - SpliceEdit: frames taken out of or put into the list at one position with their
//   tree entries (Delete, Paste, Insert Effect); the frames out of the document are kept
//   here, sharing their planes, and undoing moves them back without copying pixels;
// - SnapshotEdit: every frame on both sides (Optimize, Resize, a palette switch for all).

// The step for a change from `before` to `after`, of the smallest kind that holds it.
std::unique_ptr<Edit> MakeEditStep(std::string name, std::string mergeKey, DocumentState before,
                                   DocumentState after);

// The frames [at, at + before.size()) of the document became `after` (the rest stayed),
// and the outline changed from outlineBefore to outlineAfter.
class SpliceEdit : public Edit {
  public:
    SpliceEdit(std::string name, size_t at, std::vector<FrameState> before,
               std::vector<FrameState> after, DocumentOutline outlineBefore,
               DocumentOutline outlineAfter);
    std::string name() const override { return name_; }
    int64_t bytes() const override { return bytes_; }
    bool apply(AnimationDocument& doc) override;
    bool revert(AnimationDocument& doc) override;

  protected:
    int64_t countBytes() const;

    std::string name_;
    size_t at_;
    std::vector<FrameState> before_, after_;
    DocumentOutline outlineBefore_, outlineAfter_;
    int64_t bytes_;
};

// A splice of at most one frame for one field; typing into the field makes one step.
class ParameterEdit : public SpliceEdit {
  public:
    ParameterEdit(std::string name, std::string mergeKey, size_t at, std::vector<FrameState> before,
                  std::vector<FrameState> after, DocumentOutline outlineBefore,
                  DocumentOutline outlineAfter);
    bool absorb(const Edit& next) override;

  private:
    std::string mergeKey_;
};

// The whole document on both sides of the change.
class SnapshotEdit : public Edit {
  public:
    SnapshotEdit(std::string name, DocumentState before, DocumentState after);
    std::string name() const override { return name_; }
    int64_t bytes() const override { return bytes_; }
    bool apply(AnimationDocument& doc) override;
    bool revert(AnimationDocument& doc) override;

  private:
    std::string name_;
    DocumentState before_;
    DocumentState after_;
    int64_t bytes_;
};
