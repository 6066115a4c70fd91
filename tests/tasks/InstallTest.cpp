// Velmora installed as users and distributions install it: `cmake --install` of this
// build into a prefix of its own (directly, and staged under DESTDIR), and the Debian
// package that `cpack -G DEB` makes, unpacked by dpkg-deb. The installed files are checked
// by the desktop's own validators and the installed programs are run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "import/FileImport.h"
#include "support/UserTask.h"

namespace ts = testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kAppId = VELMORA_APP_ID;
const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = ts::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs a command and fails the test when it does not succeed.
ts::ToolResult MustRun(const std::string& command) {
    const ts::ToolResult r = ts::RunTool(command);
    EXPECT_EQ(r.status, 0) << command << "\n" << r.out << r.err;
    return r;
}

// A PNG's width and height, from its header chunk; {0, 0} when it is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
    const std::vector<uint8_t> b = ts::ReadBytes(path);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (b.size() < 24 || !std::equal(std::begin(signature), std::end(signature), b.begin()))
        return {0, 0};
    const auto be32 = [&](size_t at) {
        return int(b[at]) << 24 | int(b[at + 1]) << 16 | int(b[at + 2]) << 8 | int(b[at + 3]);
    };
    return {be32(16), be32(20)};
}

// What the build-tree velmora-cli says to --version: the installed one must say the same.
std::string BuiltVersion() {
    return ts::RunCli("--version").out;
}

// The shared MIME database's type for files with this extension ("" when it has none).
std::string MimeTypeOfExtension(const std::string& extension) {
    std::string lower;
    for (const char c : extension) lower += char(std::tolower(static_cast<unsigned char>(c)));
    std::istringstream globs(Text("/usr/share/mime/globs2"));
    for (std::string line; std::getline(globs, line);) {
        // weight:type:pattern
        const size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        if (line.substr(second + 1) == "*." + lower)
            return line.substr(first + 1, second - first - 1);
    }
    return {};
}

// Checks an installed tree under `root` (the prefix as it lands on disk) and runs its
// programs.
void CheckInstalledTree(const std::string& root) {
    const std::string share = root + "/share";
    EXPECT_TRUE(fs::exists(root + "/bin/velmora-cli"));
    const ts::ToolResult version =
        MustRun(ts::ShellQuote(root + "/bin/velmora-cli") + " --version");
    EXPECT_EQ(version.out, BuiltVersion());
    EXPECT_EQ(version.out.rfind(std::string("velmora-cli ") + VELMORA_VERSION + "\n", 0), 0u)
        << version.out;
    EXPECT_TRUE(fs::exists(share + "/man/man1/velmora-cli.1.gz"));
    const std::string cliPage =
        MustRun("zcat " + ts::ShellQuote(share + "/man/man1/velmora-cli.1.gz")).out;
    // Written from the program's help, with the sections it cannot give.
    for (const char* part : {".TH VELMORA-CLI \"1\"", "\\-\\-version", ".SH \"EXIT STATUS\"",
                             "globalPalette", "localPalette", "transparent", ".SH FILES"})
        EXPECT_NE(cliPage.find(part), std::string::npos) << part;
    EXPECT_TRUE(fs::exists(share + "/doc/velmora/LICENSE"));
#ifdef VELMORA_INSTALLS_EDITOR
    EXPECT_TRUE(fs::exists(root + "/bin/velmora"));
    const ts::ToolResult editorVersion = MustRun(
        "QT_QPA_PLATFORM=offscreen " + ts::ShellQuote(root + "/bin/velmora") + " --version");
    EXPECT_NE(editorVersion.out.find(VELMORA_VERSION), std::string::npos) << editorVersion.out;
    EXPECT_NE(
        MustRun("zcat " + ts::ShellQuote(share + "/man/man1/velmora.1.gz")).out.find(".TH VELMORA"),
        std::string::npos);

    const std::string desktop = share + "/applications/" + kAppId + ".desktop";
    ASSERT_TRUE(fs::exists(desktop));
    MustRun("desktop-file-validate " + ts::ShellQuote(desktop));
    const std::string entry = Text(desktop);
    EXPECT_NE(entry.find("\nExec=velmora %F\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=" + kAppId + "\n"), std::string::npos) << entry;

    const std::string metainfo = share + "/metainfo/" + kAppId + ".metainfo.xml";
    ASSERT_TRUE(fs::exists(metainfo));
    MustRun("appstreamcli validate --no-net " + ts::ShellQuote(metainfo));
    const std::string component = Text(metainfo);
    EXPECT_NE(component.find("<project_license>GPL-3.0-or-later</project_license>"),
              std::string::npos);
    EXPECT_NE(component.find("<launchable type=\"desktop-id\">" + kAppId + ".desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(component.find(std::string("<release version=\"") + VELMORA_VERSION + "\""),
              std::string::npos)
        << "the metadata lists no release " << VELMORA_VERSION;

    const std::string icons = share + "/icons/hicolor/";
    for (const int size : kIconSizes) {
        const std::string side = std::to_string(size);
        SCOPED_TRACE(side + " px icon");
        EXPECT_EQ(PngSize(icons + side + "x" + side + "/apps/" + kAppId + ".png"),
                  std::make_pair(size, size));
    }
    EXPECT_NE(Text(icons + "scalable/apps/" + kAppId + ".svg").find("<svg"), std::string::npos);
#endif
}

TEST(InstallTest, CmakeInstallLaysOutTheProgramsAndTheDesktopFilesUnderThePrefix) {
    const ts::TempFolder folder;
    struct Layout {
        const char* label;
        std::string command;  // after "cmake --install BUILD"
        std::string root;     // where the prefix lands
    };
    const Layout layouts[] = {
        {"prefix", "--prefix " + ts::ShellQuote(folder.file("home/.local")),
         folder.file("home/.local")},
        {"DESTDIR", "--prefix /usr", folder.file("stage/usr")},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.label);
        std::string command = ts::ShellQuote(VELMORA_CMAKE) + " --install " +
                              ts::ShellQuote(VELMORA_BUILD_DIR) + " " + layout.command;
        if (std::string(layout.label) == "DESTDIR")
            command = "DESTDIR=" + ts::ShellQuote(folder.file("stage")) + " " + command;
        MustRun(command);
        CheckInstalledTree(layout.root);
    }
    // Nothing went to the prefix the build was configured with.
    EXPECT_FALSE(fs::exists(folder.file("stage/usr/local")));
}

#ifdef VELMORA_INSTALLS_EDITOR
// Every type the editor opens is offered to it by the desktop: its MIME type (as the shared
// MIME database names the extension) is in the desktop entry.
TEST(InstallTest, TheDesktopEntryClaimsEveryTypeTheEditorOpens) {
    const ts::TempFolder folder;
    MustRun(ts::ShellQuote(VELMORA_CMAKE) + " --install " + ts::ShellQuote(VELMORA_BUILD_DIR) +
            " --prefix " + ts::ShellQuote(folder.path()));
    const std::string entry = Text(folder.file("share/applications/" + kAppId + ".desktop"));
    const size_t at = entry.find("\nMimeType=");
    ASSERT_NE(at, std::string::npos);
    std::set<std::string> claimed;
    std::istringstream list(entry.substr(at + 10, entry.find('\n', at + 1) - at - 10));
    for (std::string type; std::getline(list, type, ';');) claimed.insert(type);
    for (const FileType& type : FileTypes()) {
        for (const std::string& extension : type.extensions) {
            SCOPED_TRACE(extension);
            const std::string mime = MimeTypeOfExtension(extension);
            ASSERT_FALSE(mime.empty()) << "the MIME database knows no *." << extension;
            EXPECT_EQ(claimed.count(mime), 1u) << mime;
        }
    }
}
#endif

// The Debian package: section, maintainer and the libraries it needs declared, and
// unpacked, programs that run.
TEST(InstallTest, TheDebianPackageDeclaresItsDependenciesAndItsProgramsRun) {
    const ts::TempFolder folder;
    MustRun("cd " + ts::ShellQuote(VELMORA_BUILD_DIR) + " && " + ts::ShellQuote(VELMORA_CPACK) +
            " -G DEB -B " + ts::ShellQuote(folder.file("out")));
    std::string arch = MustRun("dpkg --print-architecture").out;
    arch.erase(arch.find_last_not_of('\n') + 1);
    const std::string package =
        folder.file(std::string("out/velmora_") + VELMORA_VERSION + "_" + arch + ".deb");
    ASSERT_TRUE(fs::exists(package)) << package;
    const auto field = [&](const char* name) {
        std::string value = MustRun("dpkg-deb -f " + ts::ShellQuote(package) + " " + name).out;
        value.erase(value.find_last_not_of('\n') + 1);
        return value;
    };
    EXPECT_EQ(field("Package"), "velmora");
    EXPECT_EQ(field("Version"), VELMORA_VERSION);
    EXPECT_EQ(field("Section"), "graphics");
    EXPECT_NE(field("Maintainer").find('<'), std::string::npos) << field("Maintainer");
    const std::string depends = field("Depends");
    for (const char* library : {"libc6", "libstdc++6", "libimagequant0", "libjpeg62-turbo",
                                "libpng16-16", "libavcodec", "libqt6gui6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
#ifdef VELMORA_INSTALLS_EDITOR
    for (const char* library : {"libqt6widgets6", "libqt6help6", "qt6-qpa-plugins"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
#endif

    const std::string root = folder.file("root");
    MustRun("dpkg-deb -x " + ts::ShellQuote(package) + " " + ts::ShellQuote(root));
    EXPECT_TRUE(fs::exists(root + "/usr/share/doc/velmora/copyright"));
    CheckInstalledTree(root + "/usr");
}

}  // namespace
