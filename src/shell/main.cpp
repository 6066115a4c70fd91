// Velmora: the desktop editor for animated GIF files.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QUrl>
#include <cstdio>

#include "app/HelpCollection.h"
#include "host/VersionNotice.h"
#include "shell/MainWindow.h"
#include "shell/SingleInstance.h"

namespace {

// The files as the desktop names them: paths, made absolute here where the working folder
// is known, or file:// URIs from launchers that pass those.
QStringList OpenedFiles(const QStringList& arguments) {
    QStringList files;
    for (const QString& argument : arguments) {
        const QUrl url(argument);
        const bool isUri =
            argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive) && url.isLocalFile();
        files << QFileInfo(isUri ? url.toLocalFile() : argument).absoluteFilePath();
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
    // The installed icon, where the desktop's icon theme has it.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VELMORA_APP_ID)));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for animated GIF files"));
    parser.addHelpOption();
    // Qt's own version option would say only the name and the number.
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Displays version information."));
    parser.addOption(versionOption);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("The files to open."),
                                 QStringLiteral("[files...]"));
    parser.process(app);
    if (parser.isSet(versionOption)) {
        std::fputs(version_notice::VersionText("velmora").c_str(), stdout);
        return 0;
    }
    QStringList files = OpenedFiles(parser.positionalArguments());

    QSettings store;
    // Files opened from outside go to the running editor unless several are allowed, one
    // after the other; what it does not take opens here.
    const bool multipleInstances = store.value(QStringLiteral("MultiInst"), 0).toUInt() == 1;
    if (!files.isEmpty() && !multipleInstances) {
        while (!files.isEmpty() && SingleInstance::HandOver(files.first())) files.removeFirst();
        if (files.isEmpty()) return 0;
    }

    SingleInstance instance;
    instance.Listen();
    MainWindow window(&store);
    QObject::connect(&instance, &SingleInstance::fileHandedOver, &window,
                     &MainWindow::openHandedOver);
    window.show();

    // An animation left unsaved by a crash comes first; the sample only into nothing.
    const bool recovered = window.offerRecovery();
    if (!files.isEmpty()) {
        for (const QString& file : files) emit instance.fileHandedOver(file);
    } else if (!recovered) {
        window.openSample();
    }
    const int code = QApplication::exec();
    HelpCollection::Shutdown();
    return code;
}
