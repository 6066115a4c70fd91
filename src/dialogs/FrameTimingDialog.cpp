#include "dialogs/FrameTimingDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "document/FrameTiming.h"

namespace {

std::optional<int> AskNumber(QWidget* parent, const QString& title, const QString& label,
                             const QString& suffix, int minimum, int maximum, int initial,
                             int frames) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(frames == 1
                                     ? QStringLiteral("For the selected image.")
                                     : QStringLiteral("For the %1 selected images.").arg(frames)));
    auto* form = new QFormLayout;
    auto* value = new QSpinBox;
    value->setObjectName(QStringLiteral("value"));
    value->setRange(minimum, maximum);
    value->setSuffix(suffix);
    value->setValue(initial);
    value->selectAll();
    form->addRow(label, value);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return value->value();
}

}  // namespace

namespace FrameTimingDialog {

std::optional<int> AskDelay(QWidget* parent, int initial, int frames) {
    return AskNumber(parent, QStringLiteral("Set Delay"), QStringLiteral("&Delay (1/100 s):"),
                     QString(), 0, kMaxFrameDelay, initial, frames);
}

std::optional<int> AskPercent(QWidget* parent, int initial, int frames) {
    return AskNumber(parent, QStringLiteral("Scale Delays"), QStringLiteral("&Scale by:"),
                     QStringLiteral(" %"), kMinDelayPercent, kMaxDelayPercent, initial, frames);
}

}  // namespace FrameTimingDialog
