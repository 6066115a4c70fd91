#include "document/DocumentEdit.h"

#include <new>

#include "document/AnimationDocument.h"
#include "document/EditSteps.h"

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
        doc_.history.record(MakeEditStep(name_, mergeKey_, std::move(*before_), std::move(after)));
    } catch (const std::bad_alloc&) {
        doc_.history.clear(false);
    }
}
