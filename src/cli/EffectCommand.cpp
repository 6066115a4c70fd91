// velmora-cli effects / effect / transition: lists the registry and applies one entry
// through the same parameter form and checks as the editor's dialog.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
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

const CliCommand kList{"effects", "effects", "list the effects (E) and transitions (T) by index",
                       RunList};
const CliCommand kEffect{"effect",
                         "effect NAME INPUT -o OUTPUT [--frame K] [--frames N] [--value1..5 V] "
                         "[--option1..4 0|1] [--list1 I] [--list2 I] [--color INDEX] [--pingpong]",
                         "insert the frames of an effect on frame K after it", RunEffect};
const CliCommand kTransition{
    "transition",
    "transition NAME INPUT -o OUTPUT [--frame K] [--frames N] [--value1..5 V] "
    "[--option1..4 0|1] [--list1 I] [--list2 I] [--color INDEX] [--pingpong]",
    "insert the frames of a transition between frame K and K+1", RunTransition};
const CliCommandRegistration listRegistration(kList);
const CliCommandRegistration effectRegistration(kEffect);
const CliCommandRegistration transitionRegistration(kTransition);

int RunList(const std::vector<std::string>& args) {
    if (!args.empty()) return UsageError(kList, "no arguments expected");
    for (int i = 0; i < kEffectCount; ++i)
        std::printf("E%d %s\n", i, EffectTable()[size_t(i)].name);
    for (int i = 0; i < kTransitionCount; ++i)
        std::printf("T%d %s\n", i, TransitionTable()[size_t(i)].name);
    return kExitOk;
}

struct EffectOptions {
    std::string name, input, output;
    int frame = 0;
    std::optional<std::string> frames;
    std::optional<std::string> value[5];
    std::optional<bool> option[4];
    std::optional<int> list[2];
    std::optional<int> colour;
    bool pingPong = false;
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
        if (a == "-o" || a == "--output") {
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
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option '" + a + "'";
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return "expected NAME and INPUT";
    o.name = positional[0];
    o.input = positional[1];
    if (o.output.empty()) return "missing -o OUTPUT";
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
            problem = "--value" + std::to_string(v + 1) + ": not used by this entry";
            return false;
        }
        form.SetEditText(v + 1, *o.value[v]);
    }
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
    const int index = FindEntryByName(effect, o.name);
    if (index < 0) {
        return UsageError(command, std::string("unknown ") + (effect ? "effect" : "transition") +
                                       " '" + o.name + "' (see velmora-cli effects)");
    }

    CliHost host;
    AnimationDocument doc(host);
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
