// Velmora: the desktop editor for animated GIF files.
#include <QApplication>
#include <QCommandLineParser>

#include "shell/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for animated GIF files"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to open."));
    parser.process(app);

    MainWindow window;
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) window.openFile(files.first());
    return QApplication::exec();
}
