// "Choose Color": choosing an entry, the margins around the grid, the clamped starting
// index, editing colours through the colour chooser, and what OK and Cancel write.
#include <QColorDialog>

#include "dialogs/PaletteDialog.h"
#include "document/FrameRecord.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using testing_support::AppendToDocument;
using testing_support::ComposedAt;
using testing_support::MakeFrame;

using namespace dialog_testing;

namespace {

class PaletteDialogTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    FrameRecord* first = nullptr;
    FrameRecord* second = nullptr;

    void SetUp() override {
        doc.hasGlobalPalette = true;
        for (int i = 0; i < 40; ++i)
            doc.globalPalette[size_t(i)] = PaletteEntry::FromRgb(uint32_t(0x010203 * i));
        doc.backgroundIndex = 3;
        first = MakeFrame(doc, 8, 6, {0xFF0000, 0x00FF00, 0x0000FF}, 0);
        AppendToDocument(doc, first, "one");
        // A smaller second frame: its picture builds on the first one's.
        second = MakeFrame(doc, 4, 3, {0x101010, 0x202020}, 1);
        AppendToDocument(doc, second, "two");
        second->left = 1;
        second->top = 1;
        doc.selectedFrame = first;
    }

    // A grid size that leaves margins around the cells: (395 - 4 - 60) / 16 = 20, so
    // the cells take 16 * 24 - 4 = 380 pixels, 7 left, 8 right.
    static void Prepare(PaletteDialog& dialog) {
        dialog.grid()->setFixedSize(395, 395);
        dialog.show();
        QApplication::processEvents();
    }
    static void Click(PaletteDialog& dialog, QPoint at) {
        QTest::mouseClick(dialog.grid(), Qt::LeftButton, {}, at);
    }
};

TEST_F(PaletteDialogTest, ChooseModeSelectsCellsAndGapsButNotTheMargins) {
    PaletteRequest request;  // global palette, choose mode
    PaletteDialog dialog(nullptr, doc, request);
    Prepare(dialog);
    EXPECT_EQ(dialog.selectedIndex(), 3);  // the background index
    EXPECT_EQ(dialog.entryLabel()->text(), "Color Index 3 - R:3 G:6 B:9");

    PaletteGrid* grid = dialog.grid();
    EXPECT_EQ(grid->cellRect(17), QRect(31, 31, 20, 20));
    Click(dialog, grid->cellRect(17).center());
    EXPECT_EQ(dialog.selectedIndex(), 17);
    EXPECT_EQ(dialog.entryLabel()->text(), "Color Index 17 - R:17 G:34 B:51");
    // The gap right of and below a cell belongs to that cell.
    Click(dialog, grid->cellRect(20).bottomRight() + QPoint(3, 3));
    EXPECT_EQ(dialog.selectedIndex(), 20);
    // The margins select nothing; in particular nothing past 255.
    for (QPoint margin :
         {QPoint(392, 200), QPoint(200, 393), QPoint(393, 393), QPoint(2, 2), QPoint(3, 100)}) {
        Click(dialog, margin);
        EXPECT_EQ(dialog.selectedIndex(), 20) << margin.x() << "," << margin.y();
    }
    EXPECT_EQ(grid->indexAt(QPoint(390, 390)), 255);  // last cell's own gap
    Click(dialog, grid->cellRect(255).center());
    EXPECT_EQ(dialog.selectedIndex(), 255);
    EXPECT_EQ(dialog.entryLabel()->text(), "Color Index 255 - R:n/a G:n/a B:n/a");
    // A release without a press here (the click that opened the dialog) selects nothing.
    QTest::mouseRelease(grid, Qt::LeftButton, {}, grid->cellRect(1).center());
    EXPECT_EQ(dialog.selectedIndex(), 255);

    // Double click in choose mode explains instead of editing.
    QTest::mouseDClick(grid, Qt::LeftButton, {}, grid->cellRect(5).center());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].caption, "Palette Editing not possible");
    EXPECT_EQ(dialog.workingCopy(), doc.globalPalette);

    Click(dialog, grid->cellRect(17).center());
    dialog.accept();
    EXPECT_EQ(doc.backgroundIndex, 17);
    EXPECT_TRUE(doc.modified());
}

// Cancel writes nothing; the effect dialog's use gives back only the index; OK writes
// the transparent index, which starts clamped to the palette.
TEST_F(PaletteDialogTest, OkCancelAndReturnIndex) {
    first->transparentIndex = 300;
    const struct {
        int returnIndex;
        bool ok;
        unsigned transparent;  // after
    } rows[] = {{0, false, 300}, {1, true, 300}, {0, true, 2}};
    for (const auto& row : rows) {
        PaletteRequest request{first, 0, row.returnIndex, 0};
        PaletteDialog dialog(nullptr, doc, request);
        Prepare(dialog);
        EXPECT_EQ(dialog.startIndex(), 255);
        EXPECT_EQ(dialog.entryLabel()->text(), "Color Index 255 - R:n/a G:n/a B:n/a");
        Click(dialog, dialog.grid()->cellRect(2).center());
        row.ok ? dialog.accept() : dialog.reject();
        if (row.returnIndex) {
            EXPECT_EQ(request.resultIndex, 2);
        }
        EXPECT_EQ(first->transparentIndex, row.transparent);
        EXPECT_EQ(doc.modified(), row.transparent == 2);
    }
}

TEST_F(PaletteDialogTest, EditModeEditsACopyThatOkWritesBackAndRecomposes) {
    EXPECT_EQ(ComposedAt(*second, 0, 0), 0xFF0000u);  // the first frame shows through
    // Cancelled, then confirmed; an unused entry edits to a used one.
    for (const bool ok : {false, true}) {
        PaletteRequest request{first, 1, 0, 0};
        PaletteDialog dialog(nullptr, doc, request);
        Prepare(dialog);
        WhenModal<QColorDialog>([](QColorDialog& chooser) {
            chooser.setCurrentColor(QColor(9, 8, 7));
            chooser.accept();
        });
        QTest::mouseDClick(dialog.grid(), Qt::LeftButton, {}, dialog.grid()->cellRect(0).center());
        EXPECT_EQ(dialog.selectedIndex(), 0);
        EXPECT_EQ(dialog.workingCopy()[0], (PaletteEntry{9, 8, 7}));
        EXPECT_EQ(dialog.entryLabel()->text(), "Color Index 0 - R:9 G:8 b:7");
        ok ? dialog.accept() : dialog.reject();
        EXPECT_EQ(first->palette[0], PaletteEntry::FromRgb(ok ? 0x090807 : 0xFF0000));
        EXPECT_EQ(doc.modified(), ok);
    }
    // Both the frame and the one built on it show the new colour.
    EXPECT_EQ(ComposedAt(*first, 0, 0), 0x090807u);
    EXPECT_EQ(ComposedAt(*second, 0, 0), 0x090807u);
}

}  // namespace
