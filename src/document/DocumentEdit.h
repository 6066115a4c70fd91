#pragma once

#include <memory>
#include <optional>
#include <string>

#include "document/DocumentState.h"
#include "document/History.h"

class AnimationDocument;

// The one path of every change: open a DocumentEdit, change the document (each change
// calls doc.MarkChanged()), let it go. The outermost open edit then records what the
// document was before and after as one undo step with its name ("Delete Frame"); an
// edit in which nothing called MarkChanged records nothing. Edits with the same non-empty merge key
// made one after the other become one step (typing a delay).
class DocumentEdit {
  public:
    DocumentEdit(AnimationDocument& doc, std::string name, std::string mergeKey = {});
    ~DocumentEdit();
    DocumentEdit(const DocumentEdit&) = delete;
    DocumentEdit& operator=(const DocumentEdit&) = delete;

  private:
    AnimationDocument& doc_;
    bool outermost_;
    std::string name_;
    std::string mergeKey_;
    std::optional<DocumentState> before_;
};

// The step DocumentEdit records: the document's state on both sides of the change.
class StateEdit : public Edit {
  public:
    StateEdit(std::string name, std::string mergeKey, DocumentState before, DocumentState after);
    std::string name() const override { return name_; }
    int64_t bytes() const override { return bytes_; }
    bool apply(AnimationDocument& doc) override;
    bool revert(AnimationDocument& doc) override;
    bool absorb(const Edit& next) override;

  private:
    std::string name_;
    std::string mergeKey_;
    DocumentState before_;
    DocumentState after_;
    int64_t bytes_;
};
