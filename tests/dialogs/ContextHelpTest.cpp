// Help buttons, F1 and What's This lead to pages and topics that exist, and F1 on a
// focused field of a dialog opened from the editor opens that field's topic.
#include <QDir>
#include <QFile>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QListView>
#include <QRegularExpression>
#include <QSet>
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

// Every topic anchor of every help page.
QSet<int> AllTopics() {
    QSet<int> topics;
    const QRegularExpression anchor(QStringLiteral("name=\"topic(\\d+)\""));
    for (const QString& name : QDir(QStringLiteral(":/help")).entryList({"*.html"})) {
        QFile file(QStringLiteral(":/help/") + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        for (auto it = anchor.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
            topics.insert(it.next().captured(1).toInt());
    }
    return topics;
}

TEST_F(ContextHelpTest, SearchForHelpOnOpensAKeywordIndexThatFindsEveryTopic) {
    window().action(kCmdHelpSearch)->trigger();
    ASSERT_NE(ShownHelp(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(ShownHelp()->window()));
    auto* filter = ShownHelp()->window()->findChild<QLineEdit*>("helpIndexFilter");
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), filter);
    QHelpEngine* engine = HelpCollection::Instance()->engine();
    QHelpIndexModel* model = engine->indexModel();
    // The index is made in the background after the collection is set up.
    for (int i = 0; i < 600 && model->rowCount() == 0; ++i) QTest::qWait(50);
    ASSERT_GT(model->rowCount(), 0);
    // A swatch's keyword, typed in part, leads to its topic.
    QTest::keyClicks(filter, QStringLiteral("Transparent colour (Par"));
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_EQ(HelpPage(), "qrc:/help/topics.html#topic69");
    // Every topic that F1 can open is in the index.
    QSet<int> indexed;
    filter->clear();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (const QHelpLink& link :
             engine->documentsForKeyword(model->index(row).data().toString())) {
            if (link.url.fragment().startsWith(QLatin1String("topic")))
                indexed.insert(link.url.fragment().mid(5).toInt());
        }
    }
    for (const int topic : AllTopics()) EXPECT_TRUE(indexed.contains(topic)) << topic;
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
