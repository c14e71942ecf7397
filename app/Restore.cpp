#include "Restore.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <numeric>

int TRestoreCandidates::FindBackupFiles(const QString& folder, const QString& mask)
{
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return 0;
    const QFileInfoList files =
        dir.entryInfoList({mask}, QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    int added = 0;
    QString base = folder;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    for (const QFileInfo& f : files) {
        // Backups are named in upper case ("KWIL_E.FBK"); match the mask
        // without regard to case as the file systems they came from did.
        add({base + u'/' + f.fileName(), TDateTime::fromQDateTime(f.lastModified())});
        ++added;
    }
    return added;
}

void TRestoreCandidates::add(const TRestoreCandidate& c)
{
    auto pos = std::lower_bound(
        FItems.begin(), FItems.end(), c,
        [](const TRestoreCandidate& a, const TRestoreCandidate& b) { return a.path < b.path; });
    if (pos != FItems.end() && pos->path == c.path)
        return;
    FItems.insert(pos, c);
}

bool TRestoreCandidates::isOnlyInitialBackup() const
{
    return FItems.size() == 1 &&
           FItems.first().path.toUpper().contains(QStringLiteral("INITIALDB.FBK"));
}

void TRestoreCandidates::pickerLines(QStringList& lines, QList<int>& tags) const
{
    QStringList text;
    for (const TRestoreCandidate& c : FItems)
        text << c.stamp.format(QStringLiteral("yyyy/mm/dd hh:nn:ss")) + QStringLiteral(" | ") +
                    c.path;
    QList<int> order(FItems.size());
    std::iota(order.begin(), order.end(), 0);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collator.compare(text[a], text[b]) > 0; });
    lines.clear();
    tags.clear();
    for (int i : order) {
        lines << text[i];
        tags << i;
    }
}

QStringList RestoreSearchFolders(const QString& backupFolder, const QString& dbFolder,
                                 const QString& programFolder)
{
    QStringList out;
    for (const QString& f : {backupFolder, dbFolder, programFolder})
        if (!f.isEmpty())
            out << f;
    return out;
}
