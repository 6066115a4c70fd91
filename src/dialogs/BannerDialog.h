#pragma once

#include <QDialog>
#include <QMap>
#include <QWidget>

#include "banner/BannerSettings.h"

class AnimationDocument;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;

// The banner preview ("Banner Preview Class"): the settings it was last told to show,
// drawn as the generator draws a centred frame.
class BannerPreview : public QWidget {
    Q_OBJECT
  public:
    explicit BannerPreview(QWidget* parent = nullptr);
    void showSettings(const BannerSettings& settings);
    const BannerSettings& shownSettings() const { return shown_; }
    // How often the preview was told to show settings.
    int updates() const { return updates_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    BannerSettings shown_;
    int updates_ = 0;
};

// Dialog 999, "Banner": the banner's text, font, colours, shadow and image size with a
// live preview. The settings are kept for the whole run; Cancel restores them.
class BannerDialog : public QDialog {
    Q_OBJECT
  public:
    BannerDialog(QWidget* parent, AnimationDocument* doc, BannerBlock& block);
    // 0 when the dialog could not be shown, else 1; block.confirmed is 1 after OK.
    static int Run(QWidget* parent, AnimationDocument& doc, BannerBlock& block);
    // The program-wide banner settings.
    static BannerSettings& Settings();

    // Control by its number (1018 text, 1022-1024, 1026, 1028, 1030, 1033 fields).
    QLineEdit* field(int id) const { return fields_.value(id); }
    QSlider* intensitySlider() const { return intensity_; }
    QCheckBox* shadowBox() const { return shadow_; }
    QCheckBox* borderBox() const { return border_; }
    BannerPreview* preview() const { return preview_; }
    QPushButton* updateButton() const { return update_; }
    // Sets a colour as the colour chooser would (1019 text, 1020 background, 1034 shadow).
    void setColour(int buttonId, uint32_t rgb);

  public slots:
    void accept() override;
    void reject() override;

  private:
    QLineEdit* addField(int id, int32_t BannerSettings::*member);
    void fieldEdited(int id, int32_t BannerSettings::*member, const QString& text);
    void restartTimer();
    void repaintPreview();
    void chooseColour(int buttonId);
    void chooseFont();
    void shadowToggled(bool on);
    void refreshColourButtons();
    void showHelp();

    BannerBlock& block_;
    BannerSettings saved_;
    QMap<int, QLineEdit*> fields_;
    QMap<int, int32_t BannerSettings::*> members_;  // the numeric fields' settings
    QMap<int, QPushButton*> colourButtons_;
    QSlider* intensity_ = nullptr;
    QLabel* intensityValue_ = nullptr;
    QCheckBox* shadow_ = nullptr;
    QCheckBox* border_ = nullptr;
    QPushButton* update_ = nullptr;
    BannerPreview* preview_ = nullptr;
    QTimer* timer_ = nullptr;
};
