#pragma once

#include <QString>
#include <QStringList>

// The five most recently loaded or saved files, most recent first. Paths that differ
// only in case are the same file.
class RecentFiles {
  public:
    static constexpr int kMaxEntries = 5;

    explicit RecentFiles(QStringList entries = {});
    const QStringList& entries() const { return entries_; }
    // Moves or puts the path at the top; the sixth distinct path drops the oldest.
    void Add(const QString& path);
    // Removes the path (when loading it failed); the later entries move up.
    void Remove(const QString& path);
    // Menu text of entry k: "&%d %s\tAlt+%d", with each '&' of the path doubled.
    QString label(int k) const;

  private:
    int indexOf(const QString& path) const;
    QStringList entries_;
};
