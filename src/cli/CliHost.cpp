#include "cli/CliHost.h"

#include <unistd.h>
#include <cstdio>
#include <mutex>

namespace {
std::mutex outputMutex;
}

CliHost::CliHost() : progressOnTerminal_(isatty(STDERR_FILENO) != 0) {}

void CliHost::message(const std::string& text, const std::string& caption, MessageIcon) {
    finishProgress();
    std::lock_guard lock(outputMutex);
    if (caption.empty())
        std::fprintf(stderr, "velmora-cli: %s\n", text.c_str());
    else
        std::fprintf(stderr, "velmora-cli: %s: %s\n", caption.c_str(), text.c_str());
    ++messageCount;
}

Answer CliHost::ask(const std::string& text, const std::string& caption, Buttons buttons,
                    MessageIcon) {
    const Answer answer =
        (buttons == Buttons::Ok || buttons == Buttons::OkCancel)
            ? (defaultAnswer == Answer::Cancel || defaultAnswer == Answer::No ? Answer::Cancel
                                                                              : Answer::Ok)
            : defaultAnswer;
    finishProgress();
    std::lock_guard lock(outputMutex);
    const char* said = answer == Answer::Yes  ? "Yes"
                       : answer == Answer::No ? "No"
                       : answer == Answer::Ok ? "Ok"
                                              : "Cancel";
    std::fprintf(stderr, "velmora-cli: %s: %s -> %s\n", caption.c_str(), text.c_str(), said);
    return answer;
}

void CliHost::showProgress(const std::string& text, int position) {
    if (!progressOnTerminal_) return;
    std::lock_guard lock(outputMutex);
    if (position >= 0)
        std::fprintf(stderr, "\r%-40s %3d%%", text.c_str(), position);
    else
        std::fprintf(stderr, "\r%-40s     ", text.c_str());
    std::fflush(stderr);
    progressShown_ = true;
}

void CliHost::finishProgress() {
    if (!progressShown_.exchange(false)) return;
    std::lock_guard lock(outputMutex);
    std::fputc('\n', stderr);
}
