#pragma once

#include <string>

// What the engine needs from a user interface. The editor implements it with message
// boxes and the status bar, the command-line tool with standard error and
// command-line answers, the tests with a recording host.
enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Host {
  public:
    virtual ~Host() = default;

    // A message box: text, caption, icon. Window thread only.
    virtual void message(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // A question; returns the button chosen. Window thread only.
    virtual Answer ask(const std::string& text, const std::string& caption, Buttons buttons,
                       MessageIcon icon) = 0;
    // "The size of the selected image differs from the size of the image(s) already
    // loaded." / "Shall the new image be resized ?": true for "&Ok, Resize", false for
    // "&Cancel Loading".
    virtual bool askResize() = 0;
    // Status bar part 1 and the progress bar (0-100). Called from any thread; must never
    // block (the window thread may be waiting for the very worker that calls it).
    virtual void showProgress(const std::string& text, int position) = 0;
    // Wait cursor on or off. Window thread only.
    virtual void waitCursor(bool on) = 0;
    // A frame's colour reduction has ended and published its results, so that windows
    // showing them can show them again. Called from worker threads; must never block.
    virtual void frameReduced() {}
};

// The wait cursor for a scope: it goes however the scope is left.
class WaitCursor {
  public:
    explicit WaitCursor(Host& host) : host_(host) { host_.waitCursor(true); }
    ~WaitCursor() { host_.waitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    Host& host_;
};

// A host that answers every question with its default and shows nothing.
class SilentHost : public Host {
  public:
    void message(const std::string&, const std::string&, MessageIcon) override {}
    Answer ask(const std::string&, const std::string&, Buttons buttons, MessageIcon) override {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes
                                                                            : Answer::Ok;
    }
    bool askResize() override { return true; }
    void showProgress(const std::string&, int) override {}
    void waitCursor(bool) override {}
};
