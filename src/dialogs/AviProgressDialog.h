#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// "Loading AVI ...": the frame being loaded and a Cancel button. Shown without blocking
// while the frames load; it takes the user's input meanwhile, so that nothing else in
// the editor can be started in the middle of a load.
class AviProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AviProgressDialog(QWidget* parent);

    // Shows "Loading Frame %d [%d of %d]" and lets pending events run. False once Cancel
    // or the close box was pressed.
    bool Step(int index, int position, int count);
    bool Cancelled() const { return cancelled_; }

    QLabel* label() const { return label_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  public slots:
    void reject() override;

  private:
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelled_ = false;
};
