// Help buttons and F1 context help lead to pages and topics that exist.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QWhatsThis>

#include "ModalScript.h"
#include "banner/BannerSettings.h"
#include "dialogs/BannerDialog.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/OptionsDialog.h"
#include "shell/CommandIds.h"
#include "shell/HelpCollection.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/SettingsStore.h"

using namespace dialog_testing;

namespace {

QSet<int> TopicAnchors() {
    QFile file(QStringLiteral(":/help/topics.html"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QSet<int> topics;
    const QRegularExpression anchor(QStringLiteral("name=\"topic(\\d+)\""));
    for (auto it = anchor.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
        topics.insert(it.next().captured(1).toInt());
    return topics;
}

}  // namespace

TEST(ContextHelpTest, EveryKeywordTheDialogsUseHasItsPage) {
    for (const char* keyword :
         {"Contents", "Key Bindings", "How To Use Help", "Select Effect/Transition Dialog",
          "Options Dialog", "Parameters Dialog", "Palette Dialog", "Banner Dialog",
          "Export All Images", "Comment Dialog", "Files"}) {
        EXPECT_TRUE(ShowHelp(nullptr, QString::fromLatin1(keyword))) << keyword;
    }
    ShowHelp(nullptr, QStringLiteral("Select Effect/Transition Dialog"));
    EXPECT_EQ(HelpPage(), "qrc:/help/select-effect-transition-dialog.html");
    EXPECT_FALSE(ShowHelp(nullptr, QStringLiteral("No Such Dialog")));
}

TEST(ContextHelpTest, EveryFieldTopicHasItsEntry) {
    const QSet<int> topics = TopicAnchors();
    // Options, effect selection, parameters, save/export panels and the comment field.
    for (int topic :
         {29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51,
          52, 53, 54, 55, 56, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 93, 95, 96, 97}) {
        EXPECT_TRUE(topics.contains(topic)) << topic;
    }
}

TEST(ContextHelpTest, F1OnAFieldOpensItsTopicAndElsewhereTheDialogPage) {
    AppSettings settings;
    OptionsDialog dialog(nullptr, settings);
    dialog.show();
    dialog.previewFramesEdit()->setFocus();
    QTest::keyClick(dialog.previewFramesEdit(), Qt::Key_F1);
    EXPECT_EQ(HelpPage(), "qrc:/help/topics.html#topic32");
    dialog.reactivateButton()->setFocus();
    QTest::keyClick(dialog.reactivateButton(), Qt::Key_F1);
    EXPECT_EQ(HelpPage(), "qrc:/help/topics.html#topic93");

    // A control without a topic: the dialog's own page.
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_F1);
    EXPECT_EQ(HelpPage(), "qrc:/help/options-dialog.html");
    buttons->button(QDialogButtonBox::Help)->click();
    EXPECT_EQ(HelpPage(), "qrc:/help/options-dialog.html");
}

namespace {

// The shown help window's part with this object name.
template <typename T>
T* HelpPart(const char* name) {
    QTextBrowser* browser = ShownHelp();
    return browser ? browser->window()->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

// Every topic anchor of every help page, with the page.
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

class HelpSearchTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (QTextBrowser* b = ShownHelp()) b->window()->close();
        QApplication::processEvents();
    }
};

}  // namespace

TEST_F(HelpSearchTest, SearchForHelpOnOpensAKeywordIndexThatFindsFieldsOfEveryWindow) {
    MainWindow window;
    window.show();
    window.action(kCmdHelpSearch)->trigger();
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
    const QMap<int, QString> topics = AllTopics();
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
    for (auto it = topics.cbegin(); it != topics.cend(); ++it)
        EXPECT_TRUE(indexed.contains(it.key())) << "topic " << it.key();
    window.close();
}

TEST_F(HelpSearchTest, WhatsThisReachesFieldsThatTakeNoFocus) {
    BannerBlock block;
    AnimationDocument* none = nullptr;
    BannerDialog banner(nullptr, none, block);
    banner.show();
    banner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&banner));
    // The preview takes no focus: Shift+F1, then a click on it, opens its topic.
    banner.field(1018)->setFocus();
    QTest::keyClick(banner.field(1018), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
    auto* preview = banner.findChild<QWidget*>(QStringLiteral("Banner Preview Class"));
    ASSERT_NE(preview, nullptr);
    QTest::mouseClick(preview, Qt::LeftButton);
    EXPECT_EQ(HelpPage(), "qrc:/help/banner-dialog.html#topic76");
    EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
    banner.reject();
}
