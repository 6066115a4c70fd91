#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "host/Host.h"

// The command-line tool's host: messages go to standard error as "Caption: text",
// questions take their default answer (or the scripted one), and progress is one
// rewritten line on standard error when that is a terminal.
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
    std::atomic<bool> progressShown_{false};
};
