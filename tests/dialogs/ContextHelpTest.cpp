// F1 on a focused field of a window opened from the editor opens that field's topic.
#include <QTextBrowser>
#include <functional>

#include "app/HelpWindow.h"
#include "dialogs/BannerDialog.h"
#include "dialogs/ContextHelp.h"
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
        {kCmdParameters, [](QWidget& w) { return static_cast<ParametersWindow&>(w).field(1024); },
         "qrc:/help/topics.html#topic70"},
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

}  // namespace
