// Help buttons, F1 and What's This lead to pages and topics that exist, and F1 on a
// focused field of a dialog opened from the editor opens that field's topic.
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QListView>
#include <QTextBrowser>
#include <QWhatsThis>
#include <functional>

#include "app/HelpCollection.h"
#include "app/HelpWindow.h"
#include "dialogs/BannerDialog.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/EffectDialog.h"
#include "dialogs/ExportAllDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/ParametersWindow.h"
#include "dialogs/ResizeDialog.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;

namespace {

void CloseHelp() {
    if (QTextBrowser* b = ShownHelp()) b->window()->close();
    QApplication::processEvents();
}

class ContextHelpTest : public EditorTest {
  protected:
    void TearDown() override { CloseHelp(); }
};

TEST_F(ContextHelpTest, EveryKeywordTheWindowsUseHasItsPage) {
    for (const char* keyword :
         {"Contents", "Key Bindings", "How To Use Help", "Select Effect/Transition Dialog",
          "Options Dialog", "Parameters Dialog", "Palette Dialog", "Banner Dialog",
          "Export All Images", "Comment Dialog", "Files"}) {
        EXPECT_TRUE(ShowHelp(nullptr, QString::fromLatin1(keyword))) << keyword;
    }
    EXPECT_EQ(HelpPage(), "qrc:/help/files.html");
    EXPECT_FALSE(ShowHelp(nullptr, QStringLiteral("No Such Dialog")));
}

// F1 pressed on the focused field of each window as the editor opens it. A field without
// a topic gives the window's own page; a window without a page, nothing.
TEST_F(ContextHelpTest, F1OnAFocusedFieldOpensItsTopic) {
    ASSERT_TRUE(openGif({10, 10}));
    using Field = std::function<QWidget*(QWidget&)>;
    const struct {
        int command;
        Field field;
        const char* page;
    } rows[] = {
        {kCmdBannerText, [](QWidget& w) { return static_cast<BannerDialog&>(w).field(1024); },
         "qrc:/help/banner-dialog.html#topic83"},
        {kCmdBannerText,
         [](QWidget& w) { return w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok); },
         "qrc:/help/banner-dialog.html"},
        {kCmdInsertEffect,
         [](QWidget& w) { return static_cast<EffectDialog&>(w).frameCountEdit(); },
         "qrc:/help/topics.html#topic43"},
        {kCmdOptions, [](QWidget& w) { return static_cast<OptionsDialog&>(w).reactivateButton(); },
         "qrc:/help/topics.html#topic93"},
        {kCmdParameters, [](QWidget& w) { return static_cast<ParametersWindow&>(w).field(1024); },
         "qrc:/help/topics.html#topic70"},
        {kCmdExportAll, [](QWidget& w) { return static_cast<ExportAllDialog&>(w).patternEdit(); },
         "qrc:/help/export-all-images.html"},
        {kCmdResize, [](QWidget& w) { return static_cast<ResizeDialog&>(w).widthEdit(); }, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        QString page = QStringLiteral("(not asked)");
        const auto pressF1 = [&](QWidget& shown) {
            if (!Activate(*shown.window())) return (void)(page = "(not active)");
            QWidget* field = row.field(shown);
            field->setFocus();
            if (QApplication::focusWidget() != field) return (void)(page = "(no focus)");
            QTest::keyClick(field, Qt::Key_F1);
            page = HelpPage();
            CloseHelp();
        };
        if (row.command == kCmdParameters) {  // a tool window, not modal
            window().action(row.command)->trigger();
            pressF1(*window().parametersWindow());
        } else {
            bool opened = false;
            QTimer* watch = WhenModal<QDialog>([&](QDialog& dialog) {
                opened = true;
                pressF1(dialog);
                dialog.reject();
            });
            window().action(row.command)->trigger();
            if (!opened) delete watch;  // nothing opened: the check below fails
        }
        EXPECT_EQ(page, QString::fromLatin1(row.page));
    }
}

// The index is made from the pages' topics when the help is built; the filter, typed in
// part, leads to a field's topic.
TEST_F(ContextHelpTest, SearchForHelpOnOpensAKeywordIndexThatLeadsToTopics) {
    window().action(kCmdHelpSearch)->trigger();
    ASSERT_NE(ShownHelp(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(ShownHelp()->window()));
    auto* filter = ShownHelp()->window()->findChild<QLineEdit*>("helpIndexFilter");
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), filter);
    QHelpIndexModel* model = HelpCollection::Instance()->engine()->indexModel();
    // The index is made in the background after the collection is set up.
    for (int i = 0; i < 600 && model->rowCount() == 0; ++i) QTest::qWait(50);
    ASSERT_GT(model->rowCount(), 0);
    for (const auto& [typed, page] :
         {std::pair{"Width (animation)", "qrc:/help/topics.html#topic47"},
          {"Transparent colour (Par", "qrc:/help/topics.html#topic69"}}) {
        filter->selectAll();
        QTest::keyClicks(filter, QString::fromLatin1(typed));
        QTest::keyClick(filter, Qt::Key_Return);
        EXPECT_EQ(HelpPage(), QString::fromLatin1(page)) << typed;
    }
}

// The preview takes no focus: Shift+F1, then a click on it, opens its topic.
TEST_F(ContextHelpTest, WhatsThisReachesFieldsThatTakeNoFocus) {
    bool inMode = false;
    QString page;
    WhenModal<BannerDialog>([&](BannerDialog& banner) {
        if (Activate(banner)) {
            banner.field(1018)->setFocus();
            QTest::keyClick(banner.field(1018), Qt::Key_F1, Qt::ShiftModifier);
            inMode = QWhatsThis::inWhatsThisMode();
            QTest::mouseClick(banner.preview(), Qt::LeftButton);
            page = HelpPage();
            inMode = inMode && !QWhatsThis::inWhatsThisMode();
        }
        banner.reject();
    });
    window().action(kCmdBannerText)->trigger();
    EXPECT_TRUE(inMode);
    EXPECT_EQ(page, "qrc:/help/banner-dialog.html#topic76");
}

}  // namespace
