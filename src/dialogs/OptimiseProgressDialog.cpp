#include "dialogs/OptimiseProgressDialog.h"

#include <QCloseEvent>
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
    connect(abort_, &QPushButton::clicked, this, &OptimiseProgressDialog::abortRun);
}

void OptimiseProgressDialog::abortRun() {
    // The window stays until the optimiser has stopped: hiding it would lift the block on
    // the other windows while the frames are still being walked.
    aborted_ = true;
    abort_->setEnabled(false);
}

void OptimiseProgressDialog::reject() {
    abortRun();  // Escape
}

void OptimiseProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();  // the close box: see abortRun
    abortRun();
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
