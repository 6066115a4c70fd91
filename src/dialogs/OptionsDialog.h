#pragma once

#include <QDialog>

struct AppSettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

// "Options": deletion confirmation, multiple instances, the effect dialog's preview, JPEG
// quality, the GIF optimisation level and the keeping of true-colour data. The sliders work on
// copies until OK; "Reactivate all &Warnings" acts at once.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(QWidget* parent, AppSettings& settings);
    // True for OK (the settings written).
    static bool Run(QWidget* parent, AppSettings& settings);

    QCheckBox* confirmDeleteBox() const { return confirmDelete_; }
    QCheckBox* multiInstanceBox() const { return multiInstance_; }
    QCheckBox* previewBox() const { return preview_; }
    QCheckBox* keepTrueColourBox() const { return keepTrueColour_; }
    QRadioButton* currentFramesRadio() const { return currentFrames_; }
    QRadioButton* fixedFramesRadio() const { return fixedFrames_; }
    QLineEdit* previewFramesEdit() const { return previewFrames_; }
    QSlider* jpegSlider() const { return jpegSlider_; }
    QLabel* jpegReadOut() const { return jpegReadOut_; }
    QSlider* gifSlider() const { return gifSlider_; }
    QLabel* gifLevelName() const { return gifName_; }
    QSlider* lossySlider() const { return lossySlider_; }
    QLabel* lossyReadOut() const { return lossyReadOut_; }
    QComboBox* reductionList() const { return reduction_; }
    QSlider* ditherSlider() const { return ditherSlider_; }
    QCheckBox* sharedPaletteBox() const { return sharedPalette_; }
    QPushButton* reactivateButton() const { return reactivate_; }

  public slots:
    void accept() override;

  private:
    AppSettings& settings_;
    uint32_t workingQuality_ = 75;
    uint32_t workingMask_ = 0xF0F0F0;
    QCheckBox* confirmDelete_ = nullptr;
    QCheckBox* multiInstance_ = nullptr;
    QCheckBox* preview_ = nullptr;
    QCheckBox* keepTrueColour_ = nullptr;
    QRadioButton* currentFrames_ = nullptr;
    QRadioButton* fixedFrames_ = nullptr;
    QLineEdit* previewFrames_ = nullptr;
    QSlider* jpegSlider_ = nullptr;
    QLabel* jpegReadOut_ = nullptr;
    QSlider* gifSlider_ = nullptr;
    QLabel* gifName_ = nullptr;
    QSlider* lossySlider_ = nullptr;
    QLabel* lossyReadOut_ = nullptr;
    QComboBox* reduction_ = nullptr;
    QSlider* ditherSlider_ = nullptr;
    QLabel* ditherReadOut_ = nullptr;
    QCheckBox* sharedPalette_ = nullptr;
    QPushButton* reactivate_ = nullptr;
};
