#pragma once

#include <string>
#include <vector>

#include "host/EngineSettings.h"

// A subcommand of velmora-cli. Each command lives in its own file and registers itself
// with a static CliCommandRegistration.
struct CliCommand {
    const char* name;
    const char* usage;    // one line: "info FILE [--json]"
    const char* summary;  // one line of help
    // args excludes the program and command names. Returns the exit status: 0 success,
    // 1 failure (message on standard error), 2 usage error.
    int (*run)(const std::vector<std::string>& args);
    // One command line that shows the command at work, for its help.
    const char* example = nullptr;
};

const std::vector<CliCommand>& CliCommands();

struct CliCommandRegistration {
    explicit CliCommandRegistration(const CliCommand& command);
};

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints one command's help to standard output: its usage, what it does and an example.
void PrintCommandHelp(const CliCommand& command);

// Prints "velmora-cli: <text>" and the command's usage to standard error; returns 2.
int UsageError(const CliCommand& command, const std::string& text);

// Parses the value of --lossy: a whole number 0..kMaxLossy. False when it is not one.
bool ParseLossy(const std::string& text, int& lossy);

// How the commands that turn true colour into palettes do it: --palette exact|quality and
// --dither 0..100 (the quality palette's dithering).
struct ReductionOptions {
    PaletteKind palette = PaletteKind::Exact;
    int dither = 100;
};
// When args[i] is one of those options, reads it with its value (i moves onto the value)
// and returns true; `error` is then set when the value is wrong.
bool ParseReductionOption(const std::vector<std::string>& args, size_t& i,
                          ReductionOptions& options, std::string& error);
