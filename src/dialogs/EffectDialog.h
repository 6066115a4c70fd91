#pragma once

#include <QDialog>
#include <array>

#include "effects/EffectPreview.h"
#include "effects/EffectSelection.h"

class AnimationDocument;
class FrameRecord;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;
struct AppSettings;

// "Select Effect/Transition": both registry lists, the Effect/Transition radio buttons,
// the generic parameter area that the entries' setup handlers drive, PingPong, the
// colour box and the live preview. The logic lives in EffectSelection; this window
// mirrors its form in widgets and forwards the user's actions to it.
class EffectDialog : public QDialog {
    Q_OBJECT
  public:
    // Preview area (client size): the size the scaled preview sources get.
    static constexpr int kPreviewWidth = 160;
    static constexpr int kPreviewHeight = 120;

    EffectDialog(QWidget* parent, AnimationDocument& doc, EffectSession& session,
                 AppSettings& settings);
    ~EffectDialog() override;

    // Runs the dialog modally on the document's selected frame; true for OK.
    static bool Run(QWidget* parent, AnimationDocument& doc, EffectSession& session,
                    AppSettings& settings);

    // For tests and screenshots.
    EffectSelection& selection() { return selection_; }
    EffectPreview& preview() { return preview_; }
    QRadioButton* effectRadio() const { return effectRadio_; }
    QRadioButton* transitionRadio() const { return transitionRadio_; }
    QListWidget* effectList() const { return effectList_; }
    QListWidget* transitionList() const { return transitionList_; }
    QLineEdit* frameCountEdit() const { return frameCount_; }
    QLineEdit* edit(int slot) const { return edits_[size_t(slot - 1)]; }
    QLabel* editLabel(int slot) const { return editLabels_[size_t(slot - 1)]; }
    QLabel* listLabel(int n) const { return listLabels_[size_t(n - 1)]; }
    QCheckBox* option(int n) const { return options_[size_t(n - 1)]; }
    QComboBox* list(int n) const { return lists_[size_t(n - 1)]; }
    QCheckBox* pingPongBox() const { return pingPong_; }
    QCheckBox* previewBox() const { return previewBox_; }
    QPushButton* colourBox() const { return colourBox_; }
    QLabel* previewArea() const { return previewArea_; }
    QLabel* description() const { return description_; }
    QTimer* typingTimer() const { return typingTimer_; }
    // Number of preview frames drawn so far (the 100 ms timer).
    int framesShown() const { return framesShown_; }

  public slots:
    void accept() override;
    void reject() override;

  private:
    void build();
    // The form into the widgets (signals blocked), then the focus a rejection asked for.
    void showForm();
    // The user's texts and check states into the form.
    void readForm();
    void applyFocus();
    void paintColourBox();
    void recomputePreview();
    void showNextPreviewFrame();
    void onEffectRow(int row);
    void onTransitionRow(int row);
    void onEffectRadio();
    void onTransitionRadio();
    void onListChanged(int list, int line);
    void onOptionClicked(int option, bool checked);
    void onPingPong(bool checked);
    void onPreviewBox(bool checked);
    void onColourBox();
    void onEditsSettled();
    void closePreview();

    AnimationDocument& doc_;
    EffectSession& session_;
    AppSettings& settings_;
    FrameRecord* selected_ = nullptr;
    EffectSelection selection_;
    EffectPreview preview_;
    uint32_t previewAtOpening_ = 1;
    bool ready_ = false;
    int framesShown_ = 0;

    QRadioButton* effectRadio_ = nullptr;
    QRadioButton* transitionRadio_ = nullptr;
    QListWidget* effectList_ = nullptr;
    QListWidget* transitionList_ = nullptr;
    QLineEdit* frameCount_ = nullptr;
    QCheckBox* previewBox_ = nullptr;
    QLabel* previewArea_ = nullptr;
    QCheckBox* pingPong_ = nullptr;
    std::array<QLabel*, 2> listLabels_{};
    std::array<QComboBox*, 2> lists_{};
    QLabel* colourLabel_ = nullptr;
    QPushButton* colourBox_ = nullptr;
    std::array<QLabel*, 5> editLabels_{};
    std::array<QLineEdit*, 5> edits_{};
    std::array<QCheckBox*, 4> options_{};
    QLabel* description_ = nullptr;
    QTimer* typingTimer_ = nullptr;
    QTimer* frameTimer_ = nullptr;
};
