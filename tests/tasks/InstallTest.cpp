// `cmake --install` into a prefix of its own, directly and staged under DESTDIR, and the
// Debian package `cpack -G DEB` makes: the desktop's own validators check the files, and the
// installed programs run.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "import/FileImport.h"
#include "support/UserTask.h"

namespace ts = testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kAppId = VELMORA_APP_ID;

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

// Checks an installed tree under `root` (the prefix as it lands on disk), runs its programs.
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
    // The desktop entry claims the shared MIME database's type of every extension the
    // editor opens, so that the desktop offers it for each.
    const std::string entry = Text(share + "applications/" + kAppId + ".desktop");
    const std::string globs = Text("/usr/share/mime/globs2");  // weight:type:*.extension
    for (const FileType& type : FileTypes()) {
        for (std::string extension : type.extensions) {
            for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
            const size_t end = globs.find(":*." + extension + "\n");
            ASSERT_NE(end, std::string::npos) << "the MIME database knows no *." << extension;
            const size_t start = globs.rfind(':', end - 1) + 1;
            const std::string mime = globs.substr(start, end - start);
            EXPECT_NE(entry.find(mime + ";"), std::string::npos) << extension << " " << mime;
        }
    }
    MustRun("appstreamcli validate --no-net " +
            ts::ShellQuote(share + "metainfo/" + kAppId + ".metainfo.xml"));
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

// The Debian package declares the libraries it needs, the Qt parts loaded at run time
// among them, and unpacked it is the same installed tree.
TEST(InstallTest, TheDebianPackageDeclaresItsDependenciesAndItsProgramsRun) {
    const ts::TempFolder folder;
    MustRun("cd " + ts::ShellQuote(VELMORA_BUILD_DIR) + " && " + ts::ShellQuote(VELMORA_CPACK) +
            " -G DEB -B " + ts::ShellQuote(folder.file("out")));
    const std::string package = MustRun("ls " + ts::ShellQuote(folder.file("out")) + "/*.deb").out;
    ASSERT_FALSE(package.empty());
    const std::string deb = package.substr(0, package.find('\n'));
    const std::string depends = MustRun("dpkg-deb -f " + ts::ShellQuote(deb) + " Depends").out;
    for (const char* library : {"libimagequant0", "libavcodec", "libjpeg62-turbo",
#ifdef VELMORA_INSTALLS_EDITOR
                                "libqt6widgets6", "qt6-qpa-plugins", "libqt6sql6-sqlite"
#endif
         })
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    MustRun("dpkg-deb -x " + ts::ShellQuote(deb) + " " + ts::ShellQuote(folder.file("root")));
    CheckInstalledTree(folder.file("root/usr"));
}

}  // namespace
