#pragma once

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QUrl>
#include <chrono>
#include <memory>
#include <vector>

#include "app/SettingsStore.h"
#include "effects/EffectParams.h"
#include "import/FileImport.h"
#include "shell/QtHost.h"
#include "shell/RecentFiles.h"

class AnimationDocument;
class CrashRecovery;
class GifLoadInSteps;
class FrameThumbnails;
struct CopiedFrames;
class FrameTreeModel;
class ImagePane;
class ParametersWindow;
class Playback;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSettings;
class QTimer;
class QTreeView;
class TreeItem;

// The main window: menu, toolbar, frame tree with the "Effect/Transition" button under
// it, the picture of the selected frame, and the status bar (item text, progress text,
// progress bar). It owns the one document and carries out the commands.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // store: where settings are read from and written to when the window closes
    // (nullptr: a private in-memory copy, as tests want).
    explicit MainWindow(QSettings* store = nullptr);
    ~MainWindow() override;

    AnimationDocument& document() { return *document_; }
    AppSettings& settings() { return settings_; }
    RecentFiles& recentFiles() { return recent_; }
    Playback& playback() { return *playback_; }
    EffectSession& effectSession() { return effectSession_; }
    QTreeView* treeView() const { return tree_; }
    FrameTreeModel* treeModel() const { return model_; }
    FrameThumbnails* thumbnails() const { return thumbnails_; }
    ImagePane* imagePane() const { return image_; }
    QAction* action(int commandId) const { return actions_.value(commandId); }
    QMenu* treeContextMenu() const { return contextMenu_; }
    QString statusText(int part) const;
    // The parameters tool window while it is open.
    ParametersWindow* parametersWindow() const;

    // Opens a file by its type as the given source does (Open, drag and drop, command
    // line); runs the after-load steps on success. 0, -1 cancelled, or a failure code.
    int openFile(const QString& path, DispatchVariant source = DispatchVariant::Open);
    // A file handed over by a second instance (or named on the command line). While a
    // dialog or progress window is up it waits until that has gone.
    void openHandedOver(const QString& path);
    // A GIF file opened into the empty document comes in a slice at a time from the
    // event loop; this reads the rest now (commands call it before they run).
    void finishOpening();
    bool opening() const { return opening_ != nullptr; }
    // How long one slice of the opening reads; at zero each slice reads one image, so
    // that tests see the opening under way however fast the machine is.
    void setOpeningSlice(std::chrono::milliseconds slice) { openingSlice_ = slice; }
    // Runs a command as if chosen from the menu.
    void runCommand(int commandId);
    // Save As with a given file name instead of the dialog (tests and the CLI-like
    // paths); returns true when the file was written.
    bool saveAnimationTo(const QString& path);
    // The GIF file Save writes to: the one the document came from or was last saved as
    // (empty for a new document, the sample, or pictures of another type).
    const QString& documentPath() const { return documentPath_; }
    // Files dropped onto the window, in order; stops at the first that fails.
    void dropFiles(const QList<QUrl>& urls);
    // Selects a tree entry as a user click would.
    void selectEntry(TreeItem* item);
    // The bundled sample animation's path (extracted from the resources).
    static QString SamplePath();
    // Opens the bundled sample as an untitled document: no path of it reaches the recent
    // files or the Open and Save folders. 0 or a failure code.
    int openSample();
    // At start: offers the newest animation an editor left behind when it crashed
    // ("Recover the unsaved animation from TIME?"); opens it as an untitled, modified
    // document, or discards it. True when it was opened. folder: as CrashRecovery's.
    bool offerRecovery(const QString& folder = QString());
    CrashRecovery& crashRecovery() { return *recovery_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Construction.
    void buildActions();
    void buildMenus();
    void buildToolbar();
    void buildContextMenu();
    // The View menu (zoom), the zoom and pointed-pixel parts of the status bar and the
    // playing speed in the toolbar (MainViewing.cpp).
    void buildViewing();
    QAction* makeAction(int id, const QString& label, const QList<QKeySequence>& keys = {});
    void restorePlacement();
    // The tree's thumbnails, delays, selection of several frames and drag and drop.
    void setUpFrameTree();
    void buildFrameTreeCommands();
    // Commands on the selected frames (several of them for Delete, Cut, Copy and
    // Duplicate) and the timing commands; false when `id` is not one of them now.
    bool runFrameTreeCommand(int id);
    std::vector<TreeItem*> selectedTreeItems() const;
    void onFramesDropped(const QModelIndex& target, int place, bool copy);
    void afterFrameTreeCommand();

    // State that follows the document.
    void applyDocumentLoaded(bool loaded);
    void retitleResize();
    void onSelectionChanged();
    void onTreeContextMenu(const QPoint& pos);
    void onTreeActivated();
    void afterLoad(const QString& path, bool documentWasEmpty, bool setPathSave);
    int openGifInSteps(const QString& path, DispatchVariant source);
    void continueOpening();
    void afterOpeningStep(bool last);
    void rebuildRecentMenu();
    void updateTransitionEnabling();
    void updatePasteEnabling();
    void applyEngineSettings();
    void layoutImagePane();

    // Commands.
    void runCommandBody(int commandId);
    void cmdOpen();
    bool cmdSave();
    bool cmdSaveAs(int resumeAfter);
    void cmdUndo(bool redo);
    // The title ("NAME* - Velmora") and the Undo and Redo commands after a change.
    void showHistoryState();
    void cmdExportImage();
    void cmdExportAll();
    void cmdNew();
    bool cmdCopy();
    void cmdCut();
    void cmdPaste();
    void cmdDelete();
    void cmdDuplicate();
    void cmdInsert(bool effect);
    void cmdEffectTransition();
    void cmdBannerText();
    void cmdOptimize();
    void cmdUnOptimize();
    void cmdRemoveDuplicates();
    void refreshAfterFrameChanges();
    void cmdResize();
    void cmdHelp(const QString& keyword);
    void cmdAbout();
    void cmdGotoFirst();
    void cmdGotoLast();
    void cmdRecent(int k);
    void cmdParameters();
    void refreshParametersWindow();
    void destroyParametersWindow();
    bool writeAnimation(const QString& path);
    bool confirmDiscardChanges(const char* caption, int resumeAfter);

    std::unique_ptr<QSettings> ownStore_;
    QSettings* store_ = nullptr;
    AppSettings settings_;
    RecentFiles recent_;
    QtHost host_;
    EffectSession effectSession_;  // the effect dialog's block, kept for the whole run
    std::unique_ptr<AnimationDocument> document_;
    Playback* playback_ = nullptr;
    FrameTreeModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    FrameThumbnails* thumbnails_ = nullptr;
    // Several frames copied, for Paste while the clipboard holds what that Copy put there.
    std::shared_ptr<CopiedFrames> copiedFrames_;
    QByteArray copiedToken_;
    bool pasteCopiedFrames();
    QPushButton* effectButton_ = nullptr;
    ImagePane* image_ = nullptr;
    QLabel* statusItem_ = nullptr;
    QLabel* statusProgress_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* statusZoom_ = nullptr;
    QLabel* statusPixel_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QList<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;
    QMap<int, QAction*> actions_;
    QAction* toolbarInsertEffect_ = nullptr;
    QAction* toolbarInsertTransition_ = nullptr;
    QAction* toolbarSaveAs_ = nullptr;
    QAction* toolbarUndo_ = nullptr;
    QAction* toolbarRedo_ = nullptr;
    QString documentPath_;
    CrashRecovery* recovery_ = nullptr;
    QAction* toolbarCopy_ = nullptr;
    QAction* toolbarStart_ = nullptr;
    bool closingAfterSave_ = false;
    QPointer<ParametersWindow> parameters_;
    std::unique_ptr<GifLoadInSteps> opening_;
    QTimer* openingTimer_ = nullptr;
    // Short enough that the window repaints and answers between slices.
    std::chrono::milliseconds openingSlice_{25};
};
