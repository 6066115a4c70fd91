// velmora-cli export-all INPUT PATTERN [--jpeg] [--quality Q] [--indicator C]: writes every
// frame of INPUT to its own file named from PATTERN and the frame's number.
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "document/AnimationDocument.h"
#include "io/ExportAll.h"

namespace {

int RunExportAll(const std::vector<std::string>& args);

const CliCommand kExportAll{
    "export-all", "export-all INPUT PATTERN [--jpeg] [--quality Q] [--indicator C]",
    "write every frame as its own GIF (or JPEG), numbered into PATTERN (anim.gif -> anim0.gif ...)",
    RunExportAll, "export-all anim.gif frame.jpg --jpeg --quality 85"};
const CliCommandRegistration registration(kExportAll);

int RunExportAll(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    bool jpeg = false;
    int quality = -1;
    std::string indicator;
    bool advanced = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--jpeg") {
            jpeg = true;
        } else if (args[i] == "--quality") {
            if (i + 1 >= args.size()) return UsageError(kExportAll, "--quality needs a number");
            try {
                size_t used = 0;
                quality = std::stoi(args[i + 1], &used);
                if (used != args[i + 1].size()) throw 0;
            } catch (...) {
                return UsageError(kExportAll, "--quality needs a number");
            }
            if (quality < 0 || quality > 100)
                return UsageError(kExportAll, "--quality must be 0-100");
            ++i;
        } else if (args[i] == "--indicator") {
            if (i + 1 >= args.size())
                return UsageError(kExportAll, "--indicator needs a character");
            indicator = args[++i];
            advanced = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError(kExportAll, "unknown option '" + args[i] + "'");
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) return UsageError(kExportAll, "needs INPUT and PATTERN");

    CliHost host;
    // A frame that cannot be written ends the export.
    host.defaultAnswer = Answer::No;
    AnimationDocument doc(host);
    if (LoadByExtension(doc, positional[0]) != 0) {
        host.finishProgress();
        return kExitFailure;
    }
    if (quality >= 0) doc.settings.jpegCompression = quality;
    const std::string& pattern = positional[1];
    if (advanced) {
        const std::string problem =
            ValidateExportIndicator(pattern, indicator, ExportDigits(doc.countFrames()));
        if (!problem.empty()) {
            host.message(problem, "Problems with Indicator", MessageIcon::Exclamation);
            host.finishProgress();
            return kExitFailure;
        }
    }
    const int result = ExportAllImages(doc, {pattern, advanced ? indicator[0] : char(0), jpeg});
    host.finishProgress();
    return result == 0 ? kExitOk : kExitFailure;
}

}  // namespace
