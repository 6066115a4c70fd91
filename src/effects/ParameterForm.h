#pragma once

#include <array>
#include <string>
#include <vector>

#include "effects/EffectFields.h"
#include "host/Host.h"

// Controls of the parameter area that a handler can send the focus to.
enum class FormControl { None, FrameCount, Edit1, Edit2, Edit3, Edit4, Edit5 };

// Setup handler modes.
enum SetupMode : int {
    kSetupConfigure = 0,      // label, fill and enable the controls the entry uses
    kSetupValidate = 1,       // check the values; 0 rejects
    kSetupListChanged = 2,    // one of the two lists changed
    kSetupOptionClicked = 3,  // one of the four option boxes was clicked
    kSetupLeave = 4,          // the entry is left (mode switch or Cancel)
};

constexpr int kPingPongSlot = 999;  // check slot number of the PingPong box
extern const char* const kNotUsed;  // "not used"

// The generic parameter area of the effect dialog, without any window: five labelled
// number fields, four option boxes, two drop-down lists, the colour box, the PingPong
// box, the description and the "Number of Frames" edit. The setup handlers configure
// and validate this form; the Qt dialog mirrors it in widgets and the command-line
// tool fills it from its options, so defaults and messages are the same in both.
class ParameterForm {
  public:
    explicit ParameterForm(Host& host) : host(host) {}

    struct EditSlot {
        std::string label = kNotUsed;
        std::string text;
        bool enabled = false;
    };
    struct CheckSlot {
        std::string label = kNotUsed;
        bool checked = false;
        bool enabled = false;
    };
    struct ListSlot {
        std::string label = kNotUsed;
        std::vector<std::string> lines;
        int selection = -1;
        bool enabled = false;
    };

    Host& host;

    std::array<EditSlot, 5> edits;
    std::array<CheckSlot, 4> checks;
    std::array<ListSlot, 2> lists;
    bool colourEnabled = false;  // colour label and box
    bool colourUsed = false;     // the box is painted and clickable
    bool pingPongEnabled = false;
    bool pingPong = false;
    std::string description;
    std::string frameCountText = "10";

    // What the handlers may consult: the selected frame's size and the mode shown.
    int imageWidth = 0;
    int imageHeight = 0;
    bool transitionMode = false;

    // Where a rejection left the focus and which edit's text it selected.
    FormControl focus = FormControl::None;
    FormControl selectedText = FormControl::None;

    // Before every configuration: every control unused, disabled and empty.
    void Reset();

    // Slot operations of the handlers. Slots count from 1; check slot 999 is PingPong.
    void SetDescription(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void EnableEdit(int slot, const char* label = nullptr, const char* text = nullptr);
    void DisableEdit(int slot);
    void SetEditText(int slot, const std::string& text);
    void EnableCheck(int slot, const char* label, bool checked);
    void SetCheckEnabled(int slot, bool enabled);
    void AddFirstListLine(const char* line);
    void AddSecondListLine(const char* line);
    void SetListLabel(int list, const char* label);
    void SelectListLine(int list, int line);
    void EnableColour(bool enabled);
    // Enables and labels the controls of `fields` with their defaults; lists select line 0.
    void ShowFields(FieldList fields);

    // Whether the number in `field`'s edit lies in its range for the picture shown.
    bool InRange(const EffectField& field) const;

    // Values as the dialog reads them: a signed decimal number, 0 when unreadable.
    int EditValue(int slot) const;
    int FrameCount() const;
    bool Checked(int slot) const;
    int ListSelection(int list) const;

    // Shows a rejection, selects the whole text of `offending` and moves the focus to
    // `focusOn` (None leaves it). Returns 0.
    int Reject(const std::string& text, FormControl offending, FormControl focusOn,
               const char* caption = "Parameter out of Range");
    Answer Ask(const std::string& text, const std::string& caption, Buttons buttons);

    static FormControl EditControl(int slot) {
        return FormControl(int(FormControl::Edit1) + slot - 1);
    }

  private:
    EditSlot* edit(int slot);
    CheckSlot* check(int slot);
};

// A signed decimal number as a dialog edit reads it; 0 when the text holds none.
int ParseDialogInt(const std::string& text);
