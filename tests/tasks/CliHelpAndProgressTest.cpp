// velmora-cli as a person at a terminal meets it: help for one command with an example,
// a suggestion for a mistyped command, and a progress line only on a terminal.
#include <gtest/gtest.h>

#include <string>

#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Both ways of asking for one command's help print its usage and an example.
TEST(CliHelp, OneCommandWithAnExample) {
    for (const std::string command : {"banner", "convert", "dedupe", "effects", "export-all",
                                      "info", "optimize", "unoptimize", "resize"}) {
        for (const std::string& args : {"help " + command, command + " --help", command + " -h"}) {
            SCOPED_TRACE(args);
            const ts::ToolResult r = ts::RunCli(args);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, "");
            const std::string usage = "Usage: velmora-cli " + command;
            EXPECT_EQ(r.out.rfind(usage + (command == "effects" ? "\n" : " "), 0), 0u) << r.out;
            const std::string example = "\nExample:\n  velmora-cli " + command;
            const size_t at = r.out.find(example);
            ASSERT_NE(at, std::string::npos) << r.out;
            EXPECT_NE(std::string(" \n").find(r.out[at + example.size()]), std::string::npos)
                << r.out;
            EXPECT_NE(r.out.find("\nOptions:\n  --help "), std::string::npos) << r.out;
        }
    }
    // --help after other arguments asks for the help too.
    EXPECT_EQ(ts::RunCli("convert in.gif --help").out.rfind("Usage: velmora-cli convert ", 0), 0u);
    // The effect commands keep their own help, which lists the fields.
    EXPECT_NE(ts::RunCli("effect --help").out.find("--blind-height N"), std::string::npos);
}

// The overall help keeps the shape help2man reads: a usage line, then indented options.
TEST(CliHelp, OverallHelpAndVersionKeepTheirShape) {
    const ts::ToolResult help = ts::RunCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: velmora-cli COMMAND [ARGS...]\n", 0), 0u);
    EXPECT_NE(help.out.find("\nOptions:\n  --help "), std::string::npos);
    EXPECT_NE(help.out.find("\n  --quiet "), std::string::npos);
    const ts::ToolResult version = ts::RunCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("velmora-cli ", 0), 0u);
}

// A mistyped command names the nearest one; one far from every command does not.
TEST(CliHelp, MistypedCommandSuggestsTheNearest) {
    const struct {
        const char* typed;
        const char* meant;  // nullptr: no suggestion
    } cases[] = {
        {"conver", "convert"},        {"covnert", "convert"}, {"optimise", "optimize"},
        {"exportall", "export-all"},  {"hlep", "help"},       {"efect", "effect"},
        {"transitoin", "transition"}, {"zzzzzzzz", nullptr},  {"help conver", "convert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const ts::ToolResult r = ts::RunCli(c.typed);
        EXPECT_EQ(r.status, 2);
        const std::string typed = std::string(c.typed).substr(std::string(c.typed).rfind(' ') + 1);
        // The message it always gave, then the usage, then the suggestion.
        EXPECT_EQ(r.err.rfind("velmora-cli: unknown command '" + typed + "'\nUsage: ", 0), 0u)
            << r.err;
        const std::string suggestion =
            c.meant ? "Unknown command '" + typed + "'. Did you mean '" + c.meant + "'?\n"
                    : "Did you mean";
        EXPECT_EQ(r.err.find(suggestion) != std::string::npos, c.meant != nullptr) << r.err;
    }
}

// Runs velmora-cli with its standard error on a pseudo-terminal and returns what that
// terminal received (on standard output of the tool result). The progress line shows at
// once here (VELMORA_PROGRESS_AFTER_MS=0), so that no test waits for a second to pass.
ts::ToolResult RunOnTerminal(const std::string& args) {
    const std::string script =
        "import os, pty, subprocess, sys\n"
        "master, slave = pty.openpty()\n"
        "p = subprocess.Popen(sys.argv[1:], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,\n"
        "                     stderr=slave)\n"
        "os.close(slave)\n"
        "out = b''\n"
        "while True:\n"
        "    try: chunk = os.read(master, 4096)\n"
        "    except OSError: break\n"
        "    if not chunk: break\n"
        "    out += chunk\n"
        "sys.stdout.write(out.decode('latin-1'))\n"
        "sys.exit(p.wait())\n";
    return ts::RunTool("VELMORA_PROGRESS_AFTER_MS=0 python3 -I -c " + ts::ShellQuote(script) + " " +
                       ts::ShellQuote(VELMORA_CLI_PATH) + " " + args);
}

// Loading a clip, reducing its colours and saving: on a terminal one line rewritten in
// place; with --quiet, or when standard error is no terminal, not a byte.
TEST(CliProgress, ALineOnATerminalOnlyAndNotWhenQuiet) {
    const ts::TempFolder folder;
    const std::string clip = ts::MakeVideo(folder, "clip.avi", "testsrc2", 96, 72, 12, 10);
    ASSERT_FALSE(clip.empty());
    const std::string out = folder.file("clip.gif");
    const std::string convert = "convert " + ts::ShellQuote(clip) + " -o " + ts::ShellQuote(out);

    const ts::ToolResult shown = RunOnTerminal(convert);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.rfind("\rLoading Frame ", 0), 0u) << shown.out;
    EXPECT_NE(shown.out.find("\rSaving Img 1/12"), std::string::npos) << shown.out;
    // Rewritten in place: no line ends until the work is done.
    EXPECT_EQ(shown.out.find('\n'), shown.out.size() - 1) << shown.out;

    for (const std::string& quiet : {convert + " --quiet", "--quiet " + convert}) {
        SCOPED_TRACE(quiet);
        const ts::ToolResult silent = RunOnTerminal(quiet);
        EXPECT_EQ(silent.status, 0) << silent.err;
        EXPECT_EQ(silent.out, "");
    }

    // Standard error a pipe: nothing, even with the line asked for at once.
    const ts::ToolResult piped = ts::RunTool("VELMORA_PROGRESS_AFTER_MS=0 " +
                                             ts::ShellQuote(VELMORA_CLI_PATH) + " " + convert);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
}

}  // namespace
