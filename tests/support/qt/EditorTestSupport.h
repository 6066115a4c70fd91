#pragma once

// The editor for tests of its windows: its main window shown, files opened into it, closed
// at the end without the question about unsaved changes; and answers to its message boxes.
// Brings the widgets the tests drive.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "host/Host.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "support/UserTask.h"
#include "support/qt/ModalScript.h"

class QSettings;

namespace editor_testing {

// Writes a GIF of `delays.size()` frames of w x h (frame i in 0x204060 + 0x101010 * i,
// white at (0, 0), a comment "first" on the first) through the engine's writer.
QString WriteGif(const QString& dir, const QString& name, const std::vector<int>& delays, int w = 8,
                 int h = 6);

// Answers the next message box with `answer` as soon as it opens; the text and caption it
// showed are there once the event loop has run it.
struct BoxAnswer {
    QString text;
    QString caption;
};
std::shared_ptr<BoxAnswer> AnswerNextBox(Answer answer);

// Image entries of the window's tree in pre-order, as their labels.
std::vector<std::string> ImageLabels(MainWindow& window);

// Gives a window the keyboard, as a click on it would: its shortcuts answer only then.
bool Activate(QWidget& window);

// The main window, shown; closed (changes dropped) when it goes.
class Editor {
  public:
    explicit Editor(QSettings* store = nullptr);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    MainWindow& window() { return *window_; }
    MainWindow* operator->() { return window_.get(); }
    AnimationDocument& doc();
    bool enabled(int command);
    // Opens a file as the Open command does; true when it opened.
    bool open(const QString& path);
    // Closes the window now, dropping changes.
    void close();

  private:
    std::unique_ptr<MainWindow> window_;
};

// A test with the editor and a temporary folder. Delete does not ask (unless a test
// switches the question on).
class EditorTest : public ::testing::Test {
  protected:
    EditorTest();
    testing_support::TempFolder folder;
    Editor editor;
    MainWindow& window() { return editor.window(); }
    AnimationDocument& doc() { return editor.doc(); }
    QString dir() const { return QString::fromStdString(folder.path()); }
    QString file(const char* name) const { return QString::fromStdString(folder.file(name)); }
    // Opens a WriteGif file of these delays.
    bool openGif(const std::vector<int>& delays, int w = 8, int h = 6) {
        return editor.open(WriteGif(dir(), "a.gif", delays, w, h));
    }
};

// Types `text` over what a field shows, as a user selecting it all and typing.
inline void TypeOver(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace editor_testing
