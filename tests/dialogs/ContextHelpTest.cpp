// Help buttons, F1 and What's This lead to pages and topics that exist, and F1 on a
// focused field of a dialog opened from the editor opens that field's topic.

#include <QDir>
#include <QFile>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QListView>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QSlider>
#include <QTextBrowser>
#include <QWhatsThis>
#include <functional>

#include "dialogs/AviLoadDialog.h"
#include "dialogs/BannerDialog.h"
#include "dialogs/CommentDialog.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/EffectDialog.h"
#include "dialogs/ExportAllDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/ParametersWindow.h"
#include "dialogs/ResizeDialog.h"
#include "shell/HelpCollection.h"
#include "shell/HelpWindow.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;

namespace {

// Every topic anchor of every help page, with its page.
QMap<int, QString> AllTopics() {
    QMap<int, QString> topics;
    const QRegularExpression anchor(QStringLiteral("name=\"topic(\\d+)\""));
    for (const QString& name : QDir(QStringLiteral(":/help")).entryList({"*.html"})) {
        QFile file(QStringLiteral(":/help/") + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        for (auto it = anchor.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
            topics.insert(it.next().captured(1).toInt(), name);
    }
    return topics;
}

void CloseHelp() {
    if (QTextBrowser* b = ShownHelp()) b->window()->close();
    QApplication::processEvents();
}

// The shown help window's part with this object name.
template <typename T>
T* HelpPart(const char* name) {
    QTextBrowser* browser = ShownHelp();
    return browser ? browser->window()->findChild<T*>(QString::fromLatin1(name)) : nullptr;
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
// a topic gives the window's own page.
TEST_F(ContextHelpTest, F1OnAFocusedFieldOpensItsTopic) {
    testing_support::TempFolder videos;
    const QString video = QString::fromStdString(
        testing_support::MakeVideo(videos, "clip.avi", "testsrc2", 64, 48, 4, 10));
    ASSERT_TRUE(openGif({10, 10}));
    using Field = std::function<QWidget*(QWidget&)>;
    const auto command = [this](int id) { return [this, id] { window().action(id)->trigger(); }; };
    struct Row {
        const char* name;
        std::function<void()> open;
        Field field;
        const char* page;
        bool toolWindow = false;  // the parameters window: not modal
    };
    const Row rows[] = {
        {"banner text", command(kCmdBannerText),
         [](QWidget& w) { return static_cast<BannerDialog&>(w).field(1018); },
         "qrc:/help/banner-dialog.html#topic78"},
        {"banner shadow thickness", command(kCmdBannerText),
         [](QWidget& w) { return static_cast<BannerDialog&>(w).field(1024); },
         "qrc:/help/banner-dialog.html#topic83"},
        {"banner OK", command(kCmdBannerText),
         [](QWidget& w) { return w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok); },
         "qrc:/help/banner-dialog.html"},
        {"effect frames", command(kCmdInsertEffect),
         [](QWidget& w) { return static_cast<EffectDialog&>(w).frameCountEdit(); },
         "qrc:/help/topics.html#topic43"},
        {"comment", command(kCmdComment),
         [](QWidget& w) { return static_cast<CommentDialog&>(w).field(); },
         "qrc:/help/topics.html#topic97"},
        {"options JPEG slider", command(kCmdOptions),
         [](QWidget& w) { return static_cast<OptionsDialog&>(w).jpegSlider(); },
         "qrc:/help/topics.html#topic59"},
        {"options reactivate", command(kCmdOptions),
         [](QWidget& w) { return static_cast<OptionsDialog&>(w).reactivateButton(); },
         "qrc:/help/topics.html#topic93"},
        {"parameters delay", command(kCmdParameters),
         [](QWidget& w) { return static_cast<ParametersWindow&>(w).field(1024); },
         "qrc:/help/topics.html#topic70", true},
        // Windows with a page but no field topics: F1 opens the page.
        {"palette OK", [this] { window().parametersWindow()->button(1023)->click(); },
         [](QWidget& w) { return w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok); },
         "qrc:/help/palette-dialog.html"},
        {"export all pattern", command(kCmdExportAll),
         [](QWidget& w) { return static_cast<ExportAllDialog&>(w).patternEdit(); },
         "qrc:/help/export-all-images.html"},
        // Windows without a page: F1 opens nothing (the main window's F1 stays there).
        {"resize width", command(kCmdResize),
         [](QWidget& w) { return static_cast<ResizeDialog&>(w).widthEdit(); }, ""},
        {"load AVI count", [&] { editor.open(video); },
         [](QWidget& w) {
             auto& d = static_cast<AviLoadDialog&>(w);
             d.loadAllBox()->setChecked(false);
             return d.countEdit();
         },
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString page = QStringLiteral("(not asked)");
        const auto pressF1 = [&](QWidget& shown) {
            if (!Activate(*shown.window())) return (void)(page = "(not active)");
            QWidget* field = row.field(shown);
            field->setFocus();
            if (QApplication::focusWidget() != field) return (void)(page = "(no focus)");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
            page = HelpPage();
            CloseHelp();
        };
        if (row.toolWindow) {
            row.open();
            ASSERT_NE(window().parametersWindow(), nullptr);
            pressF1(*window().parametersWindow());
        } else {
            bool opened = false;
            QTimer* watch = WhenModal<QDialog>([&](QDialog& dialog) {
                opened = true;
                pressF1(dialog);
                dialog.reject();
            });
            row.open();
            if (!opened) delete watch;  // nothing opened: the check below fails
        }
        EXPECT_EQ(page, QString::fromLatin1(row.page));
        if (ShownHelp()) CloseHelp();
    }
}

TEST_F(ContextHelpTest, SearchForHelpOnOpensAKeywordIndexThatFindsFieldsOfEveryWindow) {
    window().action(kCmdHelpSearch)->trigger();
    ASSERT_NE(ShownHelp(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(ShownHelp()->window()));
    auto* filter = HelpPart<QLineEdit>("helpIndexFilter");
    auto* index = HelpPart<QListView>("helpIndex");
    ASSERT_NE(filter, nullptr);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), filter);
    QHelpIndexModel* model = HelpCollection::Instance()->engine()->indexModel();
    // The index is made in the background after the collection is set up.
    for (int i = 0; i < 600 && model->rowCount() == 0; ++i) QTest::qWait(50);
    ASSERT_GT(model->rowCount(), 0);

    // A field of the banner window, a read-only field and a swatch of the parameters
    // window: each is in the index and leads to its topic.
    const struct {
        const char* typed;
        const char* page;
    } cases[] = {{"Shadow Thickness", "qrc:/help/banner-dialog.html#topic83"},
                 {"Text Y Offset", "qrc:/help/banner-dialog.html#topic86"},
                 {"Width (animation)", "qrc:/help/topics.html#topic47"},
                 {"Transparent colour (Par", "qrc:/help/topics.html#topic69"}};
    for (const auto& c : cases) {
        filter->selectAll();
        QTest::keyClicks(filter, QString::fromLatin1(c.typed));
        EXPECT_GT(index->model()->rowCount(), 0) << c.typed;
        QTest::keyClick(filter, Qt::Key_Return);
        EXPECT_EQ(HelpPage(), QString::fromLatin1(c.page)) << c.typed;
    }

    // Every topic that F1 can open is in the index.
    QHelpEngine* engine = HelpCollection::Instance()->engine();
    QSet<int> indexed;
    filter->clear();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (const QHelpLink& link :
             engine->documentsForKeyword(model->index(row).data().toString())) {
            if (link.url.fragment().startsWith(QLatin1String("topic")))
                indexed.insert(link.url.fragment().mid(5).toInt());
        }
    }
    for (const int topic : AllTopics().keys())
        EXPECT_TRUE(indexed.contains(topic)) << "topic " << topic;
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
