#pragma once

#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>

#include "host/Host.h"

class QWidget;
class QLabel;
class QProgressBar;

// The editor's host: message boxes over the main window, status bar part 1 and the
// progress bar. showProgress may come from worker threads; it is queued to the window
// thread and never waits.
class QtHost : public Host {
  public:
    QtHost() = default;
    // The widgets live until detach(), which comes after every frame job has stopped.
    void attach(QWidget* window, QLabel* statusText, QProgressBar* progress);
    void detach();

    void message(const std::string& text, const std::string& caption, MessageIcon icon) override;
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons,
               MessageIcon icon) override;
    bool askResize() override;
    void showProgress(const std::string& text, int position) override;
    void waitCursor(bool on) override;
    void frameReduced() override;
    // What frameReduced runs on the window thread. Set before any frame job starts.
    void setFrameReducedHandler(std::function<void()> handler);

  private:
    QPointer<QWidget> window_;
    std::atomic<QLabel*> statusText_{nullptr};
    std::atomic<QProgressBar*> progress_{nullptr};
    std::function<void()> frameReduced_;
};
