// Velmora: the desktop editor for animated GIF files.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <cstdio>

#include "app/HelpCollection.h"
#include "host/VersionNotice.h"
#include "shell/MainWindow.h"
#include "shell/SingleInstance.h"

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
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to open."));
    parser.process(app);
    if (parser.isSet(versionOption)) {
        std::fputs(version_notice::VersionText("velmora").c_str(), stdout);
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    const QString file = files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();

    QSettings store;
    // A file opened from outside goes to the running editor unless several are allowed.
    const bool multipleInstances = store.value(QStringLiteral("MultiInst"), 0).toUInt() == 1;
    if (!file.isEmpty() && !multipleInstances && SingleInstance::HandOver(file)) return 0;

    SingleInstance instance;
    instance.Listen();
    MainWindow window(&store);
    QObject::connect(&instance, &SingleInstance::fileHandedOver, &window,
                     &MainWindow::openHandedOver);
    window.show();

    // An animation left unsaved by a crash comes first; the sample only into nothing.
    const bool recovered = window.offerRecovery();
    if (!file.isEmpty()) {
        emit instance.fileHandedOver(file);
    } else if (!recovered) {
        window.openSample();
    }
    const int code = QApplication::exec();
    HelpCollection::Shutdown();
    return code;
}
