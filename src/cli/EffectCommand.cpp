// velmora-cli effects / effect / transition: lists the registry and applies one entry
// through the same parameter form and checks as the editor's dialog. Parameters go by
// slot (--value1) or by the entry's field names (--blind-height).
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "document/AnimationDocument.h"
#include "effects/Apply.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"

namespace {

int RunList(const std::vector<std::string>& args);
int RunEffect(const std::vector<std::string>& args);
int RunTransition(const std::vector<std::string>& args);

const CliCommand kList{"effects", "effects",
                       "list the effects (E) and transitions (T) by index, with their fields",
                       RunList, "effects"};
const CliCommand kEffect{
    "effect",
    "effect [--name] NAME INPUT -o OUTPUT [--frame K] [--frames N] [--FIELD V]... "
    "[--value1..5 V] [--option1..4 0|1] [--list1 I] [--list2 I] [--color INDEX] [--pingpong] "
    "[--palette exact|quality] [--dither 0..100]",
    "insert the frames of an effect on frame K after it (--help: the fields)", RunEffect,
    "effect Blind in.gif -o out.gif --blind-height 12"};
const CliCommand kTransition{
    "transition",
    "transition [--name] NAME INPUT -o OUTPUT [--frame K] [--frames N] [--FIELD V]... "
    "[--value1..5 V] [--option1..4 0|1] [--list1 I] [--list2 I] [--color INDEX] [--pingpong] "
    "[--palette exact|quality] [--dither 0..100]",
    "insert the frames of a transition between frame K and K+1 (--help: the fields)", RunTransition,
    "transition 'Move both Images' in.gif -o out.gif --frame 0"};
const CliCommandRegistration listRegistration(kList);
const CliCommandRegistration effectRegistration(kEffect);
const CliCommandRegistration transitionRegistration(kTransition);

// The numbered spelling of the slot a field fills.
std::string SlotFlag(const EffectField& field) {
    switch (field.kind) {
        case FieldKind::Number:
            return "--value" + std::to_string(field.slot);
        case FieldKind::Switch:
            return "--option" + std::to_string(field.slot);
        case FieldKind::Choice:
            return "--list" + std::to_string(field.slot);
        case FieldKind::Colour:
            break;
    }
    return "--color";
}

const char* ValueWord(FieldKind kind) {
    switch (kind) {
        case FieldKind::Number:
            return "N";
        case FieldKind::Switch:
            return "0|1";
        case FieldKind::Choice:
            return "LINE";
        case FieldKind::Colour:
            break;
    }
    return "INDEX";
}

// "0-7 or a line's text" and the like: what a field accepts.
std::string Accepted(const EffectField& field) {
    switch (field.kind) {
        case FieldKind::Number:
            if (field.min == kNoLowerLimit && field.max == kNoUpperLimit) return "any whole number";
            return "a whole number " + DescribeRange(field);
        case FieldKind::Switch:
            return "0 or 1";
        case FieldKind::Choice:
            return DescribeRange(field) + " or a line's text";
        case FieldKind::Colour:
            break;
    }
    return "a palette index " + DescribeRange(field);
}

void PrintFields(const RegistryEntry& entry) {
    for (const EffectField& field : entry.fields) {
        const std::string flag = std::string("--") + field.name + " " + ValueWord(field.kind);
        const std::string slot =
            field.kind == FieldKind::Colour ? std::string() : " (" + SlotFlag(field) + ")";
        std::printf("    %-26s %s: %s, default %d%s\n", flag.c_str(),
                    field.label ? field.label : "unlabelled list", Accepted(field).c_str(),
                    field.defaultValue, slot.c_str());
        for (size_t line = 0; line < field.lines.size(); ++line)
            std::printf("    %-26s   %zu %s\n", "", line, field.lines[line]);
    }
}

void PrintEntries(bool effect) {
    const int count = effect ? kEffectCount : kTransitionCount;
    for (int i = 0; i < count; ++i) {
        const RegistryEntry& entry = *FindEntry(effect, i);
        std::printf("%c%d %s\n", effect ? 'E' : 'T', i, entry.name);
        PrintFields(entry);
    }
}

int RunList(const std::vector<std::string>& args) {
    if (!args.empty()) return UsageError(kList, "no arguments expected");
    PrintEntries(true);
    PrintEntries(false);
    return kExitOk;
}

int PrintHelp(const CliCommand& command, bool effect) {
    std::printf("Usage: velmora-cli %s\n\n", command.usage);
    std::printf(
        "Each %s takes its fields by name, as listed below, or by slot\n"
        "(--value1..5, --option1..4, --list1, --list2, --color).\n\n",
        effect ? "effect" : "transition");
    PrintEntries(effect);
    return kExitOk;
}

struct NamedFlag {
    std::string flag;  // as given, "--blind-height"
    std::optional<std::string> value;
};

struct EffectOptions {
    std::string name, input, output;
    ReductionOptions reduction;
    int frame = 0;
    std::optional<std::string> frames;
    std::optional<std::string> value[5];
    std::optional<bool> option[4];
    std::optional<int> list[2];
    std::optional<int> colour;
    bool pingPong = false;
    bool help = false;
    std::vector<NamedFlag> named;
    // What set each value slot: its flag, and the field whose range the value must keep
    // when it was set by name.
    std::string valueFlag[5];
    const EffectField* valueField[5] = {};
};

bool ParseInt(const std::string& text, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < -1000000000L || v > 1000000000L) return false;
    out = int(v);
    return true;
}

// Parses the arguments; an empty string on success, else the usage problem.
std::string Parse(const std::vector<std::string>& args, EffectOptions& o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        int n = 0;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--name") {
            if (!next(o.name)) return "--name needs an effect or transition name";
        } else if (a == "-o" || a == "--output") {
            if (!next(o.output)) return a + " needs a file name";
        } else if (a == "--frame") {
            if (!next(v) || !ParseInt(v, o.frame) || o.frame < 0)
                return "--frame needs a frame number from 0";
        } else if (a == "--frames") {
            if (!next(v)) return "--frames needs a number";
            o.frames = v;  // checked by the form, with the dialog's message
        } else if (a.rfind("--value", 0) == 0 && a.size() == 8 && a[7] >= '1' && a[7] <= '5') {
            if (!next(v)) return a + " needs a value";
            o.value[a[7] - '1'] = v;
            o.valueFlag[a[7] - '1'] = a;
        } else if (a.rfind("--option", 0) == 0 && a.size() == 9 && a[8] >= '1' && a[8] <= '4') {
            if (!next(v) || (v != "0" && v != "1")) return a + " needs 0 or 1";
            o.option[a[8] - '1'] = v == "1";
        } else if (a == "--list1" || a == "--list2") {
            if (!next(v) || !ParseInt(v, n) || n < 0) return a + " needs a line number from 0";
            o.list[a[6] - '1'] = n;
        } else if (a == "--color" || a == "--colour") {
            if (!next(v) || !ParseInt(v, n) || n < 0 || n > 255)
                return a + " needs a palette index 0-255";
            o.colour = n;
        } else if (a == "--pingpong") {
            o.pingPong = true;
        } else if (std::string wrong; ParseReductionOption(args, i, o.reduction, wrong)) {
            if (!wrong.empty()) return wrong;
        } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
            // A field of the entry, known once the entry is.
            NamedFlag flag{a, std::nullopt};
            if (i + 1 < args.size()) flag.value = args[++i];
            o.named.push_back(std::move(flag));
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option '" + a + "'";
        } else {
            positional.push_back(a);
        }
    }
    if (o.help) return {};
    const size_t expected = o.name.empty() ? 2 : 1;
    if (positional.size() != expected)
        return o.name.empty() ? "expected NAME and INPUT" : "expected INPUT";
    if (o.name.empty()) o.name = positional[0];
    o.input = positional.back();
    if (o.output.empty()) return "missing -o OUTPUT";
    return {};
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string FieldNames(const RegistryEntry& entry) {
    std::string names;
    for (const EffectField& field : entry.fields)
        names += (names.empty() ? "--" : ", --") + std::string(field.name);
    return names;
}

// A whole number an edit can hold.
bool ParseWhole(const std::string& text, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || v < kNoLowerLimit || v > kNoUpperLimit) return false;
    out = int(v);
    return true;
}

// Puts the named flags into the slots they stand for; an empty string on success, else
// the usage problem.
std::string ResolveNamed(const RegistryEntry& entry, const char* kind, EffectOptions& o) {
    for (const NamedFlag& named : o.named) {
        const EffectField* field = FindField(entry.fields, std::string_view(named.flag).substr(2));
        if (!field) {
            const std::string names = FieldNames(entry);
            return "unknown option '" + named.flag + "' for " + kind + " '" + entry.name + "' (" +
                   (names.empty() ? std::string("it has no named fields")
                                  : "its fields: " + names) +
                   ")";
        }
        const std::string accepted = named.flag + " needs " + Accepted(*field);
        if (!named.value) return accepted;
        const std::string& text = *named.value;
        int n = 0;
        switch (field->kind) {
            case FieldKind::Number: {
                if (!ParseWhole(text, n)) return accepted;
                const size_t v = size_t(field->slot - 1);
                if (o.value[v] && o.valueFlag[v] != named.flag)
                    return named.flag + " and " + o.valueFlag[v] + " set the same field";
                o.value[v] = std::to_string(n);
                o.valueFlag[v] = named.flag;
                o.valueField[v] = field;
                break;
            }
            case FieldKind::Switch:
                if (text != "0" && text != "1") return accepted;
                o.option[field->slot - 1] = text == "1";
                break;
            case FieldKind::Choice: {
                n = -1;
                for (size_t line = 0; line < field->lines.size(); ++line)
                    if (Lower(field->lines[line]) == Lower(text)) n = int(line);
                if (n < 0 && (!ParseWhole(text, n) || n < field->min || n > field->max))
                    return accepted;
                o.list[field->slot - 1] = n;
                break;
            }
            case FieldKind::Colour:
                if (!ParseWhole(text, n) || n < field->min || n > field->max) return accepted;
                o.colour = n;
                break;
        }
    }
    return {};
}

// A value given by name outside its field's range on this picture; empty when none.
std::string OutOfRange(const EffectOptions& o, const ParameterForm& form) {
    for (size_t v = 0; v < 5; ++v) {
        const EffectField* field = o.valueField[v];
        if (!field || !o.value[v]) continue;
        const FieldRange range = RangeOf(*field, form.imageWidth, form.imageHeight);
        const int n = ParseDialogInt(*o.value[v]);
        if (n >= range.min && n <= range.max) continue;
        std::string text =
            o.valueFlag[v] + " " + *o.value[v] + " is out of range: " + DescribeRange(*field);
        if (field->upper != UpperLimit::Fixed)
            text += " (" + std::to_string(range.min) + "-" + std::to_string(range.max) +
                    " on this picture)";
        return text;
    }
    return {};
}

// Sets the controls from the options in the order a user would: entry, lists (which
// may change defaults), options, values, colour, frames, PingPong; then OK.
bool FillDialog(EffectSelection& dialog, const EffectOptions& o, bool effect, int index,
                std::string& problem) {
    if (effect) {
        dialog.ChooseEffectMode();
        dialog.SelectEffect(index);
    } else {
        if (!dialog.ChooseTransitionMode()) return false;
        dialog.SelectTransition(index);
    }
    ParameterForm& form = dialog.form;
    for (int l = 0; l < 2; ++l) {
        if (!o.list[l]) continue;
        if (!dialog.ListChanged(l + 1, *o.list[l])) {
            problem = "--list" + std::to_string(l + 1) + " " + std::to_string(*o.list[l]) +
                      ": this entry has no such list line";
            return false;
        }
    }
    for (int c = 0; c < 4; ++c) {
        if (!o.option[c]) continue;
        if (!dialog.OptionClicked(c + 1, *o.option[c])) {
            problem = "--option" + std::to_string(c + 1) + ": not used by this entry";
            return false;
        }
    }
    for (int v = 0; v < 5; ++v) {
        if (!o.value[v]) continue;
        if (!form.edits[size_t(v)].enabled) {
            problem = o.valueFlag[v] + ": not used by this entry with these settings";
            return false;
        }
        form.SetEditText(v + 1, *o.value[v]);
    }
    problem = OutOfRange(o, form);
    if (!problem.empty()) return false;
    if (o.colour && !dialog.ChooseColour(*o.colour)) {
        problem = "--color: this entry uses no colour";
        return false;
    }
    if (o.frames) {
        form.frameCountText = *o.frames;
        if (!dialog.AcceptFrameCount()) return false;
    }
    if (o.pingPong) {
        if (!form.pingPongEnabled) {
            problem = "--pingpong: not offered by this entry";
            return false;
        }
        if (!dialog.PingPongClicked(true)) return false;
    }
    return dialog.Ok();
}

int RunApply(const CliCommand& command, const std::vector<std::string>& args, bool effect) {
    EffectOptions o;
    const std::string usage = Parse(args, o);
    if (!usage.empty()) return UsageError(command, usage);
    if (o.help) return PrintHelp(command, effect);
    const char* kind = effect ? "effect" : "transition";
    const int index = FindEntryByName(effect, o.name);
    if (index < 0) {
        return UsageError(command, std::string("unknown ") + kind + " '" + o.name +
                                       "' (see velmora-cli effects)");
    }
    const std::string named = ResolveNamed(*FindEntry(effect, index), kind, o);
    if (!named.empty()) return UsageError(command, named);

    CliHost host;
    AnimationDocument doc(host);
    doc.settings.palette = o.reduction.palette;
    doc.settings.dither = o.reduction.dither;
    if (LoadByExtension(doc, o.input) != 0) {
        host.finishProgress();
        return kExitFailure;
    }
    FrameRecord* frame = doc.firstFrame;
    for (int i = 0; i < o.frame && frame; ++i) frame = frame->next;
    if (!frame) {
        std::fprintf(stderr, "velmora-cli: %s has no frame %d\n", o.input.c_str(), o.frame);
        return kExitFailure;
    }
    doc.selectedFrame = frame;
    doc.selectedItem = doc.EntryOfFrame(frame);

    EffectSession session;
    std::string problem;
    const EffectDialogRunner dialog = [&](EffectSession& s) {
        EffectSelection selection(host, s);
        selection.Open(doc.selectedFrame);
        return FillDialog(selection, o, effect, index, problem);
    };
    ApplyResult result;
    if (effect) {
        result = RunEffectCommand(doc, session, dialog);
    } else {
        result = RunTransitionCommand(doc, session, dialog);
        if (result == ApplyResult::Refused && host.messageCount == 0) {
            std::fprintf(stderr,
                         "velmora-cli: frame %d has no successor of the same place and size\n",
                         o.frame);
            return kExitFailure;
        }
    }
    if (!problem.empty()) return UsageError(command, problem);
    if (result != ApplyResult::Inserted) {
        host.finishProgress();
        return kExitFailure;
    }
    doc.busy = true;  // no compositions while saving
    const int saved = SaveByExtension(doc, o.output);
    doc.busy = false;
    host.finishProgress();
    return saved == 0 ? kExitOk : kExitFailure;
}

int RunEffect(const std::vector<std::string>& args) {
    return RunApply(kEffect, args, true);
}
int RunTransition(const std::vector<std::string>& args) {
    return RunApply(kTransition, args, false);
}

}  // namespace
