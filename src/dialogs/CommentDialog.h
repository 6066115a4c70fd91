#pragma once

#include <QDialog>
#include <string>

#include "document/FrameRecord.h"

class AnimationDocument;
class QPlainTextEdit;
class TreeItem;

// What a comment edit works on, decided from the selected tree entry: an existing node
// of a frame's or the document's comment list, or a new one to append.
struct CommentTarget {
    CommentList* list = nullptr;    // none: the entry takes no comment
    int node = -1;                  // index in list; -1 when adding
    TreeItem* frameItem = nullptr;  // parent of a new frame comment entry
    bool global = false;

    bool adding() const { return node < 0; }
    static CommentTarget ForSelection(AnimationDocument& doc);
};

// Longest text an edited or new comment keeps.
constexpr size_t kCommentLimit = 5000;

// OK of the dialog with the field's text: replaces the node's text when it changed, or
// appends the comment with its tree entry. An unchanged comment keeps its whole text,
// however long. Returns true when the document changed.
bool ApplyComment(AnimationDocument& doc, const CommentTarget& target, const std::string& text);

// A comment's bytes as text: UTF-8 when they are valid UTF-8, else Latin-1.
QString CommentText(const std::string& bytes);

// "Comments": one multi-line field for the comment of the selected frame or document.
class CommentDialog : public QDialog {
    Q_OBJECT
  public:
    CommentDialog(QWidget* parent, AnimationDocument& doc);
    // Runs the dialog on the selected entry; true for OK.
    static bool Run(QWidget* parent, AnimationDocument& doc);

    QPlainTextEdit* field() const { return field_; }
    const CommentTarget& target() const { return target_; }

  public slots:
    void accept() override;

  private:
    AnimationDocument& doc_;
    CommentTarget target_;
    QPlainTextEdit* field_ = nullptr;
    QString shown_;  // the field as opened
};
