#pragma once

#include <atomic>
#include <mutex>
#include <string>

class Host;

// Notification codes that loaders, renderers, reduction jobs and the writer send.
enum NotifyCode : int {
    kNotifyNothing = 0,
    kNotifyFrameComputed = 2,      // one computed frame; the answer 0 would ask to stop
    kNotifyAcceptResult = 3,       // may the generated chain be kept?
    kNotifyFrameReduced = 7,       // one colour reduction ended
    kNotifyBatchStarts = 8,        // a = 0 reduction, 1 generation, 2 saving; b = count
    kNotifyShowCurrent = 9,        // show the calculation or reduction counter
    kNotifyFrameSaved = 10,        // one frame written
    kNotifyReductionDropped = 11,  // a frame with a pending reduction was destroyed
    kNotifyReset = 12,             // everything back to idle
};

enum BatchKind : int { kBatchReduction = 0, kBatchGeneration = 1, kBatchSaving = 2 };

// The progress reporter behind status bar part 1 and the progress bar. It keeps three
// counters (calculation, colour reduction, saving). Any thread may call Notify; the
// counters are guarded here, and the display goes to Host::showProgress, which never
// blocks.
class DocumentNotifier {
  public:
    explicit DocumentNotifier(Host& host, const std::atomic<int>& quietCount)
        : host_(host), quiet_(quietCount) {}

    // Always returns 1 (go on).
    int Notify(int code, int a = 0, int b = 0);

    struct Counter {
        int done = 0;
        int total = 0;
    };
    struct Snapshot {
        Counter calculation, reduction, saving;
    };
    Snapshot snapshot() const;

  private:
    struct Display {
        bool show = false;
        std::string text;
        int position = -1;  // -1: leave the progress bar as it is
    };
    Display StepCounter(Counter& c, const char* format);
    static Display Show(const Counter& c, const char* format);

    Host& host_;
    const std::atomic<int>& quiet_;
    mutable std::mutex mutex_;
    Counter calculation_, reduction_, saving_;
};

extern const char* const kIdleText;  // "Idle"
