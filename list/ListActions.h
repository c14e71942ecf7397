#pragma once

#include <QList>
#include <QStringList>
#include <cstdint>

class TdbmBase;

// The changes the list window makes to the notes of its selected rows.
enum class TGridChange
{
    Complete,
    UnComplete,
    Delete,
};

QStringList GridChangeSql(TGridChange change);

// Runs the change for every key in one unit of work of the module: either
// every note changes or, on an error, none does and the error is thrown
// again (the module has shown it).
void ApplyGridChange(TdbmBase& db, TGridChange change, const QList<int32_t>& keys);
