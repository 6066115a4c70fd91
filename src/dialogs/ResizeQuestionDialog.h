#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "Resize": asked when an image being added is not the size of the images already
// loaded. "&Ok, Resize" goes on with resizing, "&Cancel Loading" stops the load.
class ResizeQuestionDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ResizeQuestionDialog(QWidget* parent);
    // True for "&Ok, Resize"; the close box and Escape count as "&Cancel Loading".
    static bool Ask(QWidget* parent);

    QLabel* statement() const { return statement_; }
    QLabel* question() const { return question_; }
    QPushButton* resizeButton() const { return resize_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    QLabel* statement_ = nullptr;
    QLabel* question_ = nullptr;
    QPushButton* resize_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
