#include "support/qt/EditorTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "shell/MainWindow.h"
#include "support/TestSupport.h"

namespace editor_testing {

QString WriteGif(const QString& dir, const QString& name, const std::vector<int>& delays, int w,
                 int h) {
    SilentHost host;
    AnimationDocument doc(host, 1);
    doc.screenWidth = w;
    doc.screenHeight = h;
    for (size_t i = 0; i < delays.size(); ++i) {
        FrameRecord* f =
            testing_support::MakeFrame(doc, w, h, {uint32_t(0x204060 + 0x101010 * i), 0xFFFFFF});
        f->indexPlane()->set(0, 0, 1);
        f->delay = uint32_t(delays[i]);
        if (i == 0) f->comments.push_back({"first"});
        testing_support::AppendToDocument(doc, f, "x");
    }
    const QString path = QDir(dir).filePath(name);
    SaveAnimation(doc, path.toStdString());
    return path;
}

std::shared_ptr<BoxAnswer> AnswerNextBox(Answer answer) {
    auto seen = std::make_shared<BoxAnswer>();
    dialog_testing::WhenModal<QMessageBox>([seen, answer](QMessageBox& box) {
        *seen = {box.text(), box.windowTitle()};
        const QMessageBox::StandardButton which = answer == Answer::Yes      ? QMessageBox::Yes
                                                  : answer == Answer::No     ? QMessageBox::No
                                                  : answer == Answer::Cancel ? QMessageBox::Cancel
                                                                             : QMessageBox::Ok;
        if (QAbstractButton* b = box.button(which))
            b->click();
        else
            box.reject();
    });
    return seen;
}

std::vector<std::string> ImageLabels(MainWindow& window) {
    std::vector<std::string> labels;
    AnimationDocument& doc = window.document();
    for (TreeItem* e = FrameTree::NextFrameEntry(doc.tree.root()); e;
         e = FrameTree::NextFrameEntry(e))
        labels.push_back(e->text());
    return labels;
}

bool Activate(QWidget& window) {
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

Editor::Editor(QSettings* store) : window_(std::make_unique<MainWindow>(store)) {
    window_->show();
}

Editor::~Editor() {
    close();
}

AnimationDocument& Editor::doc() {
    return window_->document();
}

bool Editor::enabled(int command) {
    return window_->action(command)->isEnabled();
}

bool Editor::open(const QString& path) {
    return window_->openFile(path) == 0;
}

void Editor::close() {
    if (!window_->isVisible()) return;
    window_->document().history.clear(true);
    window_->close();
}

EditorTest::EditorTest() {
    window().settings().confirmDelete = 0;
}

}  // namespace editor_testing
