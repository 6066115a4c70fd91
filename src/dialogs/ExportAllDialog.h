#pragma once

#include <QDialog>

struct AppSettings;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

// "Export All Images": the file name pattern, the numbering (the number before the
// extension, or in advanced mode in place of an indicator character given once per
// digit), GIF or JPEG and the JPEG quality. OK stores the format and the quality in the
// settings.
class ExportAllDialog : public QDialog {
    Q_OBJECT
  public:
    // digits: how many digits the frame numbers take.
    ExportAllDialog(QWidget* parent, AppSettings& settings, const QString& pattern, int digits);
    // True for OK; `pattern` and `indicator` (0 in normal mode) are then what to export to.
    static bool Run(QWidget* parent, AppSettings& settings, int digits, QString& pattern,
                    char& indicator);
    // Back to normal mode (program start).
    static void ResetKeptValues();

    QString pattern() const;
    char indicator() const { return indicator_; }

    QLineEdit* patternEdit() const { return pattern_; }
    QPushButton* browseButton() const { return browse_; }
    QRadioButton* normalRadio() const { return normal_; }
    QRadioButton* advancedRadio() const { return advanced_; }
    QLineEdit* indicatorEdit() const { return indicatorEdit_; }
    QLabel* indicatorLabel() const { return indicatorLabel_; }
    QLabel* infoText() const { return info_; }
    QRadioButton* gifRadio() const { return gif_; }
    QRadioButton* jpegRadio() const { return jpeg_; }
    QSlider* qualitySlider() const { return quality_; }
    QLabel* qualityReadOut() const { return qualityReadOut_; }
    QLabel* qualityLabel() const { return qualityLabel_; }
    QPushButton* helpButton() const { return help_; }

  public slots:
    void accept() override;

  private:
    void updateMode();
    void updateFormat();
    void browse();

    AppSettings& settings_;
    int digits_ = 1;
    char indicator_ = 0;
    QString accepted_;  // the pattern as OK took it (".GIF" may exceed the field's room)
    QLineEdit* pattern_ = nullptr;
    QPushButton* browse_ = nullptr;
    QRadioButton* normal_ = nullptr;
    QRadioButton* advanced_ = nullptr;
    QLabel* indicatorLabel_ = nullptr;
    QLineEdit* indicatorEdit_ = nullptr;
    QLabel* info_ = nullptr;
    QRadioButton* gif_ = nullptr;
    QRadioButton* jpeg_ = nullptr;
    QLabel* qualityLabel_ = nullptr;
    QSlider* quality_ = nullptr;
    QLabel* qualityReadOut_ = nullptr;
    QPushButton* help_ = nullptr;
};
