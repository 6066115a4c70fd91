#pragma once

#include <QDialog>

class AnimationDocument;
class QCheckBox;
class QLabel;
class QLineEdit;

// What "Resize Image(s)" returns.
struct ResizeRequest {
    int32_t width = 0;
    int32_t height = 0;
    int32_t maintainTransparency = 0;
};

// Sizes the program accepts for a frame side.
constexpr int kMinResizeSide = 1;
constexpr int kMaxResizeSide = 65535;

// "Resize Image(s)": the new size of every frame, optionally keeping the screen's aspect
// ratio. The last sizes and the aspect flag are kept for the next time.
class ResizeDialog : public QDialog {
    Q_OBJECT
  public:
    ResizeDialog(QWidget* parent, AnimationDocument& doc, ResizeRequest& request);
    // True for OK with a usable size in `request`.
    static bool Run(QWidget* parent, AnimationDocument& doc, ResizeRequest& request);
    // Forgets the kept values (program start).
    static void ResetKeptValues();

    QLineEdit* widthEdit() const { return width_; }
    QLineEdit* heightEdit() const { return height_; }
    QCheckBox* aspectBox() const { return aspect_; }
    QCheckBox* transparencyBox() const { return transparency_; }
    QLabel* originalWidth() const { return originalWidth_; }
    QLabel* originalHeight() const { return originalHeight_; }

  public slots:
    void accept() override;

  private:
    void onWidthEdited(const QString& text);
    void onHeightEdited(const QString& text);
    void onAspectToggled(bool on);

    ResizeRequest& request_;
    double ratio_ = 1.0;
    QLabel* originalWidth_ = nullptr;
    QLabel* originalHeight_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QCheckBox* aspect_ = nullptr;
    QCheckBox* transparency_ = nullptr;
};
