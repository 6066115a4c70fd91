#include "shell/QtHost.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressBar>

#include "dialogs/ResizeQuestionDialog.h"

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

}  // namespace

void QtHost::attach(QWidget* window, QLabel* statusText, QProgressBar* progress) {
    window_ = window;
    statusText_ = statusText;
    progress_ = progress;
}

void QtHost::detach() {
    statusText_ = nullptr;
    progress_ = nullptr;
    window_ = nullptr;
}

void QtHost::message(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(ToQt(icon), Latin1(caption), Latin1(text), QMessageBox::Ok, window_);
    box.exec();
}

Answer QtHost::ask(const std::string& text, const std::string& caption, Buttons buttons,
                   MessageIcon icon) {
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    switch (buttons) {
        case Buttons::Ok:
            qtButtons = QMessageBox::Ok;
            break;
        case Buttons::OkCancel:
            qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case Buttons::YesNo:
            qtButtons = QMessageBox::Yes | QMessageBox::No;
            break;
        case Buttons::YesNoCancel:
            qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
    }
    QMessageBox box(ToQt(icon), Latin1(caption), Latin1(text), qtButtons, window_);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            return Answer::Cancel;
    }
}

bool QtHost::askResize() {
    return ResizeQuestionDialog::Ask(window_);
}

void QtHost::showProgress(const std::string& text, int position) {
    // Queued, so a worker thread never waits for the window thread.
    QLabel* label = statusText_.load();
    QProgressBar* bar = progress_.load();
    if (!label) return;
    const QString t = Latin1(text);
    // The label is the context object: should it go first, the call is dropped.
    QMetaObject::invokeMethod(
        label,
        [label, bar, t, position] {
            label->setText(t);
            label->repaint();
            if (bar && position >= 0) bar->setValue(position);
        },
        Qt::QueuedConnection);
}

void QtHost::waitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtHost::setFrameReducedHandler(std::function<void()> handler) {
    frameReduced_ = std::move(handler);
}

void QtHost::frameReduced() {
    // Queued like the progress display; the status label is the context, so nothing runs
    // once the window is gone.
    QLabel* label = statusText_.load();
    if (!label || !frameReduced_) return;
    QMetaObject::invokeMethod(label, frameReduced_, Qt::QueuedConnection);
}
