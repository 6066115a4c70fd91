#include "effects/ParameterForm.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>

const char* const kNotUsed = "not used";

int ParseDialogInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX) return 0;  // a number the edit cannot hold reads as unreadable
    }
    if (i != text.size()) {
        // Trailing blanks are fine, anything else makes the text unreadable.
        for (; i < text.size(); ++i)
            if (!std::isspace(static_cast<unsigned char>(text[i]))) return 0;
    }
    return int(negative ? -v : v);
}

void ParameterForm::Reset() {
    edits = {};
    checks = {};
    lists = {};
    colourEnabled = false;
    colourUsed = false;
    pingPongEnabled = false;
    description.clear();
    focus = selectedText = FormControl::None;
}

void ParameterForm::SetDescription(const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    description = buffer;
}

ParameterForm::EditSlot* ParameterForm::edit(int slot) {
    return slot >= 1 && slot <= 5 ? &edits[size_t(slot - 1)] : nullptr;
}

ParameterForm::CheckSlot* ParameterForm::check(int slot) {
    return slot >= 1 && slot <= 4 ? &checks[size_t(slot - 1)] : nullptr;
}

void ParameterForm::EnableEdit(int slot, const char* label, const char* text) {
    EditSlot* e = edit(slot);
    if (!e) return;
    e->enabled = true;
    if (label) e->label = label;
    if (text) e->text = text;
}

void ParameterForm::DisableEdit(int slot) {
    if (EditSlot* e = edit(slot)) e->enabled = false;
}

void ParameterForm::SetEditText(int slot, const std::string& text) {
    if (EditSlot* e = edit(slot)) e->text = text;
}

void ParameterForm::EnableCheck(int slot, const char* label, bool checked) {
    if (slot == kPingPongSlot) {
        pingPongEnabled = true;
        pingPong = checked;
        return;
    }
    CheckSlot* c = check(slot);
    if (!c) return;
    c->enabled = true;
    if (label) c->label = label;
    c->checked = checked;
}

void ParameterForm::SetCheckEnabled(int slot, bool enabled) {
    if (slot == kPingPongSlot)
        pingPongEnabled = enabled;
    else if (CheckSlot* c = check(slot))
        c->enabled = enabled;
}

void ParameterForm::AddFirstListLine(const char* line) {
    lists[0].enabled = true;
    lists[0].lines.emplace_back(line);
}

void ParameterForm::AddSecondListLine(const char* line) {
    lists[1].enabled = true;
    lists[1].lines.emplace_back(line);
}

void ParameterForm::SetListLabel(int list, const char* label) {
    if (list >= 1 && list <= 2) lists[size_t(list - 1)].label = label;
}

void ParameterForm::SelectListLine(int list, int line) {
    if (list < 1 || list > 2) return;
    ListSlot& l = lists[size_t(list - 1)];
    if (line >= 0 && line < int(l.lines.size())) l.selection = line;
}

void ParameterForm::EnableColour(bool enabled) {
    colourEnabled = enabled;
    colourUsed = enabled;
}

void ParameterForm::ShowFields(FieldList fields) {
    for (const EffectField& field : fields) {
        switch (field.kind) {
            case FieldKind::Number:
                EnableEdit(field.slot, field.label, std::to_string(field.defaultValue).c_str());
                break;
            case FieldKind::Switch:
                EnableCheck(field.slot, field.label, field.defaultValue != 0);
                break;
            case FieldKind::Choice:
                for (const char* line : field.lines) {
                    if (field.slot == 1)
                        AddFirstListLine(line);
                    else
                        AddSecondListLine(line);
                }
                if (field.label) SetListLabel(field.slot, field.label);
                SelectListLine(field.slot, field.defaultValue);
                break;
            case FieldKind::Colour:
                EnableColour(true);
                break;
        }
    }
}

bool ParameterForm::InRange(const EffectField& field) const {
    const int value = EditValue(field.slot);
    const FieldRange range = RangeOf(field, imageWidth, imageHeight);
    return value >= range.min && value <= range.max;
}

int ParameterForm::EditValue(int slot) const {
    return slot >= 1 && slot <= 5 ? ParseDialogInt(edits[size_t(slot - 1)].text) : 0;
}

int ParameterForm::FrameCount() const {
    return ParseDialogInt(frameCountText);
}

bool ParameterForm::Checked(int slot) const {
    if (slot == kPingPongSlot) return pingPong;
    return slot >= 1 && slot <= 4 && checks[size_t(slot - 1)].checked;
}

int ParameterForm::ListSelection(int list) const {
    return list >= 1 && list <= 2 ? lists[size_t(list - 1)].selection : -1;
}

int ParameterForm::Reject(const std::string& text, FormControl offending, FormControl focusOn,
                          const char* caption) {
    host.message(text, caption, MessageIcon::Exclamation);
    if (focusOn != FormControl::None) focus = focusOn;
    selectedText = offending;
    return 0;
}

Answer ParameterForm::Ask(const std::string& text, const std::string& caption, Buttons buttons) {
    return host.ask(text, caption, buttons, MessageIcon::Question);
}
