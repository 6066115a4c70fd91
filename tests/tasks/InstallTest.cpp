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
    SCOPED_TRACE(root);
    const std::string share = root + "/share/", version = VELMORA_VERSION;
    // The installed velmora-cli says what the build-tree one says.
    const std::string said = MustRun(ts::ShellQuote(root + "/bin/velmora-cli") + " --version").out;
    EXPECT_EQ(said, ts::RunCli("--version").out);
    EXPECT_EQ(said.rfind("velmora-cli " + version + "\n", 0), 0u) << said;
    EXPECT_NE(said.find("GPL-3.0-or-later"), std::string::npos) << said;
    // Each file with what it has to say (manual pages as man reads them); the manual page
    // is written from the program's help, with the sections it cannot give.
    const std::pair<std::string, std::vector<std::string>> files[] = {
        {"man/man1/velmora-cli.1.gz",
         {".TH VELMORA-CLI \"1\"", "\\-\\-version", ".SH \"EXIT STATUS\"", "globalPalette",
          "localPalette", "transparent", ".SH FILES"}},
        {"doc/velmora/LICENSE", {}},
#ifdef VELMORA_INSTALLS_EDITOR
        {"man/man1/velmora.1.gz", {".TH VELMORA"}},
        {"applications/" + kAppId + ".desktop", {"\nExec=velmora %F\n", "\nIcon=" + kAppId + "\n"}},
        {"metainfo/" + kAppId + ".metainfo.xml",
         {"<project_license>GPL-3.0-or-later</project_license>",
          "<launchable type=\"desktop-id\">" + kAppId + ".desktop</launchable>",
          "<release version=\"" + version + "\""}},
        {"icons/hicolor/scalable/apps/" + kAppId + ".svg", {"<svg"}},
#endif
    };
    for (const auto& [file, holds] : files) {
        SCOPED_TRACE(file);
        const std::string path = share + file;
        ASSERT_TRUE(fs::exists(path));
        const std::string text =
            file.ends_with(".gz") ? MustRun("zcat " + ts::ShellQuote(path)).out : Text(path);
        for (const std::string& part : holds) EXPECT_NE(text.find(part), std::string::npos) << part;
    }
#ifdef VELMORA_INSTALLS_EDITOR
    const std::string editorSaid =
        MustRun("QT_QPA_PLATFORM=offscreen " + ts::ShellQuote(root + "/bin/velmora") + " --version")
            .out;
    EXPECT_NE(editorSaid.find(version), std::string::npos) << editorSaid;
    EXPECT_NE(editorSaid.find("GPL-3.0-or-later"), std::string::npos) << editorSaid;
    MustRun("desktop-file-validate " +
            ts::ShellQuote(share + "applications/" + kAppId + ".desktop"));
    // The desktop entry claims the MIME type of every extension the editor opens.
    const std::string entry = Text(share + "applications/" + kAppId + ".desktop");
    const size_t at = entry.find("\nMimeType=");
    ASSERT_NE(at, std::string::npos);
    std::set<std::string> claimed;
    std::istringstream list(entry.substr(at + 10, entry.find('\n', at + 1) - at - 10));
    for (std::string type; std::getline(list, type, ';');) claimed.insert(type);
    for (const FileType& type : FileTypes()) {
        for (const std::string& extension : type.extensions) {
            const std::string mime = MimeTypeOfExtension(extension);
            EXPECT_FALSE(mime.empty()) << "the MIME database knows no *." << extension;
            EXPECT_EQ(claimed.count(mime), 1u) << extension << " " << mime;
        }
    }
    MustRun("appstreamcli validate --no-net " +
            ts::ShellQuote(share + "metainfo/" + kAppId + ".metainfo.xml"));
    for (const int size : kIconSizes) {
        const std::string side = std::to_string(size);
        EXPECT_EQ(
            PngSize(share + "icons/hicolor/" + side + "x" + side + "/apps/" + kAppId + ".png"),
            std::make_pair(size, size))
            << side << " px icon";
    }
#endif
}

TEST(InstallTest, CmakeInstallLaysOutTheProgramsAndTheDesktopFilesUnderThePrefix) {
    const ts::TempFolder folder;
    const std::string install =
        ts::ShellQuote(VELMORA_CMAKE) + " --install " + ts::ShellQuote(VELMORA_BUILD_DIR);
    // Into a prefix of its own, and staged under DESTDIR.
    MustRun(install + " --prefix " + ts::ShellQuote(folder.file("home/.local")));
    CheckInstalledTree(folder.file("home/.local"));
    MustRun("DESTDIR=" + ts::ShellQuote(folder.file("stage")) + " " + install + " --prefix /usr");
    CheckInstalledTree(folder.file("stage/usr"));
    // Nothing went to the prefix the build was configured with.
    EXPECT_FALSE(fs::exists(folder.file("stage/usr/local")));
}

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
        const std::string value =
            MustRun("dpkg-deb -f " + ts::ShellQuote(package) + " " + name).out;
        return value.substr(0, value.find_last_not_of('\n') + 1);
    };
    EXPECT_EQ(field("Package"), "velmora");
    EXPECT_EQ(field("Version"), VELMORA_VERSION);
    EXPECT_EQ(field("Section"), "graphics");
    EXPECT_NE(field("Maintainer").find('<'), std::string::npos) << field("Maintainer");
    const std::string depends = field("Depends");
    for (const char* library : {"libc6", "libstdc++6", "libimagequant0", "libjpeg62-turbo",
                                "libpng16-16", "libavcodec", "libqt6gui6",
#ifdef VELMORA_INSTALLS_EDITOR
                                "libqt6widgets6", "libqt6help6", "qt6-qpa-plugins"
#endif
         })
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;

    const std::string root = folder.file("root");
    MustRun("dpkg-deb -x " + ts::ShellQuote(package) + " " + ts::ShellQuote(root));
    EXPECT_TRUE(fs::exists(root + "/usr/share/doc/velmora/copyright"));
    CheckInstalledTree(root + "/usr");
}

}  // namespace
