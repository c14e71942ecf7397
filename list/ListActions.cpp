#include "ListActions.h"

#include "db/DBModBase.h"

QStringList GridChangeSql(TGridChange change)
{
    switch (change) {
    case TGridChange::Complete:
        return {QStringLiteral("update Fusen set COMPLETED=1"),
                QStringLiteral("where IDKEY = :IDKEY")};
    case TGridChange::UnComplete:
        return {QStringLiteral("update Fusen set COMPLETED=0"),
                QStringLiteral("where IDKEY = :IDKEY")};
    case TGridChange::Delete:
        return {QStringLiteral("delete from Fusen"), QStringLiteral("where IDKEY = :IDKEY")};
    }
    return {};
}

void ApplyGridChange(TdbmBase& db, TGridChange change, const QList<int32_t>& keys)
{
    db.BeginWork();
    try {
        TDbQuery q(db.UpdateTransaction(), GridChangeSql(change));
        for (const int32_t key : keys) {
            q.setParam(QStringLiteral("IDKEY"), key);
            q.execute();
        }
        db.CommitWork();
    } catch (...) {
        try {
            db.RollbackWork();
        } catch (...) {
            // the first error is the one worth reporting; this one was shown
        }
        throw;
    }
}
