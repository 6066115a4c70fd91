#include "dialogs/AviProgressDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "io/AviImport.h"

AviProgressDialog::AviProgressDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AVIPROGRESSDLG"));
    setWindowTitle(QStringLiteral("Loading AVI ..."));
    // Input goes to this window only while it is up: the load runs inside a command.
    setWindowModality(Qt::ApplicationModal);
    label_ = new QLabel;
    label_->setMinimumWidth(260);
    bar_ = new QProgressBar;
    bar_->setRange(0, 100);
    bar_->setValue(0);
    cancel_ = new QPushButton(QStringLiteral("Cancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &AviProgressDialog::reject);
}

bool AviProgressDialog::Step(int index, int position, int count) {
    if (cancelled_) return false;
    label_->setText(QString::fromStdString(AviProgressText(index, position, count)));
    bar_->setValue(count > 0 ? qBound(0, position * 100 / count, 100) : 0);
    if (!isVisible()) show();
    QCoreApplication::processEvents();
    return !cancelled_;
}

void AviProgressDialog::reject() {
    // Cancel, Escape and the close box all stop the load after the frame in progress.
    cancelled_ = true;
    QDialog::reject();
}
