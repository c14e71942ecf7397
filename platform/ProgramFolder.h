#pragma once

#include <QString>

// The folder of the program file, where the settings file, the database, its
// backups and the initial backup live by default. Resolved from the running
// process, never from the current directory. Tests point it elsewhere.
class TProgramFolder
{
public:
    // The folder, without a trailing separator.
    static QString path();
    // The program file's full path (the running executable).
    static QString programFile();
    // A file in the folder.
    static QString file(const QString& name);
    // The settings file, "Kwil.ini" in the folder.
    static QString settingsFile();

    // Makes path() answer dir (and programFile() dir/kwil) until reset with
    // an empty text.
    static void setOverride(const QString& dir);
};
