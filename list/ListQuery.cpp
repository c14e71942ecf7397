#include "ListQuery.h"

#include "db/DbConnection.h"

void TListSort::ClickColumn(const QString& field)
{
    QString key = field;
    if (field == QLatin1String("TYPENAME"))
        key = QStringLiteral("FTYPE");
    else if (field == QLatin1String("GROUPNAME"))
        key = QStringLiteral("FGROUP");
    // Equal keys are many: within one type or group the notes keep date order.
    FSortSecond = key != field ? QStringLiteral("STIME") : QString();
    if (key != FSortField)
        FSortOrder = QStringLiteral("asc");
    else
        FSortOrder =
            FSortOrder == QLatin1String("asc") ? QStringLiteral("desc") : QStringLiteral("asc");
    FSortField = key;
}

namespace {
// Steps 2 to 7 of the statement: the rows, without their order.
QStringList rowLines(const TListFilter& filter)
{
    QStringList sql;
    sql << QStringLiteral("select * from VW_FUSEN");
    sql << QStringLiteral("where (USERID = :USERID)");
    if (!filter.SearchText.isEmpty()) {
        if (filter.SearchBody)
            sql << QStringLiteral(" and ((UPPER(TITLE) like UPPER(:SEARCH)) or "
                                  "(UPPER(MEMO) like UPPER(:SEARCH)))");
        else
            sql << QStringLiteral(" and (UPPER(TITLE) like UPPER(:SEARCH))");
    }
    if (filter.TypeID)
        sql << QStringLiteral(" and FTYPE = :FTYPE");
    if (filter.GroupID)
        sql << QStringLiteral(" and FGROUP = :FGROUP");
    if (!filter.ShowCompleted)
        sql << QStringLiteral(" and COMPLETED = 0");
    return sql;
}
} // namespace

QStringList BuildListSql(const TListFilter& filter, const TListSort& sort)
{
    QStringList sql = rowLines(filter);
    sql << QStringLiteral("order by ") + sort.FSortField + u' ' + sort.FSortOrder;
    if (!sort.FSortSecond.isEmpty())
        sql << u',' + sort.FSortSecond;
    return sql;
}

QStringList BuildHoldsNoteSql(const TListFilter& filter)
{
    QStringList sql = rowLines(filter);
    sql[0] = QStringLiteral("select IDKEY from VW_FUSEN");
    sql << QStringLiteral(" and IDKEY = :IDKEY");
    return sql;
}

QString SearchPattern(const QString& text)
{
    // Bound as Unicode: a detour through a legacy code page would turn every
    // character outside it into "?" and search for something else.
    return u'%' + text + u'%';
}

void BindListParams(TDbQuery& q, const TListFilter& filter)
{
    q.setParam(QStringLiteral("USERID"), filter.UserID);
    if (!filter.SearchText.isEmpty())
        q.setParam(QStringLiteral("SEARCH"), SearchPattern(filter.SearchText));
    if (filter.TypeID)
        q.setParam(QStringLiteral("FTYPE"), *filter.TypeID);
    if (filter.GroupID)
        q.setParam(QStringLiteral("FGROUP"), *filter.GroupID);
}
