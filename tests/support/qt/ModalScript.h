#pragma once

// Acts on the modal windows a command opens, and finds the help window.
#include <QApplication>
#include <QTextBrowser>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace dialog_testing {

// Runs `act` on the first modal window of type T that opens; the timer that waits for it
// deletes itself once it has run.
template <typename T>
QTimer* WhenModal(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer->stop();
        timer->deleteLater();
        act(*dialog);
    });
    timer->start();
    return timer;
}

// The help window's page browser while it is shown, else nullptr.
inline QTextBrowser* ShownHelp() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* b = w->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
        if (b && w->isVisible()) return b;
    }
    return nullptr;
}

// The page the help window shows, "" when none is open.
inline QString HelpPage() {
    QTextBrowser* b = ShownHelp();
    return b ? b->source().toString() : QString();
}

}  // namespace dialog_testing
