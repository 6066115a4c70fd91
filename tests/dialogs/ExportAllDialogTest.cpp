// "Export All Images": the checks on OK, and the command writing the numbered files.
#include <QDir>
#include <QRadioButton>

#include "app/SettingsStore.h"
#include "dialogs/ExportAllDialog.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using dialog_testing::WhenModal;

namespace {

class ExportAllDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ExportAllDialog::ResetKeptValues(); }
    AppSettings settings;
    testing_support::TempFolder folder;
    // A name in the test's folder.
    QString at(const char* name) const { return QString::fromStdString(folder.file(name)); }
};

TEST_F(ExportAllDialogTest, OkOffersTheGifExtensionAndChecksTheIndicators) {
    ExportAllDialog dialog(nullptr, settings, at("anim"), 2);
    dialog.show();
    auto seen = AnswerNextBox(Answer::Cancel);
    dialog.accept();
    EXPECT_EQ(seen->text, "Shall '.GIF' be added ?'");
    EXPECT_EQ(seen->caption, "Filename doesn't include extension");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.patternEdit()->text(), at("anim"));
    AnswerNextBox(Answer::Yes);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.pattern(), at("anim.GIF"));
    EXPECT_EQ(dialog.indicator(), 0);

    // Advanced: exactly one indicator character, found once per digit.
    ExportAllDialog advanced(nullptr, settings, at("img*x.gif"), 2);
    advanced.advancedRadio()->setChecked(true);
    advanced.show();
    const struct {
        const char* pattern;
        const char* indicator;
        const char* message;
    } refused[] = {
        {"img*x.gif", "", "Please specify exactly one character to be used as the indicator"},
        {"imgx.gif", "*", "Can't find Indicator in FileName"},
        {"img***x.gif", "*", "Found indicator 3 times, but only 2 occurrences allowed"},
    };
    for (const auto& r : refused) {
        advanced.patternEdit()->setText(at(r.pattern));
        advanced.indicatorEdit()->setText(QString::fromLatin1(r.indicator));
        seen = AnswerNextBox(Answer::Ok);
        advanced.accept();
        EXPECT_EQ(seen->text.toStdString(), r.message) << r.pattern;
        EXPECT_EQ(seen->caption, "Problems with Indicator");
        EXPECT_TRUE(advanced.isVisible()) << r.pattern;
    }
    advanced.patternEdit()->setText(at("img#x#.gif"));
    advanced.indicatorEdit()->setText(QStringLiteral("#"));
    advanced.accept();
    EXPECT_FALSE(advanced.isVisible());
    EXPECT_EQ(advanced.indicator(), '#');
    EXPECT_EQ(advanced.pattern(), at("img#x#.gif"));
}

class ExportAllCommandTest : public EditorTest {
  protected:
    void SetUp() override { ExportAllDialog::ResetKeptValues(); }
};

TEST_F(ExportAllCommandTest, TwelveFramesBecomeTwoDigitFiles) {
    std::vector<int> delays(12, 10);
    ASSERT_EQ(window().openFile(WriteGif(dir(), "a.gif", delays, 8, 6)), 0);
    const QString out = QDir(dir()).filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    const QString pattern = out + QStringLiteral("/anim.gif");
    WhenModal<ExportAllDialog>([&pattern](ExportAllDialog& d) {
        d.patternEdit()->setText(pattern);
        d.normalRadio()->setChecked(true);
        d.gifRadio()->setChecked(true);
        d.accept();
    });
    const auto done = AnswerNextBox(Answer::Ok);
    window().runCommand(kCmdExportAll);
    EXPECT_EQ(done->text, "Export of all images successful");
    QStringList names = QDir(out).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 12);
    EXPECT_EQ(names.first(), "anim00.gif");
    EXPECT_EQ(names.last(), "anim11.gif");
    EXPECT_EQ(window().settings().pathSave, pattern);
    EXPECT_FALSE(doc().busy);
}

}  // namespace
