#pragma once

#include <climits>
#include <span>
#include <string>
#include <string_view>

// The parameters an effect or transition offers, declared once per entry: the dialog's
// form is configured from them and velmora-cli accepts them by name ("--blind-height").

enum class FieldKind {
    Number,  // edit slot 1-5, fills value[slot - 1]
    Switch,  // option box 1-4, fills option[slot - 1]
    Choice,  // list 1 (direction) or 2 (secondList); the value is the line index
    Colour,  // the colour box, fills colorIndex
};

// Where the upper end of a number's range comes from.
enum class UpperLimit {
    Fixed,              // `max`
    PictureHeight,      // the selected frame's height
    HalfPictureWidth,   // half the selected frame's width, rounded down
    BelowPictureWidth,  // the selected frame's width less one
};

constexpr int kNoLowerLimit = -INT_MAX;  // the least number an edit reads
constexpr int kNoUpperLimit = INT_MAX;

using ChoiceLines = std::span<const char* const>;

struct EffectField {
    const char* name;   // command-line spelling: lowercase words joined by hyphens
    const char* label;  // the control's text; none leaves a list unlabelled
    FieldKind kind;
    int slot;
    int defaultValue;  // number, 0/1 of a switch, line of a choice
    int min = 0;
    int max = 0;
    UpperLimit upper = UpperLimit::Fixed;
    ChoiceLines lines = {};
};

using FieldList = std::span<const EffectField>;

constexpr EffectField NumberField(const char* name, const char* label, int slot, int defaultValue,
                                  int min = kNoLowerLimit, int max = kNoUpperLimit,
                                  UpperLimit upper = UpperLimit::Fixed) {
    return {name, label, FieldKind::Number, slot, defaultValue, min, max, upper};
}
constexpr EffectField SwitchField(const char* name, const char* label, int slot, bool on) {
    return {name, label, FieldKind::Switch, slot, on ? 1 : 0, 0, 1};
}
constexpr EffectField ChoiceField(const char* name, const char* label, int list,
                                  ChoiceLines lines) {
    return {name, label, FieldKind::Choice, list, 0, 0, int(lines.size()) - 1, UpperLimit::Fixed,
            lines};
}
// The colour box: a palette index of the selected frame; the dialog starts at 0.
constexpr EffectField kColourField{"color", "Color", FieldKind::Colour, 0, 0, 0, 255};

struct FieldRange {
    int min;
    int max;
};
// The range of `field` on a picture of the given size.
FieldRange RangeOf(const EffectField& field, int pictureWidth, int pictureHeight);
// "0-100", "from 0", "any", "1 to the picture height", ...
std::string DescribeRange(const EffectField& field);

// The field named `name` (exactly) or none.
const EffectField* FindField(FieldList fields, std::string_view name);
