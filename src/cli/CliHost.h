#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "host/Host.h"

// How the progress line behaves for the whole run: --quiet turns it off; it shows only
// once work has taken `afterMs` milliseconds (a second; the environment variable
// VELMORA_PROGRESS_AFTER_MS changes that), so that quick commands print nothing.
struct ProgressOptions {
    bool quiet = false;
    int afterMs = 1000;
};
ProgressOptions& CliProgressOptions();

// The command-line tool's host: messages go to standard error as "Caption: text",
// questions take their default answer (or the scripted one), and progress is one
// rewritten line on standard error when that is a terminal (see ProgressOptions).
class CliHost : public Host {
  public:
    CliHost();
    void message(const std::string& text, const std::string& caption, MessageIcon icon) override;
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons,
               MessageIcon icon) override;
    bool askResize() override { return resizeAnswer; }
    void showProgress(const std::string& text, int position) override;
    void waitCursor(bool) override {}
    // Ends a progress line that is still on screen.
    void finishProgress();

    bool resizeAnswer = true;
    // Answer to every Yes/No question; Cancel when unset and the buttons offer it.
    Answer defaultAnswer = Answer::Yes;
    // Number of messages shown, so that commands can tell whether the engine reported.
    std::atomic<int> messageCount{0};

  private:
    bool progressOnTerminal_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::milliseconds showAfter_;
    std::atomic<bool> progressShown_{false};
};
