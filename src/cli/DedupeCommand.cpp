// velmora-cli dedupe INPUT -o OUTPUT [--threshold T]: removes frames that repeat the
// picture before them, their time going to the frame kept.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "colour/RemoveDuplicates.h"
#include "document/AnimationDocument.h"

namespace {

int RunDedupe(const std::vector<std::string>& args);

const CliCommand kDedupe{
    "dedupe", "dedupe INPUT -o OUTPUT [--threshold T]",
    "remove frames whose picture differs from the one kept before by at most T (mean "
    "difference per channel, 0-255; default 0, identical); their delay goes to it",
    RunDedupe, "dedupe anim.gif -o fewer.gif --threshold 2"};
const CliCommandRegistration registration(kDedupe);

bool ParseThreshold(const std::string& text, double& value) {
    try {
        size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size() && value >= 0 && value <= 255;
    } catch (...) {
        return false;
    }
}

int RunDedupe(const std::vector<std::string>& args) {
    std::string input, output;
    double threshold = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return UsageError(kDedupe, "-o needs a file name");
            if (!output.empty()) return UsageError(kDedupe, "one output only");
            output = args[++i];
        } else if (a == "--threshold") {
            if (i + 1 >= args.size() || !ParseThreshold(args[i + 1], threshold))
                return UsageError(kDedupe, "--threshold needs a number 0..255");
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError(kDedupe, "unknown option '" + a + "'");
        } else {
            if (!input.empty()) return UsageError(kDedupe, "one input only");
            input = a;
        }
    }
    if (input.empty()) return UsageError(kDedupe, "missing INPUT");
    if (output.empty()) return UsageError(kDedupe, "missing -o OUTPUT");

    CliHost host;
    AnimationDocument doc(host);
    doc.busy = true;  // nothing is shown
    if (LoadByExtension(doc, input) != 0) {
        host.finishProgress();
        return kExitFailure;
    }
    const int removed = RemoveDuplicateFrames(doc, threshold);
    const int result = SaveByExtension(doc, output);
    host.finishProgress();
    if (result != 0) return kExitFailure;
    std::printf("%d frame%s removed\n", removed, removed == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace
