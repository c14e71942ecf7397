#include "ListFixture.h"
#include "list/ListActions.h"
#include "list/ListModel.h"
#include "list/ListQuery.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"

#include <QSet>
#include <QTest>

// The list statement against a real database: what the search, the filters
// and the sort deliver, how the grid's data set reads its rows, and the row
// changes being all or nothing.
class TestListData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void search_data();
    void search();
    void filters_data();
    void filters();
    void sortByKeyThenStart_data();
    void sortByKeyThenStart();
    void longestSearchText();

    void rowsArriveInBatches();
    void findKeyReadsOn();
    void closeReleasesEverything();
    void holdsNote_data();
    void holdsNote();

    void changesApply_data();
    void changesApply();
    void failingRowChangesNothing_data();
    void failingRowChangesNothing();

private:
    QList<int32_t> keys(const TListFilter& f, const TListSort& s = TListSort());
    QList<int32_t> named(const QStringList& names) const;

    TestPlatform* P = nullptr;
    TestDatabase* Db = nullptr;
    QHash<QString, int32_t> Ids;
    int32_t GroupB = 0;
};

void TestListData::initTestCase()
{
    P = new TestPlatform;
    Db = new TestDatabase;
    TdbmNotes& m = Db->module();
    Db->exec({"insert into FUSENGROUP (IDKEY, LABEL, VISIBLE) values (7, '仕事', 1)"});
    GroupB = 7;
    auto at = [](int day) { return TDateTime::fromDate(2026, 3, day, 10, 0); };
    struct
    {
        const char* name;
        TNoteSpec spec;
    } notes[] = {
        {"weekly", {"Weekly Report", "first body", at(1)}},
        {"fullwidth", {"ｒｅｐｏｒｔ　全角", "", at(2), false, false, 2}},
        {"meeting", {"会議の準備", "資料を印刷する", at(3)}},
        {"percent", {"100% 完了", "", at(4)}},
        {"underscore", {"a_c underscore", "", at(5)}},
        {"abc", {"abc plain", "", at(6), false, false, 3}},
        {"umlaut", {"Ärger über Äpfel", "", at(7), false, false, 3}},
        {"done", {"completed note", "", at(8), true, false}},
        {"doneAnchored", {"completed anchored", "", at(9), true, true}},
        {"other", {"Report of another user", "", at(10), false, false, 1, 0, "SomeoneElse"}},
        {"bodyOnly", {"本文だけ", "本文にだけ report がある", at(11), false, false, 1, 7}},
        {"kana", {"カタカナ", "キーワード ｱｲｳ", at(12), false, false, 2, 7}},
        {"openAnchored", {"anchored open", "", at(13), false, true}},
    };
    for (const auto& n : notes)
        Ids.insert(QString::fromLatin1(n.name), AddNote(m, n.spec));
}

void TestListData::cleanupTestCase()
{
    delete Db;
    delete P;
}

QList<int32_t> TestListData::keys(const TListFilter& f, const TListSort& s)
{
    TListModel model(Db->module());
    model.Open(f, s);
    model.FetchAll();
    QList<int32_t> out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << model.Row(r).IDKEY;
    return out;
}

QList<int32_t> TestListData::named(const QStringList& names) const
{
    QList<int32_t> out;
    for (const QString& n : names)
        out << Ids.value(n, -1);
    return out;
}

void TestListData::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("body");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QStringList>("expected"); // by STIME ascending

    QTest::newRow("ASCII, any case") << "rEpOrT" << false << false << QStringList{"weekly"};
    QTest::newRow("ASCII in bodies too")
        << "REPORT" << true << false << QStringList{"weekly", "bodyOnly"};
    QTest::newRow("full-width letters, other case")
        << "ＲＥＰＯＲＴ" << false << false << QStringList{"fullwidth"};
    QTest::newRow("Latin-1 letters, other case")
        << "äRGER ÜBER" << false << false << QStringList{"umlaut"};
    QTest::newRow("Japanese title") << "会議" << false << false << QStringList{"meeting"};
    QTest::newRow("Japanese body, titles only") << "資料" << false << false << QStringList{};
    QTest::newRow("Japanese body") << "資料" << true << false << QStringList{"meeting"};
    QTest::newRow("half-width kana in a body") << "ｱｲｳ" << true << false << QStringList{"kana"};
    // UPPER folds case only; width and kana kind are other characters.
    QTest::newRow("width is not folded") << "アイウ" << true << false << QStringList{};
    QTest::newRow("underscore is any one character")
        << "a_c" << false << false << QStringList{"underscore", "abc", "openAnchored"};
    QTest::newRow("percent is any run") << "0%完" << false << false << QStringList{"percent"};
    QTest::newRow("percent alone matches every title")
        << "%" << false << false
        << QStringList{"weekly", "fullwidth", "meeting",  "percent", "underscore",
                       "abc",    "umlaut",    "bodyOnly", "kana",    "openAnchored"};
    QTest::newRow("a quote is just a character") << "'" << true << true << QStringList{};
    QTest::newRow("completed hidden, anchored or not")
        << "completed" << false << false << QStringList{};
    QTest::newRow("completed shown")
        << "completed" << false << true << QStringList{"done", "doneAnchored"};
}

void TestListData::search()
{
    QFETCH(QString, text);
    QFETCH(bool, body);
    QFETCH(bool, completed);
    QFETCH(QStringList, expected);
    TListFilter f;
    f.UserID = QStringLiteral("DefaultUser");
    f.SearchText = text;
    f.SearchBody = body;
    f.ShowCompleted = completed;
    QCOMPARE(keys(f), named(expected));
    QVERIFY(P->errors.isEmpty());
}

void TestListData::filters_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("every open note of the user")
        << "DefaultUser" << -1 << -1 << false
        << QStringList{"weekly", "fullwidth", "meeting",  "percent", "underscore",
                       "abc",    "umlaut",    "bodyOnly", "kana",    "openAnchored"};
    QTest::newRow("another user") << "SomeoneElse" << -1 << -1 << true << QStringList{"other"};
    QTest::newRow("type") << "DefaultUser" << 3 << -1 << false << QStringList{"abc", "umlaut"};
    QTest::newRow("group") << "DefaultUser" << -1 << 7 << false << QStringList{"bodyOnly", "kana"};
    QTest::newRow("type and group") << "DefaultUser" << 2 << 7 << false << QStringList{"kana"};
    QTest::newRow("group 0 with completed")
        << "DefaultUser" << 1 << 0 << true
        << QStringList{"weekly", "meeting",      "percent",     "underscore",
                       "done",   "doneAnchored", "openAnchored"};
}

void TestListData::filters()
{
    QFETCH(QString, user);
    QFETCH(int, type);
    QFETCH(int, group);
    QFETCH(bool, completed);
    QFETCH(QStringList, expected);
    TListFilter f;
    f.UserID = user;
    if (type >= 0)
        f.TypeID = type;
    if (group >= 0)
        f.GroupID = group;
    f.ShowCompleted = completed;
    QCOMPARE(keys(f), named(expected));
}

void TestListData::sortByKeyThenStart_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QStringList>("expected");
    // Types: 1 weekly meeting percent underscore bodyOnly openAnchored,
    // 2 fullwidth kana, 3 abc umlaut; groups: 0 all but bodyOnly and kana (7).
    QTest::newRow("type ascending")
        << "TYPENAME"
        << QStringList{"weekly",       "meeting",   "percent", "underscore", "bodyOnly",
                       "openAnchored", "fullwidth", "kana",    "abc",        "umlaut"};
    QTest::newRow("type descending, start still ascending")
        << "TYPENAME,TYPENAME"
        << QStringList{"abc",     "umlaut",  "fullwidth",  "kana",     "weekly",
                       "meeting", "percent", "underscore", "bodyOnly", "openAnchored"};
    QTest::newRow("group descending")
        << "GROUPNAME,GROUPNAME"
        << QStringList{"bodyOnly", "kana",       "weekly", "fullwidth", "meeting",
                       "percent",  "underscore", "abc",    "umlaut",    "openAnchored"};
    QTest::newRow("date descending")
        << "STIME" << QStringList{"openAnchored", "kana",    "bodyOnly", "umlaut",    "abc",
                                  "underscore",   "percent", "meeting",  "fullwidth", "weekly"};
}

void TestListData::sortByKeyThenStart()
{
    QFETCH(QString, clicks);
    QFETCH(QStringList, expected);
    TListFilter f;
    f.UserID = QStringLiteral("DefaultUser");
    TListSort s;
    for (const QString& c : clicks.split(u','))
        s.ClickColumn(c);
    QCOMPARE(keys(f, s), named(expected));
}

void TestListData::longestSearchText()
{
    TestDatabase db;
    const QString text(MaxSearchLength, u'長');
    const int32_t id =
        AddNote(db.module(), {u'「' + text + u'」', "", TDateTime::fromDate(2026, 1, 1)});
    TListFilter f;
    f.UserID = QStringLiteral("DefaultUser");
    f.SearchText = text;
    for (const bool body : {false, true}) {
        f.SearchBody = body;
        TListModel model(db.module());
        model.Open(f, TListSort());
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.Row(0).IDKEY, id);
    }
    QCOMPARE(P->errors, QStringList());
}

void TestListData::rowsArriveInBatches()
{
    TestDatabase db;
    const QList<int32_t> ids = AddNotes(db.module(), 1234, QStringLiteral("bulk"), "note");
    TListModel model(db.module());
    TListFilter f;
    f.UserID = QStringLiteral("bulk");
    f.ShowCompleted = true;
    model.Open(f, TListSort());
    QVERIFY(model.IsOpen());
    QCOMPARE(model.rowCount(), TListModel::FirstBatch);
    QVERIFY(model.canFetchMore(QModelIndex()));
    model.fetchMore(QModelIndex());
    QCOMPARE(model.rowCount(), TListModel::FirstBatch + TListModel::Batch);
    model.FetchAll();
    QVERIFY(!model.canFetchMore(QModelIndex()));
    QVERIFY(model.AtEnd());
    QVERIFY(model.IsOpen());
    QList<int32_t> seen;
    for (int r = 0; r < model.rowCount(); ++r)
        seen << model.Row(r).IDKEY;
    QCOMPARE(seen, ids); // by STIME, every note once
    const TListRow& last = model.Row(model.rowCount() - 1);
    QCOMPARE(last.TITLE, QStringLiteral("note 01233"));
    QCOMPARE(last.MEMO, QStringLiteral("一行目 1233 二行目"));
    QCOMPARE(last.COMPLETED, 1233 % 3 == 0);
    QCOMPARE(last.TYPENAME, QStringLiteral("標準"));
    QCOMPARE(last.GROUPNAME, QStringLiteral("未分類"));
}

void TestListData::findKeyReadsOn()
{
    TestDatabase db;
    const QList<int32_t> ids = AddNotes(db.module(), 900, QStringLiteral("bulk"), "note");
    TListModel model(db.module());
    TListFilter f;
    f.UserID = QStringLiteral("bulk");
    f.ShowCompleted = true;
    model.Open(f, TListSort());
    QCOMPARE(model.FindKey(ids[850]), -1); // not read yet
    QCOMPARE(model.rowCount(), TListModel::FirstBatch);
    QCOMPARE(model.FindKey(ids[850], 450), -1); // reads no further than asked
    QCOMPARE(model.rowCount(), 450);
    QCOMPARE(model.FindKey(ids[850], 5000), 850);
    QCOMPARE(model.FindKey(ids[10]), 10);
    QCOMPARE(model.FindKey(-5, 5000), -1);
    QVERIFY(model.AtEnd());
    QCOMPARE(model.rowCount(), 900);
}

void TestListData::closeReleasesEverything()
{
    TestDatabase db;
    AddNotes(db.module(), 300, QStringLiteral("bulk"), "note");
    TListModel model(db.module());
    TListFilter f;
    f.UserID = QStringLiteral("bulk");
    model.Open(f, TListSort());
    QVERIFY(model.rowCount() > 0);
    model.Close();
    QVERIFY(!model.IsOpen());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.canFetchMore(QModelIndex()));
    // With the cursor gone, the rows can be deleted and the list reopened.
    db.exec({"delete from FUSEN where USERID = 'bulk'"});
    model.Open(f, TListSort());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.IsOpen());
}

void TestListData::holdsNote_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<bool>("held");
    QTest::newRow("matching title") << "meeting"
                                    << "会議" << false << true;
    QTest::newRow("title not matching") << "weekly"
                                        << "会議" << false << false;
    QTest::newRow("completed, hidden") << "done"
                                       << "" << false << false;
    QTest::newRow("completed, shown") << "done"
                                      << "" << true << true;
    QTest::newRow("another user's") << "other"
                                    << "" << true << false;
}

void TestListData::holdsNote()
{
    QFETCH(QString, note);
    QFETCH(QString, search);
    QFETCH(bool, completed);
    QFETCH(bool, held);
    TListFilter f;
    f.UserID = QStringLiteral("DefaultUser");
    f.SearchText = search;
    f.ShowCompleted = completed;
    TListModel model(Db->module());
    QCOMPARE(model.Holds(f, Ids.value(note)), held);
}

void TestListData::changesApply_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("before"); // COMPLETED of the notes
    QTest::addColumn<int>("after");  // -1: deleted
    QTest::newRow("complete") << int(TGridChange::Complete) << 0 << 1;
    QTest::newRow("uncomplete") << int(TGridChange::UnComplete) << 1 << 0;
    QTest::newRow("delete") << int(TGridChange::Delete) << 0 << -1;
}

void TestListData::changesApply()
{
    QFETCH(int, change);
    QFETCH(int, before);
    QFETCH(int, after);
    TestDatabase db;
    TdbmNotes& m = db.module();
    TNoteSpec n{"a", "", TDateTime::fromDate(2026, 1, 1), before == 1};
    const int32_t a = AddNote(m, n);
    const int32_t b = AddNote(m, n);
    const int32_t untouched = AddNote(m, n);
    ApplyGridChange(m, static_cast<TGridChange>(change), {a, b});
    QCOMPARE(CompletedOf(m, a), after);
    QCOMPARE(CompletedOf(m, b), after);
    QCOMPARE(CompletedOf(m, untouched), before);
    QVERIFY(m.Savepoints().isEmpty());
}

void TestListData::failingRowChangesNothing_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("failAt"); // position of the refusing note among three
    QTest::newRow("complete, middle row refuses") << int(TGridChange::Complete) << 1;
    QTest::newRow("uncomplete, last row refuses") << int(TGridChange::UnComplete) << 2;
    QTest::newRow("delete, middle row refuses") << int(TGridChange::Delete) << 1;
    QTest::newRow("delete, last row refuses") << int(TGridChange::Delete) << 2;
}

void TestListData::failingRowChangesNothing()
{
    QFETCH(int, change);
    QFETCH(int, failAt);
    TestDatabase db;
    TdbmNotes& m = db.module();
    AddFailingTrigger(db);
    const bool completed = static_cast<TGridChange>(change) == TGridChange::UnComplete;
    QList<int32_t> ids;
    for (int i = 0; i < 3; ++i)
        ids << AddNote(
            m, {i == failAt ? "fail" : "ok", "", TDateTime::fromDate(2026, 1, 1), completed});
    P->clear();
    bool thrown = false;
    try {
        ApplyGridChange(m, static_cast<TGridChange>(change), ids);
    } catch (const EDatabaseError& e) {
        thrown = true;
        QVERIFY2(e.message().contains("test: this row refuses"), qPrintable(e.message()));
    }
    QVERIFY(thrown);
    QCOMPARE(P->errors.size(), 1); // the module's error box
    for (const int32_t id : ids)
        QCOMPARE(CompletedOf(m, id), completed ? 1 : 0);
    QVERIFY(m.Savepoints().isEmpty());
    // The update transaction is usable again afterwards.
    ApplyGridChange(m, TGridChange::Complete, {ids[failAt == 0 ? 1 : 0]});
    QCOMPARE(CompletedOf(m, ids[failAt == 0 ? 1 : 0]), 1);
}

QTEST_GUILESS_MAIN(TestListData)
#include "tst_listdata.moc"
