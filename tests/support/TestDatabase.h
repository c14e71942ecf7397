#pragma once

#include "db/DBModFusen.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A fresh database made from the built initial backup
// ($KWIL_BUILD_DIR/bin/INITIALDB.FBK) in a temporary folder, removed again
// with the fixture, and a TdbmNotes connected to it:
//
//   TestPlatform platform;  // to read the error boxes
//   TestDatabase db;
//   TdbmNotes& m = db.module();
//
// The module is connected embedded as SYSDBA. Construction failures throw
// std::runtime_error with the reason (a missing backup names the build step).
class TestDatabase
{
public:
    explicit TestDatabase(bool connect = true);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    TdbmNotes& module() { return *FModule; }
    // The database file, its folder, and the settings to attach to it.
    QString path() const;
    QString folder() const { return FDir.path(); }
    TDbParams params() const;

    // Runs statements (lines joined) in a unit of work of the module, for
    // setting up test data.
    void exec(const QStringList& sql);
    // The first column of the first row of a select, as text (empty for none).
    QString scalar(const QStringList& sql);

    // Where the initial backup is expected.
    static QString initialBackup();

private:
    QTemporaryDir FDir;
    std::unique_ptr<TdbmNotes> FModule;
};
