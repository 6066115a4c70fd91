#include "app/HelpWindow.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/HelpCollection.h"

namespace {

// Keywords and topic numbers to pages of resources/help.
QString PageFor(const QString& keyword) {
    const QString k = keyword.toLower();
    if (k == QLatin1String("contents")) return QStringLiteral("index.html");
    if (k == QLatin1String("key bindings")) return QStringLiteral("keys.html");
    if (k == QLatin1String("how to use help")) return QStringLiteral("help.html");
    // "Select Effect/Transition Dialog" -> select-effect-transition-dialog.html
    QString page;
    for (const QChar c : k) page += c.isLetterOrNumber() ? c : QLatin1Char('-');
    return page + QStringLiteral(".html");
}

// The page that holds each topic's anchor (most are in topics.html, a window's own
// fields may be on its page).
QString PageOfTopic(int topic) {
    static const QMap<int, QString> pages = [] {
        QMap<int, QString> found;
        const QRegularExpression anchor(QStringLiteral("name=\"topic(\\d+)\""));
        const QStringList names = QDir(QStringLiteral(":/help")).entryList({"*.html"});
        for (const QString& name : names) {
            QFile file(QStringLiteral(":/help/") + name);
            if (!file.open(QIODevice::ReadOnly)) continue;
            for (auto it = anchor.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
                found.insert(it.next().captured(1).toInt(), name);
        }
        return found;
    }();
    return pages.value(topic, QStringLiteral("topics.html"));
}

// The help window: the pages on the right; on the left, when the help collection is
// there, the keyword index with its filter field.
class HelpWindow : public QDialog {
  public:
    explicit HelpWindow(QWidget* parent) : QDialog(parent) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Velmora Help"));
        resize(760, 500);
        browser_ = new QTextBrowser;
        browser_->setObjectName(QStringLiteral("helpBrowser"));
        browser_->setOpenLinks(true);
        auto* splitter = new QSplitter;
        if (HelpCollection* collection = HelpCollection::Instance()) {
            tabs_ = new QTabWidget;
            tabs_->setObjectName(QStringLiteral("helpTabs"));
            tabs_->addTab(makeIndexTab(*collection->engine()), QStringLiteral("&Index"));
            splitter->addWidget(tabs_);
        }
        splitter->addWidget(browser_);
        splitter->setStretchFactor(splitter->count() - 1, 1);
        splitter->setSizes({240, 520});
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(splitter);
    }

    void showPage(const QUrl& url) {
        browser_->setSource(url);
        show();
        raise();
    }

    // The index at hand, the focus in its filter field.
    void showSearch() {
        if (browser_->source().isEmpty())
            browser_->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
        show();
        raise();
        activateWindow();  // asked for: the typing goes here
        if (!tabs_) return;
        tabs_->setCurrentIndex(0);
        filter_->setFocus();
        filter_->selectAll();
    }

  private:
    QWidget* makeIndexTab(QHelpEngine& engine) {
        auto* tab = new QWidget;
        filter_ = new QLineEdit;
        filter_->setObjectName(QStringLiteral("helpIndexFilter"));
        filter_->setClearButtonEnabled(true);
        auto* label = new QLabel(QStringLiteral("&Look for:"));
        label->setBuddy(filter_);
        index_ = new QListView;
        index_->setObjectName(QStringLiteral("helpIndex"));
        index_->setModel(engine.indexModel());
        index_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        auto* layout = new QVBoxLayout(tab);
        layout->addWidget(label);
        layout->addWidget(filter_);
        layout->addWidget(index_);
        QHelpIndexModel* model = engine.indexModel();
        connect(filter_, &QLineEdit::textChanged, this, [this, model](const QString& text) {
            // The best match is selected, so that Return opens it.
            const QModelIndex best = model->filter(text);
            index_->setCurrentIndex(best.isValid() ? best : model->index(0, 0));
        });
        connect(filter_, &QLineEdit::returnPressed, this,
                [this, &engine] { openKeyword(engine, index_->currentIndex()); });
        connect(index_, &QListView::activated, this,
                [this, &engine](const QModelIndex& i) { openKeyword(engine, i); });
        return tab;
    }

    void openKeyword(QHelpEngine& engine, const QModelIndex& index) {
        if (!index.isValid()) return;
        const QList<QHelpLink> links = engine.documentsForKeyword(index.data().toString());
        if (!links.isEmpty()) showPage(HelpCollection::PageUrl(links.first().url));
    }

    QTextBrowser* browser_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QListView* index_ = nullptr;
};

QPointer<HelpWindow> helpWindow;

HelpWindow* Window(QWidget* parent) {
    if (!helpWindow) helpWindow = new HelpWindow(parent);
    return helpWindow.data();
}

bool Show(QWidget* parent, const QString& page, const QString& anchor) {
    const QString url = QStringLiteral("qrc:/help/") + page;
    if (!QFile::exists(QStringLiteral(":/help/") + page)) return false;
    Window(parent)->showPage(QUrl(anchor.isEmpty() ? url : url + QLatin1Char('#') + anchor));
    return true;
}

}  // namespace

bool ShowHelp(QWidget* parent, const QString& keyword) {
    if (keyword.isEmpty()) {
        Window(parent)->showSearch();
        return true;
    }
    return Show(parent, PageFor(keyword), QString());
}

bool ShowHelpTopic(QWidget* parent, int topic) {
    return Show(parent, PageOfTopic(topic), QStringLiteral("topic%1").arg(topic));
}
