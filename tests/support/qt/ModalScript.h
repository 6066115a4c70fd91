#pragma once

// Drives the modal windows that a command opens one after the other: each step is
// offered the active modal window until it takes it.
#include <QApplication>
#include <QTextBrowser>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

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

class ModalScript {
  public:
    // A step answers true when it has dealt with the window (the next step follows),
    // false to be offered the next window state again. A step must not block: what opens
    // a window of its own (an OK that may ask) is queued.
    using Step = std::function<bool(QWidget&)>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    // Steps not yet done.
    size_t left() const { return steps_.size() - next_; }

    // A step for a window of type T; `act` returns whether it is done with it.
    template <typename T>
    static Step On(std::function<bool(T&)> act) {
        return [act](QWidget& w) {
            auto* t = qobject_cast<T*>(&w);
            return t && act(*t);
        };
    }

  private:
    void Poll() {
        if (next_ >= steps_.size()) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (steps_[next_](*modal)) ++next_;
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

}  // namespace dialog_testing
