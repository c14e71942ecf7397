#include "list/ListActions.h"
#include "list/ListModel.h"
#include "list/ListQuery.h"

#include <QTest>

// The list window's statement as its header controls and title clicks build
// it, and the fixed texts around it. No database: these are the texts.
class TestListQuery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void statement_data();
    void statement();
    void holdsNoteStatement();
    void sortClicks_data();
    void sortClicks();
    void searchPatternKeepsWildcards_data();
    void searchPatternKeepsWildcards();
    void changeStatements_data();
    void changeStatements();
    void cellFormats_data();
    void cellFormats();
    void excerpt_data();
    void excerpt();
};

namespace {
const QString Select = QStringLiteral("select * from VW_FUSEN");
const QString Where = QStringLiteral("where (USERID = :USERID)");
const QString TitleOnly = QStringLiteral(" and (UPPER(TITLE) like UPPER(:SEARCH))");
const QString TitleAndBody = QStringLiteral(
    " and ((UPPER(TITLE) like UPPER(:SEARCH)) or (UPPER(MEMO) like UPPER(:SEARCH)))");
const QString Type = QStringLiteral(" and FTYPE = :FTYPE");
const QString Group = QStringLiteral(" and FGROUP = :FGROUP");
const QString Open = QStringLiteral(" and COMPLETED = 0");

TListSort sortAfter(const QString& clicks)
{
    TListSort s;
    for (const QString& field : clicks.split(u',', Qt::SkipEmptyParts))
        s.ClickColumn(field);
    return s;
}
} // namespace

void TestListQuery::statement_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("body");
    QTest::addColumn<int>("type");  // -1: every type
    QTest::addColumn<int>("group"); // -1: every group
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QString>("clicks"); // column fields clicked, in order
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("initial controls") << "" << false << -1 << -1 << false << ""
                                      << QStringList{Select, Where, Open, "order by STIME asc"};
    QTest::newRow("completed shown") << "" << false << -1 << -1 << true << ""
                                     << QStringList{Select, Where, "order by STIME asc"};
    QTest::newRow("title search") << "会議" << false << -1 << -1 << false << ""
                                  << QStringList{Select, Where, TitleOnly, Open,
                                                 "order by STIME asc"};
    QTest::newRow("title and body search")
        << "abc" << true << -1 << -1 << true << ""
        << QStringList{Select, Where, TitleAndBody, "order by STIME asc"};
    QTest::newRow("body chosen but empty field")
        << "" << true << -1 << -1 << true << "" << QStringList{Select, Where, "order by STIME asc"};
    QTest::newRow("type only") << "" << false << 3 << -1 << false << ""
                               << QStringList{Select, Where, Type, Open, "order by STIME asc"};
    QTest::newRow("group 0 is a group")
        << "" << false << -1 << 0 << false << ""
        << QStringList{Select, Where, Group, Open, "order by STIME asc"};
    QTest::newRow("eight lines: title, type, group, open, by type")
        << "x" << false << 2 << 5 << false << "TYPENAME"
        << QStringList{Select, Where, TitleOnly, Type, Group, Open, "order by FTYPE asc", ",STIME"};
    QTest::newRow("everything, by group descending")
        << "x" << true << 2 << 5 << true << "GROUPNAME,GROUPNAME"
        << QStringList{Select, Where, TitleAndBody, Type, Group, "order by FGROUP desc", ",STIME"};
    QTest::newRow("by title after type: no second line")
        << "" << false << -1 << -1 << false << "TYPENAME,TITLE"
        << QStringList{Select, Where, Open, "order by TITLE asc"};
    QTest::newRow("by date descending") << "" << false << -1 << -1 << false << "STIME"
                                        << QStringList{Select, Where, Open, "order by STIME desc"};
}

void TestListQuery::statement()
{
    QFETCH(QString, search);
    QFETCH(bool, body);
    QFETCH(int, type);
    QFETCH(int, group);
    QFETCH(bool, completed);
    QFETCH(QString, clicks);
    QFETCH(QStringList, lines);
    TListFilter f;
    f.UserID = QStringLiteral("DefaultUser");
    f.SearchText = search;
    f.SearchBody = body;
    if (type >= 0)
        f.TypeID = type;
    if (group >= 0)
        f.GroupID = group;
    f.ShowCompleted = completed;
    QCOMPARE(BuildListSql(f, sortAfter(clicks)), lines);
}

void TestListQuery::holdsNoteStatement()
{
    TListFilter f;
    f.SearchText = QStringLiteral("x");
    f.SearchBody = true;
    f.GroupID = 0;
    QCOMPARE(BuildHoldsNoteSql(f), (QStringList{"select IDKEY from VW_FUSEN", Where, TitleAndBody,
                                                Group, Open, " and IDKEY = :IDKEY"}));
}

void TestListQuery::sortClicks_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("second");

    QTest::newRow("initial") << ""
                             << "STIME"
                             << "asc"
                             << "";
    QTest::newRow("date once: already the field") << "STIME"
                                                  << "STIME"
                                                  << "desc"
                                                  << "";
    QTest::newRow("date twice") << "STIME,STIME"
                                << "STIME"
                                << "asc"
                                << "";
    QTest::newRow("type once") << "TYPENAME"
                               << "FTYPE"
                               << "asc"
                               << "STIME";
    QTest::newRow("type twice") << "TYPENAME,TYPENAME"
                                << "FTYPE"
                                << "desc"
                                << "STIME";
    QTest::newRow("type three times") << "TYPENAME,TYPENAME,TYPENAME"
                                      << "FTYPE"
                                      << "asc"
                                      << "STIME";
    QTest::newRow("group twice") << "GROUPNAME,GROUPNAME"
                                 << "FGROUP"
                                 << "desc"
                                 << "STIME";
    QTest::newRow("type then group") << "TYPENAME,GROUPNAME"
                                     << "FGROUP"
                                     << "asc"
                                     << "STIME";
    QTest::newRow("type descending then title") << "TYPENAME,TYPENAME,TITLE"
                                                << "TITLE"
                                                << "asc"
                                                << "";
    QTest::newRow("priority twice") << "PRIORITY,PRIORITY"
                                    << "PRIORITY"
                                    << "desc"
                                    << "";
    QTest::newRow("memo after date descending") << "STIME,MEMO"
                                                << "MEMO"
                                                << "asc"
                                                << "";
}

void TestListQuery::sortClicks()
{
    QFETCH(QString, clicks);
    QFETCH(QString, field);
    QFETCH(QString, order);
    QFETCH(QString, second);
    const TListSort s = sortAfter(clicks);
    QCOMPARE(s.FSortField, field);
    QCOMPARE(s.FSortOrder, order);
    QCOMPARE(s.FSortSecond, second);
}

void TestListQuery::searchPatternKeepsWildcards_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("plain") << "会議"
                           << "%会議%";
    QTest::newRow("percent") << "a%b"
                             << "%a%b%";
    QTest::newRow("underscore") << "a_c"
                                << "%a_c%";
    QTest::newRow("quote stays data") << "O'Neil"
                                      << "%O'Neil%";
    QTest::newRow("outside any code page") << "🍣寿司"
                                           << "%🍣寿司%";
}

void TestListQuery::searchPatternKeepsWildcards()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QCOMPARE(SearchPattern(text), pattern);
}

void TestListQuery::changeStatements_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("complete") << int(TGridChange::Complete)
                              << QStringList{"update Fusen set COMPLETED=1",
                                             "where IDKEY = :IDKEY"};
    QTest::newRow("uncomplete") << int(TGridChange::UnComplete)
                                << QStringList{"update Fusen set COMPLETED=0",
                                               "where IDKEY = :IDKEY"};
    QTest::newRow("delete") << int(TGridChange::Delete)
                            << QStringList{"delete from Fusen", "where IDKEY = :IDKEY"};
}

void TestListQuery::changeStatements()
{
    QFETCH(int, change);
    QFETCH(QStringList, lines);
    QCOMPARE(GridChangeSql(static_cast<TGridChange>(change)), lines);
}

void TestListQuery::cellFormats_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("priority") << 87.0 << "87";
    QTest::newRow("thousands") << 1234.0 << "1,234";
    QTest::newRow("millions") << 1234567.0 << "1,234,567";
    QTest::newRow("one decimal") << 1234.56 << "1,234.6";
    QTest::newRow("negative") << -5.0 << "-5";
}

void TestListQuery::cellFormats()
{
    QFETCH(double, number);
    QFETCH(QString, text);
    QCOMPARE(TListModel::FormatNumber(number), text);
    QCOMPARE(TListModel::FormatDateTime(TDateTime::fromDate(2026, 1, 5, 9, 7, 59)),
             QStringLiteral("2026/01/05 09:07"));
}

void TestListQuery::excerpt_data()
{
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("line");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("lines folded") << "牛乳\r\nパン\r\n\r\n卵\r\n"
                                  << "牛乳 パン 卵";
    QTest::newRow("leading blanks and tabs") << "\r\n\t  先頭"
                                             << "先頭";
    QTest::newRow("ideographic space is a space") << "a\u3000\u3000b"
                                                  << "a b";
    const QString longLine(200, u'あ');
    QTest::newRow("long") << longLine << QString(TListModel::ExcerptLength, u'あ') + u'…';
    QTest::newRow("exactly the length")
        << QString(TListModel::ExcerptLength, u'x') << QString(TListModel::ExcerptLength, u'x');
}

void TestListQuery::excerpt()
{
    QFETCH(QString, memo);
    QFETCH(QString, line);
    QCOMPARE(TListModel::Excerpt(memo), line);
}

QTEST_GUILESS_MAIN(TestListQuery)
#include "tst_listquery.moc"
