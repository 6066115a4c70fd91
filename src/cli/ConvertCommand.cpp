// velmora-cli convert INPUT... -o OUTPUT: loads the inputs in order into one document and
// saves it by the output's extension.
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "document/AnimationDocument.h"

namespace {

int RunConvert(const std::vector<std::string>& args);

const CliCommand kConvert{"convert", "convert INPUT... -o OUTPUT",
                          "load the inputs one after another and save them as one file",
                          RunConvert};
const CliCommandRegistration registration(kConvert);

int RunConvert(const std::vector<std::string>& args) {
    std::vector<std::string> inputs;
    std::string output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size()) return UsageError(kConvert, "-o needs a file name");
            if (!output.empty()) return UsageError(kConvert, "one output only");
            output = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError(kConvert, "unknown option '" + args[i] + "'");
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (inputs.empty()) return UsageError(kConvert, "missing INPUT");
    if (output.empty()) return UsageError(kConvert, "missing -o OUTPUT");

    CliHost host;
    AnimationDocument doc(host);
    for (const std::string& input : inputs) {
        if (LoadByExtension(doc, input) != 0) {
            host.finishProgress();
            return kExitFailure;
        }
    }
    doc.busy = true;  // no compositions while saving
    const int result = SaveByExtension(doc, output);
    doc.busy = false;
    host.finishProgress();
    return result == 0 ? kExitOk : kExitFailure;
}

}  // namespace
