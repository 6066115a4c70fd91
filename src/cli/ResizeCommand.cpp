// velmora-cli resize INPUT -o OUTPUT --size WxH [--smooth 0|1]: the Resize command of the
// editor (every frame and the logical screen, all or nothing) followed by a save.
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"

namespace {

int RunResize(const std::vector<std::string>& args);

const CliCommand kResize{
    "resize", "resize INPUT -o OUTPUT --size WxH [--smooth 0|1]",
    "resize every frame for a new screen size (smooth by default; 0: nearest pixel)", RunResize,
    "resize anim.gif -o small.gif --size 160x120"};
const CliCommandRegistration registration(kResize);

// The largest side the Resize dialog accepts.
constexpr int kMaxSide = 65535;

// "WxH" with both sides 1..65535.
bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    const auto side = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 5) return false;
        for (const char c : digits)
            if (c < '0' || c > '9') return false;
        value = std::stoi(digits);
        return value >= 1 && value <= kMaxSide;
    };
    return side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}

int RunResize(const std::vector<std::string>& args) {
    std::string input, output;
    int width = 0, height = 0;
    bool smooth = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return UsageError(kResize, "-o needs a file name");
            if (!output.empty()) return UsageError(kResize, "one output only");
            output = args[++i];
        } else if (a == "--size") {
            if (i + 1 >= args.size() || !ParseSize(args[i + 1], width, height))
                return UsageError(kResize, "--size needs WxH, each side 1..65535");
            ++i;
        } else if (a == "--smooth") {
            if (i + 1 >= args.size() || (args[i + 1] != "0" && args[i + 1] != "1"))
                return UsageError(kResize, "--smooth needs 0 or 1");
            smooth = args[++i] == "1";
        } else if (!a.empty() && a[0] == '-') {
            return UsageError(kResize, "unknown option '" + a + "'");
        } else {
            if (!input.empty()) return UsageError(kResize, "one input only");
            input = a;
        }
    }
    if (input.empty()) return UsageError(kResize, "missing INPUT");
    if (output.empty()) return UsageError(kResize, "missing -o OUTPUT");
    if (width == 0) return UsageError(kResize, "missing --size WxH");

    CliHost host;
    AnimationDocument doc(host);
    // Nothing is shown: compositions are held back for the whole run.
    doc.busy = true;
    if (LoadByExtension(doc, input) != 0) {
        host.finishProgress();
        return kExitFailure;
    }
    if (doc.empty() || ResizeAnimation(doc, width, height, smooth) != 0) {
        host.finishProgress();
        host.message("Couldn't resize the image(s)", "Error", MessageIcon::Exclamation);
        return kExitFailure;
    }
    const int result = SaveByExtension(doc, output);
    host.finishProgress();
    return result == 0 ? kExitOk : kExitFailure;
}

}  // namespace
