#include "shell/HelpCollection.h"

#include <QCoreApplication>
#include <QFile>
#include <QHelpEngine>
#include <QHelpSearchEngine>
#include <QPointer>
#include <QUrl>

namespace {
QPointer<HelpCollection> instance;
bool failed = false;
}  // namespace

HelpCollection::HelpCollection(QObject* parent) : QObject(parent) {}

HelpCollection::~HelpCollection() = default;

HelpCollection* HelpCollection::Instance() {
    if (instance || failed) return instance.data();
    // Owned by the application, so that the engine goes before the application does.
    auto* made = new HelpCollection(QCoreApplication::instance());
    if (!made->setUp()) {
        delete made;
        failed = true;
        return nullptr;
    }
    instance = made;
    return made;
}

bool HelpCollection::setUp() {
    if (!folder_.isValid()) return false;
    // The engine reads the help file from disk: a copy of the one in the resources.
    const QString help = folder_.filePath(QStringLiteral("velmora.qch"));
    if (!QFile::copy(QStringLiteral(":/help/velmora.qch"), help)) return false;
    QFile::setPermissions(help, QFile::ReadOwner | QFile::WriteOwner);
    engine_ = std::make_unique<QHelpEngine>(folder_.filePath(QStringLiteral("velmora.qhc")));
    engine_->setUsesFilterEngine(true);
    engine_->setReadOnly(false);  // registering writes to the collection
    if (!engine_->setupData() || !engine_->registerDocumentation(help)) return false;
    // Builds the full-text index in the background.
    QHelpSearchEngine* search = engine_->searchEngine();
    connect(search, &QHelpSearchEngine::indexingFinished, this, [this] { searchReady_ = true; });
    search->reindexDocumentation();
    return true;
}

QUrl HelpCollection::PageUrl(const QUrl& link) {
    QUrl page(QStringLiteral("qrc:/help/") + link.fileName());
    page.setFragment(link.fragment());
    return page;
}
