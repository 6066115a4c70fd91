// velmora-cli: the headless batch tool over the Velmora engine.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliHost.h"
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
        "  --version    show the version and exit\n"
        "  --quiet      show no progress line (it shows on a terminal once work takes over a "
        "second)\n\n"
        "'velmora-cli help COMMAND' or 'velmora-cli COMMAND --help' shows one command with an "
        "example.\n\n"
        "Exit status: 0 success, 1 failure, 2 usage error.\n",
        out);
}

// The number of single-character insertions, deletions and substitutions that turn
// `a` into `b`.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The command nearest to a mistyped one, when it is near enough to be meant (at most two
// edits, or a third of the name for long names); nullptr otherwise.
const char* NearestCommand(const std::string& typed) {
    const char* best = nullptr;
    size_t bestDistance = 0;
    std::vector<const char*> names{"help"};
    for (const CliCommand& c : CliCommands()) names.push_back(c.name);
    for (const char* name : names) {
        const size_t d = EditDistance(typed, name);
        if (d <= std::max<size_t>(2, std::string(name).size() / 3) && (!best || d < bestDistance)) {
            best = name;
            bestDistance = d;
        }
    }
    return best;
}

const CliCommand* FindCommand(const std::string& name) {
    for (const CliCommand& c : CliCommands())
        if (name == c.name) return &c;
    return nullptr;
}

// Commands that print help of their own for --help.
bool HasOwnHelp(const CliCommand& command) {
    return std::string(command.name) == "effect" || std::string(command.name) == "transition";
}

int UnknownCommand(const std::string& typed) {
    std::fprintf(stderr, "velmora-cli: unknown command '%s'\n", typed.c_str());
    PrintUsage(stderr);
    // Last, where the terminal shows it.
    if (const char* nearest = NearestCommand(typed))
        std::fprintf(stderr, "\nUnknown command '%s'. Did you mean '%s'?\n", typed.c_str(),
                     nearest);
    return kExitUsage;
}

}  // namespace

void PrintCommandHelp(const CliCommand& command) {
    std::printf("Usage: velmora-cli %s\n\n%s.\n", command.usage, command.summary);
    if (command.example && *command.example) {
        std::printf("\nExample:\n");
        const std::string lines = command.example;
        size_t from = 0;
        while (from <= lines.size()) {
            const size_t end = std::min(lines.find('\n', from), lines.size());
            std::printf("  velmora-cli %s\n", lines.substr(from, end - from).c_str());
            from = end + 1;
        }
    }
    std::printf(
        "\nOptions:\n"
        "  --help       show this help and exit\n"
        "  --quiet      show no progress line\n");
}

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
    // --quiet goes with any command, before or after it.
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--quiet")
            CliProgressOptions().quiet = true;
        else
            words.emplace_back(argv[i]);
    }
    if (words.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string first = words[0];
    if (first == "help" && words.size() > 1) {
        const CliCommand* command = FindCommand(words[1]);
        if (!command) return UnknownCommand(words[1]);
        PrintCommandHelp(*command);
        return kExitOk;
    }
    if (first == "--help" || first == "-h" || first == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    if (first == "--version") {
        std::fputs(version_notice::VersionText("velmora-cli").c_str(), stdout);
        return kExitOk;
    }
    const CliCommand* command = FindCommand(first);
    if (!command) return UnknownCommand(first);
    const std::vector<std::string> args(words.begin() + 1, words.end());
    if (!HasOwnHelp(*command) && std::any_of(args.begin(), args.end(), [](const std::string& a) {
            return a == "--help" || a == "-h";
        })) {
        PrintCommandHelp(*command);
        return kExitOk;
    }
    return command->run(args);
}
