#pragma once

#include "platform/DateTime.h"

#include <QList>
#include <QString>
#include <QStringList>

// A backup file that could recreate a missing database.
struct TRestoreCandidate
{
    QString path;
    TDateTime stamp; // the file's last-write time

    friend bool operator==(const TRestoreCandidate&, const TRestoreCandidate&) = default;
};

// Candidates sorted by path text, each path once.
class TRestoreCandidates
{
public:
    // Appends every plain file of folder matching mask ("*.FBK"), as the
    // folder, a separator and the file name; returns the number added. A
    // folder that cannot be searched adds nothing.
    int FindBackupFiles(const QString& folder, const QString& mask);
    void add(const TRestoreCandidate& c);

    const QList<TRestoreCandidate>& items() const { return FItems; }
    int count() const { return FItems.size(); }
    bool isEmpty() const { return FItems.isEmpty(); }

    // True when the only candidate is the initial backup shipped with the
    // program: a fresh installation, restored without asking.
    bool isOnlyInitialBackup() const;

    // The picker's lines, "yyyy/mm/dd hh:nn:ss | path", newest first; tags[i]
    // is the candidate index of lines[i].
    void pickerLines(QStringList& lines, QList<int>& tags) const;

private:
    QList<TRestoreCandidate> FItems;
};

// The folders searched for backups, in order: the backup folder setting, the
// database folder, the program's folder (empty entries skipped).
QStringList RestoreSearchFolders(const QString& backupFolder, const QString& dbFolder,
                                 const QString& programFolder);
