#pragma once

#include <QMainWindow>
#include <memory>

#include "shell/QtHost.h"

class AnimationDocument;
class FrameTreeModel;
class ImagePane;
class QLabel;
class QProgressBar;
class QTreeView;

// The main window: frame tree beside the picture of the selected frame, status bar with
// the item text, the progress text and the progress bar.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow();
    ~MainWindow() override;

    AnimationDocument& document() { return *document_; }
    QTreeView* treeView() const { return tree_; }
    FrameTreeModel* treeModel() const { return model_; }
    ImagePane* imagePane() const { return image_; }
    // Opens a file into the document by its type; false when it failed.
    bool openFile(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void onSelectionChanged();
    void onOpen();

    QtHost host_;
    std::unique_ptr<AnimationDocument> document_;
    FrameTreeModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    ImagePane* image_ = nullptr;
    QLabel* statusItem_ = nullptr;
    QLabel* statusProgress_ = nullptr;
    QProgressBar* progress_ = nullptr;
};
