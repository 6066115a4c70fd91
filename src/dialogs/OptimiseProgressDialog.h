#pragma once

#include <QDialog>

#include "colour/OptimiseProgress.h"

class QLabel;
class QProgressBar;
class QPushButton;

// "Optimizing Images ...": the optimiser's label and bar, and "&Abort", which stops the
// run after the frame in progress; Escape and the close box abort too. Shown without
// blocking the optimiser, which lets it handle its events between frames; it keeps the
// other windows blocked until the run has ended (Close).
class OptimiseProgressDialog : public QDialog, public OptimiseProgress {
    Q_OBJECT
  public:
    explicit OptimiseProgressDialog(QWidget* parent);

    void SetLabel(const std::string& text) override;
    void SetPosition(int position) override;
    void ProcessEvents() override;
    bool Aborted() const override { return aborted_; }
    void Close() override;

    QLabel* label() const { return label_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* abortButton() const { return abort_; }

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void abortRun();

    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* abort_ = nullptr;
    bool aborted_ = false;
};
