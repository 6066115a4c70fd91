#include "dialogs/ResizeDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "document/AnimationDocument.h"
#include "document/PixelPlanes.h"
#include "effects/ParameterForm.h"

namespace {
// Kept between uses: -1 stands for the logical screen's size.
int gLastWidth = -1;
int gLastHeight = -1;
bool gMaintainAspect = false;

bool AnyActiveTransparency(const AnimationDocument& doc) {
    for (const FrameRecord* f = doc.firstFrame; f; f = f->next)
        if (f->hasTransparency && f->transparencyActive.load()) return true;
    return false;
}
}  // namespace

void ResizeDialog::ResetKeptValues() {
    gLastWidth = gLastHeight = -1;
    gMaintainAspect = false;
}

ResizeDialog::ResizeDialog(QWidget* parent, AnimationDocument& doc, ResizeRequest& request)
    : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("IDD_RESIZEALLDLG"));
    setWindowTitle(QStringLiteral("Resize Image(s)"));
    const int screenW = int(doc.screenWidth), screenH = int(doc.screenHeight);
    ratio_ = screenH > 0 ? double(screenW) / double(screenH) : 1.0;
    if (gLastWidth == -1) gLastWidth = screenW;
    if (gLastHeight == -1) gLastHeight = screenH;

    originalWidth_ = new QLabel(QString::number(screenW));
    originalHeight_ = new QLabel(QString::number(screenH));
    width_ = new QLineEdit(QString::number(gLastWidth));
    height_ = new QLineEdit(QString::number(gLastHeight));
    aspect_ = new QCheckBox(QStringLiteral("Maintain &Aspect Ratio"));
    aspect_->setChecked(gMaintainAspect);
    transparency_ = new QCheckBox(QStringLiteral("Maintain &Transparency"));
    request_.maintainTransparency = 0;
    transparency_->setEnabled(AnyActiveTransparency(doc));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Original Image(s)")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("New Image(s)")), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Width")), 1, 0);
    grid->addWidget(originalWidth_, 1, 1);
    grid->addWidget(width_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Height")), 2, 0);
    grid->addWidget(originalHeight_, 2, 1);
    grid->addWidget(height_, 2, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(aspect_);
    layout->addWidget(transparency_);
    layout->addWidget(buttons);

    // Typing only: a value this dialog writes into the other field does not bounce back.
    connect(width_, &QLineEdit::textEdited, this, &ResizeDialog::onWidthEdited);
    connect(height_, &QLineEdit::textEdited, this, &ResizeDialog::onHeightEdited);
    connect(aspect_, &QCheckBox::toggled, this, &ResizeDialog::onAspectToggled);
    connect(transparency_, &QCheckBox::toggled, this,
            [this](bool on) { request_.maintainTransparency = on ? 1 : 0; });
    connect(buttons, &QDialogButtonBox::accepted, this, &ResizeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool ResizeDialog::Run(QWidget* parent, AnimationDocument& doc, ResizeRequest& request) {
    ResizeDialog dialog(parent, doc, request);
    return dialog.exec() == QDialog::Accepted;
}

void ResizeDialog::onWidthEdited(const QString& text) {
    const int w = ParseDialogInt(text.toStdString());
    if (w == gLastWidth) return;
    gLastWidth = w;
    if (!gMaintainAspect) return;
    gLastHeight = int(double(w) / ratio_);
    const QSignalBlocker block(height_);
    height_->setText(QString::number(gLastHeight));
}

void ResizeDialog::onHeightEdited(const QString& text) {
    const int h = ParseDialogInt(text.toStdString());
    if (h == gLastHeight) return;
    gLastHeight = h;
    if (!gMaintainAspect) return;
    gLastWidth = int(double(h) * ratio_);
    const QSignalBlocker block(width_);
    width_->setText(QString::number(gLastWidth));
}

void ResizeDialog::onAspectToggled(bool on) {
    gMaintainAspect = on;
    const int w = ParseDialogInt(width_->text().toStdString());
    const int h = ParseDialogInt(height_->text().toStdString());
    if (on && (h == 0 || double(w) / double(h) != ratio_)) {
        gLastHeight = int(double(w) / ratio_);
        height_->setText(QString::number(gLastHeight));
    }
}

void ResizeDialog::accept() {
    const int w = ParseDialogInt(width_->text().toStdString());
    const int h = ParseDialogInt(height_->text().toStdString());
    // A side of 0 (a ratio that truncates to nothing) or beyond what a GIF can hold
    // cannot be resized to.
    for (QLineEdit* e : {width_, height_}) {
        const int v = e == width_ ? w : h;
        if (v < kMinResizeSide || v > kMaxResizeSide) {
            QMessageBox::warning(this, QStringLiteral("Parameter out of Range"),
                                 QStringLiteral("Width and height must be between 1 and 65535."));
            e->setFocus();
            e->selectAll();
            return;
        }
    }
    // Each side may be fine and the picture still too large to be held.
    if (!IsPlaneSizeAcceptable(w, h)) {
        QMessageBox::warning(
            this, QStringLiteral("Parameter out of Range"),
            QStringLiteral("Width times height must not exceed %1 pixels.").arg(kMaxPlanePixels));
        width_->setFocus();
        width_->selectAll();
        return;
    }
    request_.width = w;
    request_.height = h;
    QDialog::accept();
}
