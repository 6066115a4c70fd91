#include "document/DocumentNotifier.h"

#include <cstdio>

#include "host/Host.h"

const char* const kIdleText = "Idle";

namespace {
constexpr const char* kCalculationFormat = "Calculating Img %d/%d";
constexpr const char* kReductionFormat = "Thread ColorReducing Img %d/%d";
constexpr const char* kSavingFormat = "Saving Img %d/%d";
}  // namespace

DocumentNotifier::Display DocumentNotifier::Show(const Counter& c, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, c.done, c.total);
    Display d;
    d.show = true;
    d.text = text;
    d.position = c.total > 0 ? int(double(c.done) / double(c.total) * 100.0 + 0.5) : 0;
    return d;
}

DocumentNotifier::Display DocumentNotifier::StepCounter(Counter& c, const char* format) {
    if (c.total > 0) c.done += 1;
    if (c.total > 0 && c.done >= c.total) {
        const bool single = c.total == 1;
        c = Counter{};
        if (single) return {};  // a batch of one finishes silently
        return Display{true, kIdleText, 0};
    }
    if (c.total <= 0) return {};
    return Show(c, format);
}

int DocumentNotifier::Notify(int code, int a, int b) {
    Display d;
    {
        std::lock_guard lock(mutex_);
        switch (code) {
            case kNotifyNothing:
            case kNotifyAcceptResult:
                return 1;
            case kNotifyFrameComputed:
                d = StepCounter(calculation_, kCalculationFormat);
                break;
            case kNotifyFrameReduced:
                d = StepCounter(reduction_, kReductionFormat);
                break;
            case kNotifyFrameSaved:
                d = StepCounter(saving_, kSavingFormat);
                break;
            case kNotifyBatchStarts:
                if (b > 0) {
                    if (a == kBatchReduction)
                        reduction_.total += b;
                    else if (a == kBatchGeneration)
                        calculation_.total += b;
                    else if (a == kBatchSaving)
                        saving_.total += b;
                }
                return 1;
            case kNotifyShowCurrent:
                if (calculation_.total > 0)
                    d = Show(calculation_, kCalculationFormat);
                else if (reduction_.total > 0)
                    d = Show(reduction_, kReductionFormat);
                break;
            case kNotifyReductionDropped:
                if (reduction_.total > 0) reduction_.total -= 1;
                if (reduction_.total <= 1) {
                    // Nothing worth showing is left: start afresh.
                    reduction_ = Counter{};
                    d = Display{true, kIdleText, 0};
                } else if (reduction_.total <= reduction_.done) {
                    reduction_ = Counter{};
                    d = Display{true, kIdleText, -1};
                } else {
                    if (reduction_.done < 1) reduction_.done = 1;
                    d = Show(reduction_, kReductionFormat);
                }
                break;
            case kNotifyReset:
                calculation_ = reduction_ = saving_ = Counter{};
                d = Display{true, kIdleText, 0};
                break;
            default:
                d = Display{true, kIdleText, -1};
                break;
        }
        // Shown under the lock, so that the displays come in the order of the counts: a
        // thread that counted earlier cannot overwrite the final "Idle" with an older text.
        // Host::showProgress never blocks.
        if (d.show && quiet_.load() == 0) host_.showProgress(d.text, d.position);
    }
    return 1;
}

DocumentNotifier::Snapshot DocumentNotifier::snapshot() const {
    std::lock_guard lock(mutex_);
    return Snapshot{calculation_, reduction_, saving_};
}
