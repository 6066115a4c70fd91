// velmora-cli banner: a line of text as a scrolling banner animation, drawn with the same
// generator, defaults and range checks as the editor's banner dialog.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "banner/BannerGenerator.h"
#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliHost.h"
#include "document/AnimationDocument.h"
#include "textcanvas/QtTextCanvas.h"

namespace {

int RunBanner(const std::vector<std::string>& args);

const CliCommand kBanner{
    "banner",
    "banner TEXT -o OUTPUT [--frames N] [--width W] [--height H] [--font FAMILY] "
    "[--size PIXELS] [--bold 0|1] [--text-color RRGGBB] [--background RRGGBB] "
    "[--shadow-color RRGGBB] [--shadow 0|1] [--shadow-x X] [--shadow-y Y] [--thickness T] "
    "[--intensity I] [--border 0|1] [--y-offset Y]",
    "write a scrolling text animation", RunBanner,
    "banner 'Hello there' -o hello.gif --frames 40 --width 200 --height 40"};
const CliCommandRegistration bannerRegistration(kBanner);

bool ParseInt(const std::string& text, int32_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < -1000000000L || v > 1000000000L) return false;
    out = int32_t(v);
    return true;
}

bool ParseColour(std::string text, uint32_t& out) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6) return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0') return false;
    out = uint32_t(v);
    return true;
}

// Fills the settings from the arguments; an empty string on success, else the problem.
std::string Parse(const std::vector<std::string>& args, BannerSettings& s, std::string& output) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" || a == "--output") {
            if (!hasValue) return a + " needs a file name";
            output = args[++i];
            continue;
        }
        struct IntOption {
            const char* name;
            int32_t* field;
            bool flag;  // 0 or 1 only
        };
        const IntOption ints[] = {
            {"--frames", &s.frames, false},        {"--width", &s.width, false},
            {"--height", &s.height, false},        {"--size", &s.font.height, false},
            {"--shadow", &s.shadowEnabled, true},  {"--shadow-x", &s.shadowX, false},
            {"--shadow-y", &s.shadowY, false},     {"--thickness", &s.thickness, false},
            {"--intensity", &s.intensity, false},  {"--border", &s.border, true},
            {"--y-offset", &s.textYOffset, false},
        };
        bool matched = false;
        for (const IntOption& o : ints) {
            if (a != o.name) continue;
            matched = true;
            int32_t value = 0;
            if (!hasValue || !ParseInt(args[i + 1], value))
                return a + (o.flag ? " needs 0 or 1" : " needs a number");
            if (o.flag && value != 0 && value != 1) return a + " needs 0 or 1";
            *o.field = value;
            ++i;
        }
        if (matched) continue;
        if (a == "--bold") {
            if (!hasValue || (args[i + 1] != "0" && args[i + 1] != "1")) return a + " needs 0 or 1";
            s.font.weight = args[++i] == "1" ? 700 : 400;
        } else if (a == "--font") {
            if (!hasValue) return a + " needs a family name";
            s.font.faceName = args[++i];
        } else if (a == "--text-color" || a == "--background" || a == "--shadow-color") {
            uint32_t* target = a == "--text-color"   ? &s.textColour
                               : a == "--background" ? &s.backgroundColour
                                                     : &s.shadowColour;
            if (!hasValue || !ParseColour(args[i + 1], *target))
                return a + " needs a colour RRGGBB";
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option '" + a + "'";
        } else {
            positional.push_back(a);
        }
    }
    // The dialog's slider cannot leave 0 ... 100.
    if (s.intensity < 0 || s.intensity > 100) return "--intensity needs a value from 0 to 100";
    if (positional.size() != 1) return "expected one TEXT";
    s.text = positional[0];
    if (s.text.size() > size_t(kMaxBannerTextLength)) s.text.resize(size_t(kMaxBannerTextLength));
    if (output.empty()) return "missing -o OUTPUT";
    return {};
}

int RunBanner(const std::vector<std::string>& args) {
    BannerBlock block;
    std::string output;
    const std::string problem = Parse(args, block.settings, output);
    if (!problem.empty()) return UsageError(kBanner, problem);

    CliHost host;
    BannerSettings& s = block.settings;
    if (s.font.height != ClampFontHeight(s.font.height)) {
        host.message("--size must be in the range from -400 to 400", "Information",
                     MessageIcon::Information);
        return kExitFailure;
    }
    if (s.text.empty() && block.checkEmptyText &&
        host.ask(kNoBannerTextQuestion, kNoBannerTextCaption, Buttons::YesNo,
                 MessageIcon::Question) != Answer::Yes)
        return kExitFailure;
    // The dialog would keep the user at a value out of range; here that ends the run.
    std::string message;
    if (CheckBannerRanges(s, message)) {
        host.message(message, "Information", MessageIcon::Information);
        return kExitFailure;
    }
    block.valid = 1;
    block.confirmed = 1;

    // Text needs Qt's font machinery, which needs an application object; no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velmora-cli";
    static char* argv[] = {name, nullptr};
    // Qt's own chatter (a missing runtime folder and the like) is not ours to report.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "velmora-cli: %s\n", text.toLocal8Bit().constData());
    });
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);

    AnimationDocument doc(host);
    QtTextCanvas canvas;
    FrameRecord* chain = GenerateBanner(canvas, doc, block);
    if (!chain) {
        host.message(".. creating banner text", "Error ..", MessageIcon::Exclamation);
        return kExitFailure;
    }
    InsertBanner(doc, chain);
    doc.busy = true;  // no compositions while saving
    const int saved = SaveByExtension(doc, output);
    doc.busy = false;
    host.finishProgress();
    return saved == 0 ? kExitOk : kExitFailure;
}

}  // namespace
