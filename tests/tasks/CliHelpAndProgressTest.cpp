// velmora-cli as a person at a terminal meets it: help for one command with an example,
// a suggestion for a mistyped command, and a progress line only on a terminal.
#include <gtest/gtest.h>

#include <string>

#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Every way of asking for one command's help prints its usage, options and an example.
TEST(CliHelp, OneCommandWithAnExample) {
    for (const std::string command : {"banner", "convert", "dedupe", "effects", "export-all",
                                      "info", "optimize", "unoptimize", "resize"}) {
        for (const std::string& args : {"help " + command, command + " --help", command + " -h"}) {
            SCOPED_TRACE(args);
            const ts::ToolResult r = ts::RunCli(args);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out.rfind("Usage: velmora-cli " + command, 0), 0u) << r.out;
            EXPECT_NE(r.out.find("\nExample:\n  velmora-cli " + command), std::string::npos);
            EXPECT_NE(r.out.find("\nOptions:\n  --help "), std::string::npos) << r.out;
        }
    }
    // The effect commands keep their own help, which lists the fields.
    EXPECT_NE(ts::RunCli("effect --help").out.find("--blind-height N"), std::string::npos);
    // A mistyped command: the message it always gave, the usage, then the nearest command.
    const ts::ToolResult typo = ts::RunCli("help exportall");
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err.rfind("velmora-cli: unknown command 'exportall'\nUsage: ", 0), 0u);
    EXPECT_NE(typo.err.find("'exportall'. Did you mean 'export-all'?\n"), std::string::npos);
    EXPECT_EQ(ts::RunCli("zzzzzzzz").err.find("Did you mean"), std::string::npos);
}

// velmora-cli with standard error on a pseudo-terminal: what it received, as `out`. The
// line shows at once (VELMORA_PROGRESS_AFTER_MS=0): no test waits for a second to pass.
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
