// velmora-cli convert INPUT... -o OUTPUT: loads the inputs in order into one document and
// saves it by the output's extension.
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "colour/Optimise.h"
#include "colour/OptimisedSave.h"
#include "document/AnimationDocument.h"
#include "gif/LzwEncoder.h"
#include "io/AviImport.h"

namespace {

int RunConvert(const std::vector<std::string>& args);

const CliCommand kConvert{
    "convert",
    "convert INPUT... -o OUTPUT [--avi-first I] [--avi-count N] [--reverse] [--fps F] "
    "[--size WxH] [--optimize 1..5] [--lossy 0..200] [--palette exact|quality] "
    "[--dither 0..100] [--shared-palette]",
    "load the inputs one after another and save them as one file; --shared-palette (with "
    "--palette quality only) lets consecutive video frames that look the same on one palette "
    "share it, which saves a smaller GIF",
    RunConvert,
    "convert clip.mp4 -o clip.gif --fps 15 --size 480x0 --optimize 3\nconvert clip.mp4 -o "
    "clip.gif --palette quality --shared-palette\nconvert anim.gif -o anim.webp"};
const CliCommandRegistration registration(kConvert);

bool ParseNumber(const std::string& text, long long& value) {
    try {
        size_t used = 0;
        value = std::stoll(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

int RunConvert(const std::vector<std::string>& args) {
    RememberedAviChoices() = AviLoadChoices{};
    std::vector<std::string> inputs;
    std::string output;
    int lossy = 0;
    int optimize = 0;  // 0: saved as loaded
    bool sharedPalette = false;
    ReductionOptions reduction;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string wrong;
        if (ParseReductionOption(args, i, reduction, wrong)) {
            if (!wrong.empty()) return UsageError(kConvert, wrong);
        } else if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size()) return UsageError(kConvert, "-o needs a file name");
            if (!output.empty()) return UsageError(kConvert, "one output only");
            output = args[++i];
        } else if (args[i] == "--avi-first" || args[i] == "--avi-count") {
            // Which frames of a video input to take, checked as the Load AVI dialog does.
            long long value = 0;
            if (i + 1 >= args.size() || !ParseNumber(args[i + 1], value))
                return UsageError(kConvert, args[i] + " needs a number");
            AviLoadChoices& avi = RememberedAviChoices();
            avi.loadAll = false;
            (args[i] == "--avi-first" ? avi.firstIndex : avi.count) = value;
            ++i;
        } else if (args[i] == "--lossy") {
            if (i + 1 >= args.size() || !ParseLossy(args[i + 1], lossy))
                return UsageError(kConvert,
                                  "--lossy needs a number 0.." + std::to_string(kMaxLossy));
            ++i;
        } else if (args[i] == "--fps") {
            // Frames per second taken from a video (0: its own rate, up to 50).
            double fps = -1;
            if (i + 1 < args.size()) {
                try {
                    size_t used = 0;
                    fps = std::stod(args[i + 1], &used);
                    if (used != args[i + 1].size()) fps = -1;
                } catch (...) {
                    fps = -1;
                }
            }
            if (!(fps >= 0 && fps <= 1000))
                return UsageError(kConvert, "--fps needs a number 0..1000");
            RememberedAviChoices().framesPerSecond = fps;
            ++i;
        } else if (args[i] == "--size") {
            // The size of a video's frames; 0 for one side keeps the proportions.
            long long w = -1, h = -1;
            const std::string value = i + 1 < args.size() ? args[i + 1] : std::string();
            const size_t x = value.find('x');
            if (x == std::string::npos || !ParseNumber(value.substr(0, x), w) ||
                !ParseNumber(value.substr(x + 1), h) || w < 0 || h < 0 || w > 65535 || h > 65535 ||
                (w == 0 && h == 0))
                return UsageError(kConvert,
                                  "--size needs WxH, 0 for one side keeps the proportions");
            RememberedAviChoices().width = int(w);
            RememberedAviChoices().height = int(h);
            ++i;
        } else if (args[i] == "--optimize") {
            // Saves optimised at that level, as the optimize command does.
            const std::string v = i + 1 < args.size() ? args[i + 1] : std::string();
            if (v.size() != 1 || v[0] < '1' || v[0] > '5')
                return UsageError(kConvert, "--optimize needs a level 1..5");
            optimize = v[0] - '0';
            ++i;
        } else if (args[i] == "--shared-palette") {
            sharedPalette = true;
        } else if (args[i] == "--reverse") {
            RememberedAviChoices().reverse = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError(kConvert, "unknown option '" + args[i] + "'");
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (inputs.empty()) return UsageError(kConvert, "missing INPUT");
    if (output.empty()) return UsageError(kConvert, "missing -o OUTPUT");
    if (optimize != 0 && LowerExtension(output) != ".gif")
        return UsageError(kConvert, "--optimize writes a .gif file");
    bool first = false, count = false;
    for (const std::string& a : args) {
        first = first || a == "--avi-first";
        count = count || a == "--avi-count";
    }
    if (first != count) return UsageError(kConvert, "--avi-first and --avi-count go together");
    // The exact palette is each frame's own colours: there is nothing to share.
    if (sharedPalette && reduction.palette != PaletteKind::Quality)
        return UsageError(kConvert, "--shared-palette goes with --palette quality");

    CliHost host;
    AnimationDocument doc(host);
    // Nothing is shown: compositions are held back for the whole run.
    doc.busy = true;
    doc.settings.lossy = lossy;
    doc.settings.palette = reduction.palette;
    doc.settings.dither = reduction.dither;
    doc.settings.sharedPalette = sharedPalette;
    // A GIF needs nothing but the palettes: frames let their true colour go once reduced,
    // so that a long clip holds only a few frames in true colour.
    if (LowerExtension(output) == ".gif") doc.settings.keepTrueColorInfo = false;
    for (const std::string& input : inputs) {
        if (LoadByExtension(doc, input) != 0) {
            host.finishProgress();
            return kExitFailure;
        }
    }
    if (optimize == 0) {
        const int result = SaveByExtension(doc, output);
        host.finishProgress();
        return result == 0 ? kExitOk : kExitFailure;
    }
    doc.settings.gifCompression = QualityMask(optimize);
    HostOptimiseProgress progress(host);
    const int result = SaveOptimised(doc, output, true, progress);
    host.finishProgress();
    if (result != 0) {
        if (result != -1)
            host.message("while saving animation", "Error...", MessageIcon::Exclamation);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace
