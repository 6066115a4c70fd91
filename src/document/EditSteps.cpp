#include "document/EditSteps.h"

#include <algorithm>

#include "document/AnimationDocument.h"

namespace {

int64_t OutlineBytes(const DocumentOutline& outline) {
    int64_t bytes = int64_t(sizeof(DocumentOutline));
    for (const FrameTree::Entry& e : outline.entries)
        bytes += int64_t(sizeof(e) + e.text.capacity());
    return bytes;
}

// Frames, palettes and tree are counted besides the planes only one side holds.
int64_t FramesBytes(const std::vector<FrameState>& before, const std::vector<FrameState>& after) {
    return PlaneBytesNotIn(before, after) + PlaneBytesNotIn(after, before) +
           int64_t(sizeof(FrameState)) * int64_t(before.size() + after.size());
}

std::vector<FrameState> Run(std::vector<FrameState>& frames, size_t from, size_t to) {
    return {std::make_move_iterator(frames.begin() + std::ptrdiff_t(from)),
            std::make_move_iterator(frames.begin() + std::ptrdiff_t(to))};
}

}  // namespace

std::unique_ptr<Edit> MakeEditStep(std::string name, std::string mergeKey, DocumentState before,
                                   DocumentState after) {
    const size_t n = before.frames.size();
    const size_t m = after.frames.size();
    // The frames that stayed at both ends of the list.
    size_t head = 0;
    while (head < std::min(n, m) && before.frames[head] == after.frames[head]) ++head;
    size_t tail = 0;
    while (tail < std::min(n, m) - head &&
           before.frames[n - 1 - tail] == after.frames[m - 1 - tail])
        ++tail;
    const size_t changedBefore = n - head - tail;
    const size_t changedAfter = m - head - tail;
    if (changedBefore == changedAfter && changedBefore > 1) {
        return std::make_unique<SnapshotEdit>(std::move(name), std::move(before), std::move(after));
    }
    std::vector<FrameState> runBefore = Run(before.frames, head, n - tail);
    std::vector<FrameState> runAfter = Run(after.frames, head, m - tail);
    DocumentOutline outlineBefore = std::move(static_cast<DocumentOutline&>(before));
    DocumentOutline outlineAfter = std::move(static_cast<DocumentOutline&>(after));
    if (changedBefore == changedAfter) {
        return std::make_unique<ParameterEdit>(std::move(name), std::move(mergeKey), head,
                                               std::move(runBefore), std::move(runAfter),
                                               std::move(outlineBefore), std::move(outlineAfter));
    }
    return std::make_unique<SpliceEdit>(std::move(name), head, std::move(runBefore),
                                        std::move(runAfter), std::move(outlineBefore),
                                        std::move(outlineAfter));
}

SpliceEdit::SpliceEdit(std::string name, size_t at, std::vector<FrameState> before,
                       std::vector<FrameState> after, DocumentOutline outlineBefore,
                       DocumentOutline outlineAfter)
    : name_(std::move(name)),
      at_(at),
      before_(std::move(before)),
      after_(std::move(after)),
      outlineBefore_(std::move(outlineBefore)),
      outlineAfter_(std::move(outlineAfter)),
      bytes_(countBytes()) {}

int64_t SpliceEdit::countBytes() const {
    return FramesBytes(before_, after_) + OutlineBytes(outlineBefore_) +
           OutlineBytes(outlineAfter_);
}

bool SpliceEdit::apply(AnimationDocument& doc) {
    return SpliceFrames(doc, at_, before_.size(), after_, outlineAfter_);
}

bool SpliceEdit::revert(AnimationDocument& doc) {
    return SpliceFrames(doc, at_, after_.size(), before_, outlineBefore_);
}

ParameterEdit::ParameterEdit(std::string name, std::string mergeKey, size_t at,
                             std::vector<FrameState> before, std::vector<FrameState> after,
                             DocumentOutline outlineBefore, DocumentOutline outlineAfter)
    : SpliceEdit(std::move(name), at, std::move(before), std::move(after), std::move(outlineBefore),
                 std::move(outlineAfter)),
      mergeKey_(std::move(mergeKey)) {}

bool ParameterEdit::absorb(const Edit& next) {
    const auto* other = dynamic_cast<const ParameterEdit*>(&next);
    if (!other || mergeKey_.empty() || other->mergeKey_ != mergeKey_) return false;
    // Only a change that starts where this one ended, on the same frame (or on none).
    if (other->at_ != at_ || !(other->before_ == after_) ||
        !(other->outlineBefore_ == outlineAfter_))
        return false;
    outlineAfter_ = other->outlineAfter_;
    after_ = other->after_;
    bytes_ = countBytes();
    return true;
}

SnapshotEdit::SnapshotEdit(std::string name, DocumentState before, DocumentState after)
    : name_(std::move(name)),
      before_(std::move(before)),
      after_(std::move(after)),
      bytes_(FramesBytes(before_.frames, after_.frames) + OutlineBytes(before_) +
             OutlineBytes(after_)) {}

bool SnapshotEdit::apply(AnimationDocument& doc) {
    return RestoreState(doc, after_);
}

bool SnapshotEdit::revert(AnimationDocument& doc) {
    return RestoreState(doc, before_);
}
