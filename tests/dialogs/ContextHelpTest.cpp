// Help buttons and F1 context help lead to pages and topics that exist.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#include "ModalScript.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/OptionsDialog.h"
#include "shell/HelpWindow.h"
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
