#include "document/DocumentEdit.h"

#include <new>

#include "document/AnimationDocument.h"

namespace {
// Frames, palettes and the tree are counted besides the planes only one side holds.
int64_t StepBytes(const DocumentState& before, const DocumentState& after) {
    const int64_t perFrame = int64_t(sizeof(DocumentState::Frame));
    return PlaneBytesNotIn(before, after) + PlaneBytesNotIn(after, before) +
           perFrame * int64_t(before.frames.size() + after.frames.size());
}
}  // namespace

DocumentEdit::DocumentEdit(AnimationDocument& doc, std::string name, std::string mergeKey)
    : doc_(doc),
      outermost_(doc.editDepth == 0),
      name_(std::move(name)),
      mergeKey_(std::move(mergeKey)) {
    ++doc_.editDepth;
    if (!outermost_) return;
    doc_.editChanged = false;
    try {
        before_ = CaptureState(doc_);
    } catch (const std::bad_alloc&) {
        before_.reset();  // the change will not be undoable
    }
}

DocumentEdit::~DocumentEdit() {
    --doc_.editDepth;
    if (!outermost_ || !doc_.editChanged) return;
    doc_.editChanged = false;
    if (!before_) {
        doc_.history.clear(false);
        return;
    }
    try {
        // A change that left everything as it was (a palette confirmed unchanged) still
        // counts: the document is modified as the user asked for it.
        DocumentState after = CaptureState(doc_);
        doc_.history.record(
            std::make_unique<StateEdit>(name_, mergeKey_, std::move(*before_), std::move(after)));
    } catch (const std::bad_alloc&) {
        doc_.history.clear(false);
    }
}

StateEdit::StateEdit(std::string name, std::string mergeKey, DocumentState before,
                     DocumentState after)
    : name_(std::move(name)),
      mergeKey_(std::move(mergeKey)),
      before_(std::move(before)),
      after_(std::move(after)),
      bytes_(StepBytes(before_, after_)) {}

bool StateEdit::apply(AnimationDocument& doc) {
    return RestoreState(doc, after_);
}

bool StateEdit::revert(AnimationDocument& doc) {
    return RestoreState(doc, before_);
}

bool StateEdit::absorb(const Edit& next) {
    const auto* other = dynamic_cast<const StateEdit*>(&next);
    if (!other || mergeKey_.empty() || other->mergeKey_ != mergeKey_) return false;
    if (!(other->before_ == after_)) return false;
    after_ = other->after_;
    bytes_ = StepBytes(before_, after_);
    return true;
}
