// velmora-cli optimize INPUT -o OUTPUT [--quality 1..5] [--lossy 0..200] and velmora-cli unoptimize
// INPUT -o OUTPUT: the Optimize and UnOptimize Images commands followed by a save.
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "colour/Optimise.h"
#include "colour/OptimisedSave.h"
#include "colour/UnOptimise.h"
#include "document/AnimationDocument.h"
#include "gif/LzwEncoder.h"

namespace {

int RunOptimize(const std::vector<std::string>& args);
int RunUnoptimize(const std::vector<std::string>& args);

const CliCommand kOptimize{
    "optimize", "optimize INPUT -o OUTPUT [--quality 1..5] [--lossy 0..200]",
    "crop frames to their changes and share one palette (1 Highest Quality .. 5 Smallest Size, "
    "default 3); --lossy lets colours stray for a smaller file (default 0, lossless)",
    RunOptimize, "optimize anim.gif -o small.gif --quality 4 --lossy 40"};
const CliCommand kUnoptimize{"unoptimize", "unoptimize INPUT -o OUTPUT",
                             "make every frame full-screen and opaque again", RunUnoptimize,
                             "unoptimize small.gif -o whole.gif"};
const CliCommandRegistration optimizeRegistration(kOptimize);
const CliCommandRegistration unoptimizeRegistration(kUnoptimize);

struct Arguments {
    std::string input, output;
    int quality = kDefaultQualityLevel;
    int lossy = 0;
};

// Parses INPUT -o OUTPUT and, when allowed, --quality N. Returns 0 or a usage error.
int Parse(const CliCommand& command, const std::vector<std::string>& args, bool takesQuality,
          Arguments& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return UsageError(command, "-o needs a file name");
            if (!out.output.empty()) return UsageError(command, "one output only");
            out.output = args[++i];
        } else if (takesQuality && (a == "--quality" || a == "-q")) {
            if (i + 1 >= args.size()) return UsageError(command, "--quality needs a level 1..5");
            const std::string& v = args[++i];
            if (v.size() != 1 || v[0] < '1' || v[0] > '5') {
                return UsageError(command, "--quality must be 1..5, not '" + v + "'");
            }
            out.quality = v[0] - '0';
        } else if (takesQuality && a == "--lossy") {
            if (i + 1 >= args.size() || !ParseLossy(args[i + 1], out.lossy)) {
                return UsageError(command,
                                  "--lossy needs a number 0.." + std::to_string(kMaxLossy));
            }
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError(command, "unknown option '" + a + "'");
        } else {
            if (!out.input.empty()) return UsageError(command, "one input only");
            out.input = a;
        }
    }
    if (out.input.empty()) return UsageError(command, "missing INPUT");
    if (out.output.empty()) return UsageError(command, "missing -o OUTPUT");
    if (LowerExtension(out.output) != ".gif") {
        return UsageError(command, "OUTPUT must be a .gif file");
    }
    return kExitOk;
}

int RunOptimize(const std::vector<std::string>& args) {
    Arguments a;
    if (const int status = Parse(kOptimize, args, true, a); status != kExitOk) return status;
    CliHost host;
    AnimationDocument doc(host);
    if (LoadByExtension(doc, a.input) != 0) {
        host.finishProgress();
        return kExitFailure;
    }
    doc.settings.gifCompression = QualityMask(a.quality);
    doc.settings.lossy = a.lossy;
    HostOptimiseProgress progress(host);
    doc.busy = true;  // no compositions while saving
    const int result = SaveOptimised(doc, a.output, true, progress);
    doc.busy = false;
    host.finishProgress();
    if (result != 0) {
        if (result != -1)
            host.message("while saving animation", "Error...", MessageIcon::Exclamation);
        return kExitFailure;
    }
    return kExitOk;
}

int RunUnoptimize(const std::vector<std::string>& args) {
    Arguments a;
    if (const int status = Parse(kUnoptimize, args, false, a); status != kExitOk) return status;
    CliHost host;
    AnimationDocument doc(host);
    if (LoadByExtension(doc, a.input) != 0) {
        host.finishProgress();
        return kExitFailure;
    }
    doc.busy = true;
    if (UnOptimise(doc, true) != 0) {
        doc.busy = false;
        host.finishProgress();
        host.message("Not enough memory to unoptimize", "Error", MessageIcon::Exclamation);
        return kExitFailure;
    }
    const int result = SaveByExtension(doc, a.output);
    doc.busy = false;
    host.finishProgress();
    return result == 0 ? kExitOk : kExitFailure;
}

}  // namespace
