#include "TypeList.h"

#include "db/DBModBase.h"

void TTypeList::Reload(TdbmBase& db)
{
    QList<TTypeEntry> items;
    db.BeginWork();
    try {
        TDbQuery q(db.UpdateTransaction(),
                   QStringList{QStringLiteral("select IDKEY,LABEL from FusenType order by IDKEY")});
        q.open();
        while (q.next())
            items << TTypeEntry{q.field(QStringLiteral("IDKEY")).asInt(),
                                q.field(QStringLiteral("LABEL")).asString()};
    } catch (...) {
        db.CommitWork();
        throw;
    }
    db.CommitWork();
    FItems = items;
}

int TTypeList::indexOfID(int32_t id) const
{
    for (int i = 0; i < FItems.size(); ++i)
        if (FItems[i].IDKEY == id)
            return i;
    return -1;
}
