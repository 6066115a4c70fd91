#include "app/HelpCollection.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QPointer>
#include <QTimer>
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

void HelpCollection::Shutdown() {
    if (!instance) return;
    instance->WaitForModels();
    delete instance.data();
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
    WaitForModels();
    return true;
}

void HelpCollection::WaitForModels() {
    // The engine builds its contents and keyword index on threads of its own that read
    // the collection; none may still be reading when the engine goes, so they finish
    // here (the help is small: this takes milliseconds).
    QEventLoop loop;
    int pending = 0;
    const auto done = [&] {
        if (--pending == 0) loop.quit();
    };
    if (engine_->contentModel()->isCreatingContents()) {
        ++pending;
        connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, &loop, done);
    }
    if (engine_->indexModel()->isCreatingIndex()) {
        ++pending;
        connect(engine_->indexModel(), &QHelpIndexModel::indexCreated, &loop, done);
    }
    if (pending == 0) return;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

QUrl HelpCollection::PageUrl(const QUrl& link) {
    QUrl page(QStringLiteral("qrc:/help/") + link.fileName());
    page.setFragment(link.fragment());
    return page;
}
