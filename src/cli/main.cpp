// velmora-cli: the headless batch tool over the Velmora engine.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: velmora-cli COMMAND [ARGS...]\n"
    "\n"
    "Velmora's command-line tool for animated GIF files.\n"
    "\n"
    "Options:\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == "--version") {
        std::printf("velmora-cli %s\n", VELMORA_VERSION);
        return 0;
    }
    std::fprintf(stderr, "velmora-cli: unknown command '%s'\n%s", argv[1], kUsage);
    return 2;
}
