// The frame tree as a user handles it: thumbnails and delays beside the labels, several
// frames selected at once, frames dragged to another place, and the timing commands.

#include <QAbstractItemModel>
#include <QDialog>
#include <QDragEnterEvent>
#include <QImage>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QSet>
#include <QSpinBox>
#include <QTreeView>
#include <functional>

#include "document/Composition.h"
#include "shell/FrameThumbnails.h"
#include "shell/FrameTreeModel.h"
#include "support/GifBuilder.h"
#include "support/PeerReaders.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using namespace testing_support;

namespace {

class FrameTreeViewTest : public EditorTest {
  protected:
    // A photo animation of three frames, opened; false when it did not open.
    bool openPhotos(int w = 97, int h = 71) {
        const std::string gif = MakePhotoGif(folder, "photo.gif", w, h, 3);
        return !gif.empty() && editor.open(QString::fromStdString(gif));
    }
    QTreeView* tree() { return window().treeView(); }
    QModelIndex indexOfFrame(int k) {
        FrameRecord* f = doc().firstFrame;
        for (int i = 0; i < k && f; ++i) f = f->next;
        return window().treeModel()->indexOf(doc().EntryOfFrame(f));
    }
    // Waits until every image entry shows its own thumbnail.
    bool thumbnailsReady() {
        const auto allReady = [&] {
            for (TreeItem* e = FrameTree::NextFrameEntry(doc().tree.root()); e;
                 e = FrameTree::NextFrameEntry(e)) {
                window().treeModel()->data(window().treeModel()->indexOf(e), Qt::DecorationRole);
                if (!window().thumbnails()->ready(e)) return false;
            }
            return true;
        };
        for (int i = 0; i < 600 && !allReady(); ++i) QTest::qWait(20);
        return allReady();
    }
};

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) colours.insert(rgb.pixel(x, y));
    return int(colours.size());
}

QImage Decoration(const QModelIndex& index) {
    return index.data(Qt::DecorationRole).value<QImage>();
}

// Each image entry shows its picture, 64 pixels on the long side, and its delay beside
// the label, which stays what it was.
TEST_F(FrameTreeViewTest, ImageEntriesShowThumbnailsAndDelays) {
    ASSERT_TRUE(openPhotos(97, 71));
    ASSERT_TRUE(thumbnailsReady());
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const QModelIndex index = indexOfFrame(k);
        EXPECT_EQ(index.data().toString(), "Gif :photo.gif");
        const QImage thumb = Decoration(index);
        EXPECT_EQ(thumb.width(), 64);
        EXPECT_EQ(thumb.height(), 46);           // 71 * 64 / 97, rounded down
        EXPECT_GT(DistinctColours(thumb), 200);  // a photo, not a placeholder
        EXPECT_EQ(index.data(FrameTreeModel::kDelayRole).toString(), "0.08 s");
    }
    // The frames differ, so do their thumbnails.
    EXPECT_NE(Decoration(indexOfFrame(0)), Decoration(indexOfFrame(2)));
}

// While pictures cannot be made (a save holds compositions back) the tree shows
// placeholders and does not wait; the thumbnails come once pictures can be made.
TEST_F(FrameTreeViewTest, APlaceholderShowsUntilTheThumbnailIsReady) {
    ASSERT_TRUE(openPhotos());
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) DiscardComposedBitmap(*f);
    doc().busy = true;
    const QImage first = Decoration(indexOfFrame(0));
    QTest::qWait(300);
    EXPECT_LE(DistinctColours(Decoration(indexOfFrame(0))), 2);
    EXPECT_LE(DistinctColours(first), 2);
    EXPECT_FALSE(window().thumbnails()->ready(doc().EntryOfFrame(doc().firstFrame)));
    doc().busy = false;
    ASSERT_TRUE(thumbnailsReady());
    EXPECT_GT(DistinctColours(Decoration(indexOfFrame(0))), 200);
}

// The frames' pixels, to tell which frame is where.
using Pixels = std::vector<uint8_t>;
std::vector<Pixels> Pictures(AnimationDocument& doc) {
    std::vector<Pixels> pictures;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next)
        pictures.push_back(gif_test::FramePixels(*f));
    return pictures;
}

std::vector<uint32_t> Delays(AnimationDocument& doc) {
    std::vector<uint32_t> delays;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) delays.push_back(f->delay);
    return delays;
}

class FrameCommandsTest : public FrameTreeViewTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(openPhotos());
        ASSERT_TRUE(Activate(window()));
        tree()->setFocus();
        pictures = Pictures(doc());
        // Distinct delays, each given through Set Delay on one clicked frame.
        const int delays[] = {10, 25, 70};
        for (int k = 0; k < 3; ++k) {
            click(k);
            answerDelayDialog(delays[k]);
            window().action(kCmdSetDelay)->trigger();
        }
        ASSERT_EQ(Delays(doc()), (std::vector<uint32_t>{10, 25, 70}));
    }
    void click(int frame, Qt::KeyboardModifiers modifiers = {}) {
        const QRect r = tree()->visualRect(indexOfFrame(frame));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, modifiers, r.center());
    }
    // Types `value` into the next timing dialog and presses OK.
    void answerDelayDialog(int value) {
        dialog_testing::WhenModal<QDialog>([value](QDialog& dialog) {
            auto* box = dialog.findChild<QSpinBox*>("value");
            box->selectAll();
            QTest::keyClicks(box, QString::number(value));
            QTest::keyClick(box, Qt::Key_Return);
        });
    }
    // A key pressed in the tree of the active window (a dialog may just have closed).
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        ASSERT_TRUE(Activate(window()));
        tree()->setFocus();
        QTest::keyClick(tree(), k, modifiers);
    }
    void undo() { key(Qt::Key_Z, Qt::ControlModifier); }
    std::vector<Pixels> pictures;
};

// Clicks with Ctrl or Shift, Ctrl+A and selections the program makes (which replace the
// user's) choose the frames the keys act on; Ctrl+Z takes each change back.
TEST_F(FrameCommandsTest, ClicksAndKeysChooseTheFramesCommandsActOn) {
    const auto twoApart = [&] {
        click(0);
        click(2, Qt::ControlModifier);
    };
    const auto ctrl = [&](Qt::Key k) { key(k, Qt::ControlModifier); };
    struct Row {
        const char* what;
        std::function<void()> act;
        std::vector<int> order;
        const char* undoName;
        std::vector<uint32_t> delays = {};  // checked when given
        int undos = 1;
    };
    const Row rows[] = {
        {"Ctrl+A, Delete", [&] { ctrl(Qt::Key_A), key(Qt::Key_Delete); }, {}, "Delete Frames"},
        {"two apart, Ctrl+D",
         [&] { twoApart(), ctrl(Qt::Key_D); },
         {0, 0, 1, 2, 2},
         "Duplicate Frames"},
        {"Shift-click, Delete",
         [&] { click(1), click(2, Qt::ShiftModifier), key(Qt::Key_Delete); },
         {0},
         "Delete Frames"},
        {"two apart copied, pasted behind the middle one",
         [&] { twoApart(), ctrl(Qt::Key_C), click(1), ctrl(Qt::Key_V); },
         {0, 1, 0, 2, 2},
         "Paste Frames"},
        {"the first two cut, pasted behind the last: moved",
         [&] { click(0), click(1, Qt::ShiftModifier), ctrl(Qt::Key_X), click(0), ctrl(Qt::Key_V); },
         {2, 0, 1},
         "Paste Frames",
         {70, 10, 25},
         2},
        {"two apart, then the program selects one: Delete takes that one",
         [&] {
             twoApart(), window().selectEntry(doc().EntryOfFrame(doc().firstFrame->next));
             key(Qt::Key_Delete);
         },
         {0, 2},
         "Delete Frame"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.act();
        std::vector<Pixels> expected;
        for (int k : row.order) expected.push_back(pictures[size_t(k)]);
        EXPECT_EQ(Pictures(doc()), expected);
        EXPECT_EQ(doc().history.undoName(), row.undoName);
        if (!row.delays.empty()) {
            EXPECT_EQ(Delays(doc()), row.delays);
        }
        for (int i = 0; i < row.undos; ++i) undo();
        EXPECT_EQ(Pictures(doc()), pictures);
        EXPECT_EQ(ImageLabels(window()), std::vector<std::string>(3, "Gif :photo.gif"));
        EXPECT_EQ(Delays(doc()), (std::vector<uint32_t>{10, 25, 70}));
    }
}

// The frame commands with orders and delays worked out by hand, each taken back by Ctrl+Z.
TEST_F(FrameCommandsTest, ReverseYoyoAndTheDelayCommandsAreEachOneStep) {
    struct Row {
        const char* what;
        std::function<void()> select;
        int command;
        int typed;  // for the dialogs
        std::vector<int> order;
        std::vector<uint32_t> delays;
    };
    const auto all = [&] { key(Qt::Key_A, Qt::ControlModifier); };
    const auto lastTwo = [&] {
        click(1);
        click(2, Qt::ShiftModifier);
    };
    const auto one = [&] { click(1); };
    const Row rows[] = {
        {"reverse all", all, kCmdReverseFrames, 0, {2, 1, 0}, {70, 25, 10}},
        {"reverse two", lastTwo, kCmdReverseFrames, 0, {0, 2, 1}, {10, 70, 25}},
        {"reverse with one selected: all", one, kCmdReverseFrames, 0, {2, 1, 0}, {70, 25, 10}},
        {"yo-yo", all, kCmdYoyo, 0, {0, 1, 2, 1}, {10, 25, 70, 25}},
        {"set delay for one", one, kCmdSetDelay, 4, {0, 1, 2}, {10, 4, 70}},
        {"scale by 150%", lastTwo, kCmdScaleDelays, 150, {0, 1, 2}, {10, 38, 105}},
        {"scale by 1%", all, kCmdScaleDelays, 1, {0, 1, 2}, {0, 0, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.select();
        if (row.typed) answerDelayDialog(row.typed);
        window().action(row.command)->trigger();
        std::vector<Pixels> expected;
        for (int k : row.order) expected.push_back(pictures[size_t(k)]);
        EXPECT_EQ(Pictures(doc()), expected);
        EXPECT_EQ(Delays(doc()), row.delays);
        undo();
        EXPECT_EQ(Pictures(doc()), pictures);
        EXPECT_EQ(Delays(doc()), (std::vector<uint32_t>{10, 25, 70}));
    }
}

// The third frame dragged above the first: saved, it is the file's first picture; Ctrl+Z
// puts it back. With Ctrl the frame is copied instead.
TEST_F(FrameCommandsTest, DraggingAFrameToTheTopMovesItThere) {
    const std::optional<PeerFile> original = GiflibDecode(folder.file("photo.gif"));
    ASSERT_TRUE(original);
    struct Row {
        Qt::KeyboardModifiers modifiers;
        std::vector<int> order;
    };
    const Row rows[] = {{Qt::NoModifier, {2, 0, 1}}, {Qt::ControlModifier, {2, 0, 1, 2}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.order.size());
        click(2);
        QMimeData* data = window().treeModel()->mimeData(tree()->selectionModel()->selectedRows());
        ASSERT_NE(data, nullptr);
        const QPoint top = tree()->visualRect(indexOfFrame(0)).topLeft() + QPoint(20, 1);
        const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
        QDragEnterEvent enter(top, actions, data, Qt::LeftButton, row.modifiers);
        QApplication::sendEvent(tree()->viewport(), &enter);
        QDragMoveEvent move(top, actions, data, Qt::LeftButton, row.modifiers);
        QApplication::sendEvent(tree()->viewport(), &move);
        ASSERT_TRUE(move.isAccepted());
        QDropEvent drop(top, actions, data, Qt::LeftButton, row.modifiers);
        QApplication::sendEvent(tree()->viewport(), &drop);
        delete data;

        std::vector<Pixels> expected;
        for (int k : row.order) expected.push_back(pictures[size_t(k)]);
        EXPECT_EQ(Pictures(doc()), expected);
        EXPECT_EQ(doc().history.undoName(), row.modifiers ? "Copy Frames" : "Move Frames");
        key(Qt::Key_S, Qt::ControlModifier);
        const std::optional<PeerFile> saved = GiflibDecode(folder.file("photo.gif"));
        ASSERT_TRUE(saved);
        ASSERT_EQ(saved->images.size(), row.order.size());
        for (size_t i = 0; i < row.order.size(); ++i)
            EXPECT_EQ(ImageColours(saved->images[i]),
                      ImageColours(original->images[size_t(row.order[i])]))
                << i;
        EXPECT_EQ(saved->images[0].delay, 70);
        undo();
        EXPECT_EQ(Pictures(doc()), pictures);
    }
}

}  // namespace
