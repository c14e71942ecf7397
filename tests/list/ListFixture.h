#pragma once

#include "platform/DateTime.h"

#include <QList>
#include <QString>
#include <cstdint>

class TdbmNotes;
class TestDatabase;

// Notes written straight into a test database, for the list tests.
struct TNoteSpec
{
    QString title;
    QString memo;
    TDateTime stime = TDateTime::fromDate(2026, 1, 1, 9, 0);
    bool completed = false;
    bool anchor = false;
    int32_t type = 1;
    int32_t group = 0;
    QString user = QStringLiteral("DefaultUser");
};

// Inserts the note and returns its key.
int32_t AddNote(TdbmNotes& m, const TNoteSpec& n);
// Inserts count plain notes of user, one minute apart; returns their keys.
QList<int32_t> AddNotes(TdbmNotes& m, int count, const QString& user, const QString& prefix);
// A note's COMPLETED, or -1 when the note is gone.
int CompletedOf(TdbmNotes& m, int32_t id);
// Makes every update or delete of a note titled "fail" raise an error.
void AddFailingTrigger(TestDatabase& db);
