#pragma once

#include <QDialog>

#include "io/AviImport.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// "Load AVI": shows how many frames the video holds and which indexes they have, and
// lets the user take all of them or a run from a chosen index, forward or in reverse, at
// a frame rate and size.
// The choices are validated on OK; a refused choice keeps the dialog open.
class AviLoadDialog : public QDialog {
    Q_OBJECT
  public:
    AviLoadDialog(QWidget* parent, const AviStreamInfo& info, AviLoadChoices& choices);
    // True for OK with acceptable choices in `choices`.
    static bool Run(QWidget* parent, const AviStreamInfo& info, AviLoadChoices& choices);

    // The dialog and the progress window as the editor's AVI import uses them. The
    // progress window lives as long as the returned hooks.
    static AviImportOptions ImportOptions(QWidget* parent);

    QLabel* infoText() const { return info_; }
    QLineEdit* countEdit() const { return count_; }
    QLineEdit* firstEdit() const { return first_; }
    QCheckBox* loadAllBox() const { return loadAll_; }
    QCheckBox* reverseBox() const { return reverse_; }
    QLineEdit* rateEdit() const { return fps_; }
    QLineEdit* widthEdit() const { return width_; }
    QLineEdit* heightEdit() const { return height_; }

  public slots:
    void accept() override;

  private:
    void updateEnabling();

    AviStreamInfo stream_;
    AviLoadChoices& choices_;
    QLabel* info_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* firstLabel_ = nullptr;
    QLineEdit* count_ = nullptr;
    QLineEdit* first_ = nullptr;
    QCheckBox* loadAll_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QLineEdit* fps_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QString defaultRate_;
};
