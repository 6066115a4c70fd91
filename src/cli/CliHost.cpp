#include "cli/CliHost.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {
std::mutex outputMutex;
}

ProgressOptions& CliProgressOptions() {
    static ProgressOptions options = [] {
        ProgressOptions o;
        if (const char* after = std::getenv("VELMORA_PROGRESS_AFTER_MS")) {
            char* end = nullptr;
            const long ms = std::strtol(after, &end, 10);
            if (end != after && *end == '\0' && ms >= 0 && ms <= 3600000) o.afterMs = int(ms);
        }
        return o;
    }();
    return options;
}

CliHost::CliHost()
    : progressOnTerminal_(!CliProgressOptions().quiet && isatty(STDERR_FILENO) != 0),
      started_(std::chrono::steady_clock::now()),
      showAfter_(CliProgressOptions().afterMs) {}

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
    // Quick work shows no line at all.
    if (std::chrono::steady_clock::now() - started_ < showAfter_) return;
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
