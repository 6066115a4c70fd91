#pragma once

#include <memory>
#include <optional>
#include <string>

#include "document/DocumentState.h"

class AnimationDocument;

// The one path of every change: open a DocumentEdit, change the document (each change
// calls doc.MarkChanged()), let it go. The outermost open edit then records what changed
// between the document before and after as one undo step with its name ("Delete
// Frame"); an edit in which nothing called MarkChanged records nothing. Changes of one
// field with the same non-empty merge key, one after the other, become one step (typing
// a delay).
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
