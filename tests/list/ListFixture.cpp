#include "ListFixture.h"

#include "support/TestDatabase.h"

int32_t AddNote(TdbmNotes& m, const TNoteSpec& n)
{
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(),
               {"insert into FUSEN (USERID, FTYPE, FGROUP, TITLE, MEMO, STIME, ETIME,",
                " P_TOP, P_LEFT, P_WIDTH, P_HEIGHT, ANCHOR, COMPLETED)",
                "values (:USERID, :FTYPE, :FGROUP, :TITLE, :MEMO, :STIME, null,",
                " 100, 100, 300, 120, :ANCHOR, :COMPLETED) returning IDKEY"});
    q.setParam("USERID", n.user);
    q.setParam("FTYPE", n.type);
    q.setParam("FGROUP", n.group);
    q.setParam("TITLE", n.title);
    q.setParam("MEMO", n.memo);
    q.setParam("STIME", n.stime);
    q.setParam("ANCHOR", n.anchor);
    q.setParam("COMPLETED", n.completed);
    q.execute();
    const int32_t id = q.field("IDKEY").asInt();
    m.CommitWork();
    return id;
}

QList<int32_t> AddNotes(TdbmNotes& m, int count, const QString& user, const QString& prefix)
{
    QList<int32_t> ids;
    m.BeginWork();
    TDbQuery q(m.UpdateTransaction(),
               {"insert into FUSEN (USERID, FTYPE, FGROUP, TITLE, MEMO, STIME, ANCHOR, COMPLETED)",
                "values (:USERID, 1, 0, :TITLE, :MEMO, :STIME, 0, :COMPLETED) returning IDKEY"});
    const TDateTime start = TDateTime::fromDate(2025, 6, 1, 8, 0);
    for (int i = 0; i < count; ++i) {
        q.setParam("USERID", user);
        q.setParam("TITLE", QStringLiteral("%1 %2").arg(prefix).arg(i, 5, 10, QLatin1Char('0')));
        q.setParam("MEMO", QStringLiteral("一行目 %1\r\n二行目").arg(i));
        q.setParam("STIME", start.addDays(i / 1440.0));
        q.setParam("COMPLETED", i % 3 == 0);
        q.execute();
        ids << q.field("IDKEY").asInt();
    }
    m.CommitWork();
    return ids;
}

int CompletedOf(TdbmNotes& m, int32_t id)
{
    TDbQuery q(m.ReadTransaction(), {"select COMPLETED from FUSEN where IDKEY = :IDKEY"});
    q.setParam("IDKEY", id);
    q.open();
    return q.next() ? q.field(0).asInt() : -1;
}

void AddFailingTrigger(TestDatabase& db)
{
    db.exec({"create trigger TEST_FAIL for FUSEN active before update or delete position 10", "as",
             "begin", "  if (old.TITLE = 'fail') then",
             "    exception E_KWIL_PROTECTED 'test: this row refuses';", "end"});
}
