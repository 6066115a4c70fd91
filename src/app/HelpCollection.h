#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class QHelpEngine;

// The help pages as a Qt Help collection: the compiled help file from the resources is
// registered in a collection of its own in a private temporary folder, which gives the
// keyword index. One per application, made on first use.
class HelpCollection : public QObject {
  public:
    // The collection, or nullptr when it could not be set up (the pages still show).
    static HelpCollection* Instance();
    // Ends the collection while the application still runs its event loop: the engine
    // rebuilds its contents and index on threads of its own, which must finish first.
    static void Shutdown();
    ~HelpCollection() override;

    QHelpEngine* engine() const { return engine_.get(); }
    // The page in the resources (qrc:/help/...) for a link of the collection
    // (qthelp://.../page.html#anchor).
    static QUrl PageUrl(const QUrl& link);

  private:
    explicit HelpCollection(QObject* parent);
    bool setUp();
    void WaitForModels();

    // Declared first: the engine closes its files before the folder goes.
    QTemporaryDir folder_;
    std::unique_ptr<QHelpEngine> engine_;
};
