// Settings in their store and the recent-file list.
#include <gtest/gtest.h>
#include <QSettings>

#include "app/SettingsStore.h"
#include "shell/RecentFiles.h"
#include "support/UserTask.h"

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    testing_support::TempFolder folder;
    QString file() const { return QString::fromStdString(folder.file("settings.ini")); }
};

TEST_F(SettingsTest, FirstRunWritesEveryDefault) {
    QSettings store(file(), QSettings::IniFormat);
    const AppSettings a = SettingsStore::Load(store, 1200, 600);
    EXPECT_EQ(a.gifCompression, 0xF0F0F0u);
    EXPECT_EQ(a.path, "N/A");
    EXPECT_EQ(a.winRect.fields,
              (std::array<int32_t, 11>{44, 0, 5, 0, 0, 0, 0, 200, 100, 1000, 500}));
    QSettings again(file(), QSettings::IniFormat);
    EXPECT_EQ(again.value("WinRect").toByteArray().size(), 44);
}

TEST_F(SettingsTest, MissingAndBadValuesTakeTheirDefaults) {
    {
        QSettings store(file(), QSettings::IniFormat);
        store.setValue("Preview", 0);
        store.setValue("Gif Compression", 0x123456);  // not one of the five masks
        store.setValue("Gif Lossy", 201);             // past the slider
        store.setValue("PreviewFrames", 5000000);
        store.setValue("Undo Steps", 0);           // no undo at all is not a choice
        store.setValue("Undo Memory MiB", 70000);  // more than a desktop has
        store.setValue("Thumbnail Size", 4);       // too small to show anything
        store.setValue("WinRect", QByteArray(12, 'x'));
        store.setValue("History File 0", "/a.gif");
        store.setValue("History File 2", "/c.gif");  // after a gap: not read
    }
    QSettings store(file(), QSettings::IniFormat);
    const AppSettings a = SettingsStore::Load(store, 600, 600);
    EXPECT_EQ(a.preview, 0u);
    EXPECT_EQ(a.jpegCompression, 75u);  // missing
    EXPECT_EQ(a.gifCompression, 0xF0F0F0u);
    EXPECT_EQ(a.gifLossy, 0u);
    EXPECT_EQ(a.previewFrames, 10u);
    EXPECT_EQ(a.undoSteps, 100u);
    EXPECT_EQ(a.undoMemoryMiB, 512u);
    EXPECT_EQ(a.thumbnailSize, 64u);
    EXPECT_EQ(a.winRect.length(), 44);
    EXPECT_EQ(a.winRect.left(), 100);
    EXPECT_EQ(a.history, QStringList{"/a.gif"});
}

TEST(RecentFiles, MostRecentFirstWithFiveEntries) {
    RecentFiles recent;
    for (const char* p : {"/1.gif", "/2.gif", "/3.gif", "/4.gif", "/5.gif"}) recent.Add(p);
    EXPECT_EQ(recent.entries(), (QStringList{"/5.gif", "/4.gif", "/3.gif", "/2.gif", "/1.gif"}));
    recent.Add("/6.gif");  // the oldest drops out
    EXPECT_EQ(recent.entries(), (QStringList{"/6.gif", "/5.gif", "/4.gif", "/3.gif", "/2.gif"}));
    recent.Add("/4.GIF");  // same file, other case: moves to the top
    EXPECT_EQ(recent.entries(), (QStringList{"/4.GIF", "/6.gif", "/5.gif", "/3.gif", "/2.gif"}));
    EXPECT_EQ(recent.label(2), "&3 /5.gif\tAlt+3");
    recent.Remove("/5.GIF");
    EXPECT_EQ(recent.entries(), (QStringList{"/4.GIF", "/6.gif", "/3.gif", "/2.gif"}));
    recent.Add("/Tom & Jerry/a.gif");  // a '&' of the path is shown, not a mnemonic
    EXPECT_EQ(recent.label(0), "&1 /Tom && Jerry/a.gif\tAlt+1");
}

}  // namespace
