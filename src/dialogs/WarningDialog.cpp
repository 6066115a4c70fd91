#include "dialogs/WarningDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/SettingsStore.h"

const char* WarningText(WarningKind kind) {
    switch (kind) {
        case WarningKind::Transparent:
            return "The color selected for the effect/transition is the transparent color, this "
                   "may result in effects without a visible change.\nContinue ?";
        case WarningKind::Optimize:
            return "Optimizing will affect all Images, further applying of effects/transitions "
                   "will only be performed on parts of the image.\nConinue ?";
        case WarningKind::UnOptimize:
            return "UnOptimizing will affect all Images, because of this process all "
                   "transparency will be lost. All images will use a local Palette and will have "
                   "the same size.\nConinue ?";
        case WarningKind::GlobalPal:
            return "Deactivating the global Palette requires activation of all local "
                   "palettes\nDo you want all local palettes to be turned on ?\n";
        case WarningKind::LocalPal:
            return "Deactivating the local Palette requires activation of the global "
                   "palette\nDo you want the global palette to be turned on ?\n";
        case WarningKind::Resize:
            return "Resizing will destroy all transparency information. All images will use a "
                   "local Palette and will have the same size.\nConinue Resize?";
    }
    return "";
}

uint32_t& WarningSetting(AppSettings& s, WarningKind kind) {
    switch (kind) {
        case WarningKind::Transparent:
            return s.transparentWarning;
        case WarningKind::Optimize:
            return s.optimizeWarning;
        case WarningKind::UnOptimize:
            return s.unOptimizeWarning;
        case WarningKind::GlobalPal:
            return s.globalPalWarning;
        case WarningKind::LocalPal:
            return s.localPalWarning;
        case WarningKind::Resize:
            break;
    }
    return s.resizeWarning;
}

WarningDialog::WarningDialog(QWidget* parent, const QString& text) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Warning"));
    auto* icon = new QLabel;
    icon->setPixmap(
        QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
    text_ = new QLabel(text);
    text_->setWordWrap(true);
    text_->setMinimumWidth(320);
    dontShow_ = new QCheckBox(QStringLiteral("Don't &Show this message again"));
    auto* ok = new QPushButton(QStringLiteral("&Ok"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* message = new QHBoxLayout;
    message->addWidget(icon, 0, Qt::AlignTop);
    message->addWidget(text_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(dontShow_);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addLayout(buttons);
}

bool Warn(QWidget* parent, AppSettings& settings, WarningKind kind) {
    uint32_t& dontShow = WarningSetting(settings, kind);
    if (dontShow == 1) return true;
    WarningDialog dialog(parent, QString::fromLatin1(WarningText(kind)));
    if (dialog.exec() != QDialog::Accepted) return false;
    if (dialog.dontShowBox()->isChecked()) dontShow = 1;
    return true;
}
