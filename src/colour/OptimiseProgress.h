#pragma once

#include <atomic>
#include <string>

class Host;

// What the optimiser needs from whatever shows its progress: the editor's "Optimizing
// Images ..." dialog, the command-line tool's progress line, a test. The optimiser runs
// on the window thread and calls these between frames.
class OptimiseProgress {
  public:
    virtual ~OptimiseProgress() = default;
    // New label text ("Optimizing Rects", "Optimizing Palette", "Final Run").
    virtual void SetLabel(const std::string& text) = 0;
    // Position of the bar, 0-100.
    virtual void SetPosition(int position) = 0;
    // Lets the dialog handle its pending events (the Abort button among them).
    virtual void ProcessEvents() = 0;
    // True once the user asked to stop.
    virtual bool Aborted() const = 0;
    // The run has ended (the dialog closes).
    virtual void Close() {}
};

// Progress through the host's status line; never aborts unless told to. Used by the
// command-line tool and wherever no dialog is shown.
class HostOptimiseProgress : public OptimiseProgress {
  public:
    explicit HostOptimiseProgress(Host& host) : host_(host) {}
    void SetLabel(const std::string& text) override;
    void SetPosition(int position) override;
    void ProcessEvents() override {}
    bool Aborted() const override { return abort.load(); }
    void Close() override;

    std::atomic<bool> abort{false};

  private:
    Host& host_;
    std::string label_ = "Optimizing";
};
