#include "shell/HelpWindow.h"

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// Keywords and topic numbers to pages of resources/help.
QString PageFor(const QString& keyword) {
    const QString k = keyword.toLower();
    if (k.isEmpty() || k == QLatin1String("contents")) return QStringLiteral("index.html");
    if (k == QLatin1String("key bindings")) return QStringLiteral("keys.html");
    if (k == QLatin1String("how to use help")) return QStringLiteral("help.html");
    // "Select Effect/Transition Dialog" -> select-effect-transition-dialog.html
    QString page;
    for (const QChar c : k) page += c.isLetterOrNumber() ? c : QLatin1Char('-');
    return page + QStringLiteral(".html");
}

QPointer<QDialog> helpWindow;

bool Show(QWidget* parent, const QString& page, const QString& anchor) {
    const QString url = QStringLiteral("qrc:/help/") + page;
    if (!QFile::exists(QStringLiteral(":/help/") + page)) return false;
    if (!helpWindow) {
        helpWindow = new QDialog(parent);
        helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        helpWindow->setWindowTitle(QStringLiteral("Velmora Help"));
        helpWindow->resize(560, 480);
        auto* layout = new QVBoxLayout(helpWindow);
        auto* browser = new QTextBrowser;
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenLinks(true);
        layout->addWidget(browser);
    }
    auto* browser = helpWindow->findChild<QTextBrowser*>();
    browser->setSource(QUrl(anchor.isEmpty() ? url : url + QLatin1Char('#') + anchor));
    helpWindow->show();
    helpWindow->raise();
    return true;
}

}  // namespace

bool ShowHelp(QWidget* parent, const QString& keyword) {
    return Show(parent, PageFor(keyword), QString());
}

bool ShowHelpTopic(QWidget* parent, int topic) {
    return Show(parent, QStringLiteral("topics.html"), QStringLiteral("topic%1").arg(topic));
}
