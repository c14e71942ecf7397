#include "DesktopSelect.h"

#include "types/FusenGroup.h"

QStringList DesktopSelectLines(const TFusenGroup& groups)
{
    QStringList sql{QStringLiteral("select * from VW_Fusen where USERID=:USERID"),
                    QStringLiteral("and (COMPLETED=0 or (COMPLETED=1 and ANCHOR=1))"),
                    QStringLiteral("and PRIORITY > :LOWPRIORITY")};
    if (groups.HasMixedVisibility()) {
        // Keys are integers from our own list, so quoting them is safe.
        QStringList keys;
        for (int32_t id : groups.VisibleIDs())
            keys << u'\'' + QString::number(id) + u'\'';
        sql << QStringLiteral("and FGROUP in (") + keys.join(u',') + u')';
    }
    sql << QStringLiteral("order by ANCHOR desc,PRIORITY desc,STIME desc");
    return sql;
}

bool StaysPeeledOff(const TPeeledList& list, int32_t id, int priority)
{
    for (const TPeeledEntry& e : list)
        if (e.IDKey == id)
            return e.Priority >= priority;
    return false;
}

bool RemoveFirstPeeled(TPeeledList& list, int32_t id)
{
    for (int i = 0; i < list.size(); ++i)
        if (list[i].IDKey == id) {
            list.removeAt(i);
            return true;
        }
    return false;
}
