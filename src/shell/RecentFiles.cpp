#include "shell/RecentFiles.h"

RecentFiles::RecentFiles(QStringList entries) {
    for (const QString& e : entries) {
        if (e.isEmpty() || entries_.size() == kMaxEntries) break;
        entries_.append(e);
    }
}

int RecentFiles::indexOf(const QString& path) const {
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i].compare(path, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

void RecentFiles::Add(const QString& path) {
    if (path.isEmpty()) return;
    const int i = indexOf(path);
    if (i == 0) return;
    if (i > 0) entries_.removeAt(i);
    entries_.prepend(path.left(511));
    while (entries_.size() > kMaxEntries) entries_.removeLast();
}

void RecentFiles::Remove(const QString& path) {
    const int i = indexOf(path);
    if (i >= 0) entries_.removeAt(i);
}

QString RecentFiles::label(int k) const {
    // A '&' in the path is shown, not taken for a mnemonic.
    QString path = entries_.value(k);
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2\tAlt+%1").arg(k + 1).arg(path);
}
