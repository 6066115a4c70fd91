#include "dialogs/ResizeQuestionDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

ResizeQuestionDialog::ResizeQuestionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IDD_RESIZEDLG"));
    setWindowTitle(QStringLiteral("Resize"));

    auto* icon = new QLabel;
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    statement_ = new QLabel(QStringLiteral(
        "The size of the selected image differs from the size of the image(s) already loaded."));
    statement_->setWordWrap(true);
    question_ = new QLabel(QStringLiteral("Shall the new image be resized ?"));
    resize_ = new QPushButton(QStringLiteral("&Ok, Resize"));
    resize_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("&Cancel Loading"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(statement_);
    texts->addWidget(question_);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(resize_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    statement_->setMinimumWidth(300);

    connect(resize_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool ResizeQuestionDialog::Ask(QWidget* parent) {
    ResizeQuestionDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}
