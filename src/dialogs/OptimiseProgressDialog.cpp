#include "dialogs/OptimiseProgressDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

OptimiseProgressDialog::OptimiseProgressDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Optimizing Images ..."));
    // Events are processed while the frames change: the other windows must take no input.
    setWindowModality(Qt::ApplicationModal);
    label_ = new QLabel(QStringLiteral("Optimizing"));
    bar_ = new QProgressBar;
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setMinimumWidth(260);
    abort_ = new QPushButton(QStringLiteral("&Abort"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(abort_, 0, Qt::AlignHCenter);
    connect(abort_, &QPushButton::clicked, this, [this] {
        aborted_ = true;
        done(0);
    });
}

void OptimiseProgressDialog::SetLabel(const std::string& text) {
    label_->setText(QString::fromLocal8Bit(text.c_str()));
}

void OptimiseProgressDialog::SetPosition(int position) {
    bar_->setValue(qBound(0, position + 1, 100));
}

void OptimiseProgressDialog::ProcessEvents() {
    QCoreApplication::processEvents();
}

void OptimiseProgressDialog::Close() {
    if (isVisible()) done(1);
}
