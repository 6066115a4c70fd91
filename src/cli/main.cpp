// velmora-cli: the headless batch tool over the Velmora engine.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "gif/LzwEncoder.h"
#include "host/VersionNotice.h"

namespace {

std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

void PrintUsage(std::FILE* out) {
    std::fputs(
        "Usage: velmora-cli COMMAND [ARGS...]\n\n"
        "Velmora's command-line tool for animated GIF files.\n\nCommands:\n",
        out);
    for (const CliCommand& c : CliCommands()) std::fprintf(out, "  %-60s %s\n", c.usage, c.summary);
    std::fputs(
        "\nOptions:\n"
        "  --help       show this help and exit\n"
        "  --version    show the version and exit\n\n"
        "Exit status: 0 success, 1 failure, 2 usage error.\n",
        out);
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
    return Registry();
}

CliCommandRegistration::CliCommandRegistration(const CliCommand& command) {
    Registry().push_back(command);
}

int UsageError(const CliCommand& command, const std::string& text) {
    std::fprintf(stderr, "velmora-cli: %s\nUsage: velmora-cli %s\n", text.c_str(), command.usage);
    return kExitUsage;
}

namespace {
// A whole number 0..limit of at most three digits.
bool ParseSmallNumber(const std::string& text, int limit, int& out) {
    if (text.empty() || text.size() > 3) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > limit) return false;
    out = value;
    return true;
}
}  // namespace

bool ParseLossy(const std::string& text, int& lossy) {
    return ParseSmallNumber(text, kMaxLossy, lossy);
}

bool ParseReductionOption(const std::vector<std::string>& args, size_t& i,
                          ReductionOptions& options, std::string& error) {
    const std::string& name = args[i];
    if (name != "--palette" && name != "--dither") return false;
    const std::string value = i + 1 < args.size() ? args[i + 1] : std::string();
    if (name == "--palette") {
        if (value == "exact")
            options.palette = PaletteKind::Exact;
        else if (value == "quality")
            options.palette = PaletteKind::Quality;
        else
            error = "--palette is exact or quality";
    } else if (!ParseSmallNumber(value, 100, options.dither)) {
        error = "--dither needs a number 0..100";
    }
    i += 1;
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    if (first == "--version") {
        std::fputs(version_notice::VersionText("velmora-cli").c_str(), stdout);
        return kExitOk;
    }
    for (const CliCommand& c : CliCommands()) {
        if (first == c.name) return c.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "velmora-cli: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return kExitUsage;
}
