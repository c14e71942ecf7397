#include "NoteFixture.h"
#include "notes/DesktopSelect.h"
#include "notes/NoteText.h"

#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <QTextEdit>

// The desktop over a real database: which notes come to it, the peeled-off
// notes, the arrangements, the periodic refresh, links and the search.
class TestDesktop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void statementLines_data();
    void statementLines();
    void groupVisibility_data();
    void groupVisibility();
    void fusenMaxReached();
    void completedOnlyWhenAnchored();
    void strictlyAboveLowPriority();
    void onlyTheUsersNotes();
    void loadOrder();
    void peeledOffUntilThePriorityRises();
    void peeledOffTwice();
    void reloadKeepsPeeledNotesAway();
    void openingAPeeledNoteByKey();
    void beepOncePerLoad_data();
    void beepOncePerLoad();
    void openNoteByKeyBringsForward();
    void failedLoadRestoresTimerAndFlag();

    void cascadeOn1280();
    void tileFiveNotes();
    void loadArrangesByAlignType_data();
    void loadArrangesByAlignType();
    void groupArrangementHere_data();
    void groupArrangementHere();
    void resumeAfterCascade();
    void refreshPriorities();

    void linksMarkedInTheBody();
    void openingLinks_data();
    void openingLinks();
    void linkTagCopied();
    void searchAppendsLinkTags();
    void searchWithoutMatchStillMarksChanged();
    void searchPanelByKeyboard();
    void newNoteMenu();

private:
    NoteFixture* F = nullptr;
    QList<int32_t> load(bool arrange = false, bool beep = false);
};

void TestDesktop::init()
{
    F = new NoteFixture;
}

void TestDesktop::cleanup()
{
    delete F;
    F = nullptr;
}

QList<int32_t> TestDesktop::load(bool arrange, bool beep)
{
    F->desktop().LoadDesktopNotes(arrange, beep);
    return F->openKeys();
}

// --- which notes come to the desktop ---------------------------------------------------

void TestDesktop::statementLines_data()
{
    QTest::addColumn<QList<bool>>("visible"); // groups 0 to 3
    QTest::addColumn<QString>("groupLine");
    QTest::newRow("all visible: no group line") << QList<bool>{true, true, true, true} << QString();
    QTest::newRow("all hidden: no group line")
        << QList<bool>{false, false, false, false} << QString();
    QTest::newRow("1 and 3 visible")
        << QList<bool>{false, true, false, true} << QStringLiteral("and FGROUP in ('1','3')");
    QTest::newRow("one visible") << QList<bool>{true, false, false, false}
                                 << QStringLiteral("and FGROUP in ('0')");
}

void TestDesktop::statementLines()
{
    QFETCH(QList<bool>, visible);
    QFETCH(QString, groupLine);
    for (int32_t id = 1; id <= 3; ++id)
        F->addGroup(id, QStringLiteral("G%1").arg(id), true);
    for (int32_t id = 0; id <= 3; ++id)
        F->setGroupVisible(id, visible[id]);
    QStringList expected{QStringLiteral("select * from VW_Fusen where USERID=:USERID"),
                         QStringLiteral("and (COMPLETED=0 or (COMPLETED=1 and ANCHOR=1))"),
                         QStringLiteral("and PRIORITY > :LOWPRIORITY")};
    if (!groupLine.isEmpty())
        expected << groupLine;
    expected << QStringLiteral("order by ANCHOR desc,PRIORITY desc,STIME desc");
    QCOMPARE(DesktopSelectLines(F->groups), expected);
}

void TestDesktop::groupVisibility_data()
{
    QTest::addColumn<QList<bool>>("visible"); // groups 0, 1, 2
    QTest::addColumn<QList<int>>("shown");    // the groups whose note comes
    QTest::newRow("all visible") << QList<bool>{true, true, true} << QList<int>{0, 1, 2};
    QTest::newRow("all hidden: every group")
        << QList<bool>{false, false, false} << QList<int>{0, 1, 2};
    QTest::newRow("one visible, two hidden") << QList<bool>{false, true, false} << QList<int>{1};
    QTest::newRow("two visible, one hidden") << QList<bool>{true, false, true} << QList<int>{0, 2};
}

void TestDesktop::groupVisibility()
{
    QFETCH(QList<bool>, visible);
    QFETCH(QList<int>, shown);
    F->addGroup(1, QStringLiteral("仕事"), true);
    F->addGroup(2, QStringLiteral("家"), true);
    QList<int32_t> keys;
    for (int32_t g = 0; g <= 2; ++g) {
        keys << F->addNote(QStringLiteral("N%1").arg(g), 50 + g, g);
        F->setGroupVisible(g, visible[g]);
    }
    QSet<int32_t> expected;
    for (int g : shown)
        expected << keys[g];
    const QList<int32_t> open = load();
    QCOMPARE(QSet<int32_t>(open.begin(), open.end()), expected);
}

void TestDesktop::fusenMaxReached()
{
    F->settings.FusenMax = 2;
    F->settings.AlignType = 2;
    F->settings.Beep = true;
    const int32_t p70 = F->addNote(QStringLiteral("70"), 70);
    const int32_t p50 = F->addNote(QStringLiteral("50"), 50);
    const int32_t p40 = F->addNote(QStringLiteral("40"), 40);
    // opened from the list: they count, whatever their priority
    F->desktop().OpenNoteByKey(p40);
    F->desktop().OpenNoteByKey(p50);
    QCOMPARE(load(true, true), (QList<int32_t>{p50, p40})); // nothing added, but sorted
    QVERIFY(!F->openKeys().contains(p70));
    QCOMPARE(F->P.beeps, 0);
    // and arranged as asked
    QCOMPARE(F->desktop().notes().at(0)->geometry(), QRect(0, 0, 200, 90));
    QCOMPARE(F->desktop().notes().at(1)->geometry(), QRect(200, 0, 200, 90));
}

void TestDesktop::completedOnlyWhenAnchored()
{
    NoteFixture::Note n;
    n.type = F->constType(50);
    n.completed = true;
    n.anchor = true;
    const int32_t anchored = F->addNote(n);
    n.anchor = false;
    F->addNote(n);
    QCOMPARE(load(), QList<int32_t>{anchored});
}

void TestDesktop::strictlyAboveLowPriority()
{
    F->settings.LowPriority = 40;
    F->addNote(QStringLiteral("at"), 40);
    const int32_t above = F->addNote(QStringLiteral("above"), 41);
    QCOMPARE(load(), QList<int32_t>{above});
    // with the default 0, priority 0 never comes
    F->desktop().CloseAllNotes();
    F->settings.LowPriority = 0;
    F->addNote(QStringLiteral("zero"), 0);
    QCOMPARE(load().size(), 2);
}

void TestDesktop::onlyTheUsersNotes()
{
    NoteFixture::Note n;
    n.type = F->constType(50);
    n.user = QStringLiteral("Someone");
    F->addNote(n);
    n.user = QStringLiteral("DefaultUser");
    const int32_t mine = F->addNote(n);
    QCOMPARE(load(), QList<int32_t>{mine});
}

void TestDesktop::loadOrder()
{
    const int32_t p30 = F->addNote(QStringLiteral("a"), 30);
    const int32_t p70 = F->addNote(QStringLiteral("b"), 70);
    const int32_t p50old = F->addNote(QStringLiteral("c"), 50, 0, 20);
    const int32_t p50new = F->addNote(QStringLiteral("d"), 50, 0, 5);
    NoteFixture::Note n;
    n.type = F->constType(10);
    n.anchor = true;
    const int32_t anchored = F->addNote(n);
    // the statement brings the anchored note first; the desktop's order is
    // the note order: priority, then the later start
    QCOMPARE(load(), (QList<int32_t>{p70, p50new, p50old, p30, anchored}));
    for (TFusenForm* w : F->desktop().notes()) {
        QVERIFY(w->isVisible());
        QVERIFY(!w->FModified);
    }
    QVERIFY(F->desktop().notesReady());
}

void TestDesktop::peeledOffUntilThePriorityRises()
{
    const int32_t id = F->addNote(QStringLiteral("peel"), 40);
    QCOMPARE(load(), QList<int32_t>{id});
    F->desktop().notes().first()->actCloseExecute(Qt::NoModifier);
    QCOMPARE(F->desktop().peeled(), (TPeeledList{{id, 40}}));
    QCOMPARE(load(), QList<int32_t>{});
    F->setNoteType(id, F->constType(30));
    QCOMPARE(load(), QList<int32_t>{});
    F->setNoteType(id, F->constType(41));
    QCOMPARE(load(), QList<int32_t>{id});
}

void TestDesktop::peeledOffTwice()
{
    const int32_t id = F->addNote(QStringLiteral("twice"), 40);
    load();
    F->desktop().notes().first()->actCloseExecute(Qt::NoModifier);
    F->setNoteType(id, F->constType(60));
    QCOMPARE(load(), QList<int32_t>{id});
    F->desktop().notes().first()->actCloseExecute(Qt::NoModifier);
    QCOMPARE(F->desktop().peeled(), (TPeeledList{{id, 40}, {id, 60}}));
    // the first entry decides: above 40 is enough
    F->setNoteType(id, F->constType(50));
    QCOMPARE(load(), QList<int32_t>{id});
}

void TestDesktop::reloadKeepsPeeledNotesAway()
{
    const int32_t kept = F->addNote(QStringLiteral("kept"), 60);
    const int32_t peeled = F->addNote(QStringLiteral("peeled"), 50);
    load();
    F->desktop().FindNote(peeled)->actCloseExecute(Qt::NoModifier);
    F->desktop().ReloadNotes();
    QCOMPARE(F->openKeys(), QList<int32_t>{kept});
}

void TestDesktop::openingAPeeledNoteByKey()
{
    const int32_t id = F->addNote(QStringLiteral("back"), 40);
    load();
    F->desktop().notes().first()->actCloseExecute(Qt::NoModifier);
    TFusenForm* w = F->desktop().OpenNoteByKey(id);
    QVERIFY(w && w->isVisible());
    QVERIFY(F->desktop().peeled().isEmpty());
    F->desktop().CloseAllNotes(); // closed, not peeled
    QCOMPARE(load(), QList<int32_t>{id});
}

void TestDesktop::beepOncePerLoad_data()
{
    QTest::addColumn<int>("newNotes");
    QTest::addColumn<bool>("beep");
    QTest::addColumn<int>("beeps");
    QTest::newRow("two added: one beep") << 2 << true << 1;
    QTest::newRow("none added: silence") << 0 << true << 0;
    QTest::newRow("Beep off") << 2 << false << 0;
}

void TestDesktop::beepOncePerLoad()
{
    QFETCH(int, newNotes);
    QFETCH(bool, beep);
    QFETCH(int, beeps);
    F->addNote(QStringLiteral("already"), 60);
    load();
    for (int i = 0; i < newNotes; ++i)
        F->addNote(QStringLiteral("new %1").arg(i), 50);
    QCOMPARE(load(false, beep).size(), 1 + newNotes);
    QCOMPARE(F->P.beeps, beeps);
}

void TestDesktop::openNoteByKeyBringsForward()
{
    const int32_t id = F->addNote(QStringLiteral("once"), 50);
    TFusenForm* first = F->desktop().OpenNoteByKey(id);
    QVERIFY(first);
    QCOMPARE(F->desktop().OpenNoteByKey(id), first);
    QCOMPARE(F->desktop().notes().size(), 1);
    QCOMPARE(F->desktop().OpenNoteByKey(id + 1000), nullptr);
    QCOMPARE(F->desktop().notes().size(), 1);
}

void TestDesktop::failedLoadRestoresTimerAndFlag()
{
    F->addNote(QStringLiteral("n"), 50);
    F->settings.UserID = QStringLiteral("u").repeated(300); // longer than the column
    F->timer.start(60000);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, F->desktop().LoadDesktopNotes(true, false));
    QVERIFY(F->timer.isActive());
    QVERIFY(F->desktop().notesReady());
    QVERIFY(F->db().Savepoints().isEmpty());
    QCOMPARE(F->P.errors.size(), 1); // shown once, by the database module
    F->settings.UserID = QStringLiteral("DefaultUser");
    QCOMPARE(load().size(), 1);
    QVERIFY(F->timer.isActive());
}

// --- arrangement ---------------------------------------------------------------------

void TestDesktop::cascadeOn1280()
{
    QList<int32_t> keys;
    for (int p : {70, 60, 50, 40})
        keys << F->addNote(QStringLiteral("P%1").arg(p), p);
    NoteFixture::Note n;
    n.type = F->constType(80);
    n.anchor = true;
    n.bounds = QRect(10, 500, 300, 120);
    const int32_t anchored = F->addNote(n);
    load();
    F->desktop().actCascadeExecute();
    // the last of the order is placed first, at Top 0; the first of the
    // order is placed last, at the greatest offset, behind all the others
    QCOMPARE(F->desktop().FindNote(keys[3])->geometry(), QRect(1030, 0, 250, 90));
    QCOMPARE(F->desktop().FindNote(keys[2])->geometry(), QRect(1030, 20, 250, 90));
    QCOMPARE(F->desktop().FindNote(keys[1])->geometry(), QRect(1030, 40, 250, 90));
    QCOMPARE(F->desktop().FindNote(keys[0])->geometry(), QRect(1030, 60, 250, 90));
    QCOMPARE(F->desktop().FindNote(anchored)->geometry(), QRect(10, 500, 300, 120));
    QVERIFY(F->desktop().FindNote(keys[0])->FModified);
    QVERIFY(!F->desktop().FindNote(anchored)->FModified);
}

void TestDesktop::tileFiveNotes()
{
    QList<int32_t> keys;
    for (int p : {90, 80, 70, 60, 50})
        keys << F->addNote(QStringLiteral("P%1").arg(p), p);
    load();
    F->desktop().actTileExecute();
    const QList<QRect> expected{QRect(0, 0, 200, 90), QRect(200, 0, 200, 90),
                                QRect(400, 0, 200, 90), QRect(0, 90, 200, 90),
                                QRect(200, 90, 200, 90)};
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(F->desktop().FindNote(keys[i])->geometry(), expected[i]);
}

void TestDesktop::loadArrangesByAlignType_data()
{
    QTest::addColumn<int>("alignType");
    QTest::addColumn<QRect>("first");
    QTest::newRow("0: where they were") << 0 << QRect(200, 200, 300, 120);
    QTest::newRow("1: cascaded") << 1 << QRect(1030, 20, 250, 90);
    QTest::newRow("2: tiled, as the tray does") << 2 << QRect(0, 0, 200, 90);
}

void TestDesktop::loadArrangesByAlignType()
{
    QFETCH(int, alignType);
    QFETCH(QRect, first);
    F->settings.AlignType = alignType;
    F->addNote(QStringLiteral("a"), 60);
    F->addNote(QStringLiteral("b"), 50);
    load(true);
    QCOMPARE(F->desktop().notes().first()->geometry(), first);
    // closing saved the arranged place; a load that is not asked to arrange
    // brings the notes back there
    F->desktop().CloseAllNotes();
    F->settings.AlignType = 2;
    load(false);
    QCOMPARE(F->desktop().notes().first()->geometry(), first);
}

void TestDesktop::groupArrangementHere_data()
{
    QTest::addColumn<bool>("tile");
    QTest::addColumn<bool>("groupOnly");
    QTest::addColumn<bool>("hereAnchored");
    QTest::addColumn<QList<QRect>>("after"); // here (group 1), other of group 1, group 2
    const QRect here(100, 100, 300, 120);
    QTest::newRow("cascade this group")
        << false << true << false
        << QList<QRect>{QRect(100, 120, 300, 120), QRect(100, 100, 300, 120),
                        QRect(700, 600, 300, 120)};
    QTest::newRow("cascade this group from an anchored note")
        << false << true << true
        << QList<QRect>{here, QRect(100, 120, 300, 120), QRect(700, 600, 300, 120)};
    QTest::newRow("tile all from here")
        << true << false << false
        << QList<QRect>{QRect(100, 100, 300, 120), QRect(400, 100, 300, 120),
                        QRect(700, 100, 300, 120)};
    QTest::newRow("tile this group from an anchored note: right of it")
        << true << true << true
        << QList<QRect>{here, QRect(400, 100, 300, 120), QRect(700, 600, 300, 120)};
}

void TestDesktop::groupArrangementHere()
{
    QFETCH(bool, tile);
    QFETCH(bool, groupOnly);
    QFETCH(bool, hereAnchored);
    QFETCH(QList<QRect>, after);
    F->addGroup(1, QStringLiteral("仕事"), true);
    F->addGroup(2, QStringLiteral("家"), true);
    const QList<QRect> start{QRect(100, 100, 300, 120), QRect(500, 400, 300, 120),
                             QRect(700, 600, 300, 120)};
    QList<TFusenForm*> notes;
    const QList<int> priorities{70, 60, 50};
    const QList<int32_t> groups{1, 1, 2};
    for (int i = 0; i < 3; ++i) {
        NoteFixture::Note n;
        n.type = F->constType(priorities[i]);
        n.group = groups[i];
        n.bounds = start[i];
        n.anchor = i == 0 && hereAnchored;
        notes << F->desktop().OpenNoteByKey(F->addNote(n));
    }
    if (tile)
        F->desktop().TileHere(notes[0], groupOnly);
    else
        F->desktop().CascadeHere(notes[0], groupOnly);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(notes[i]->geometry(), after[i]);
}

void TestDesktop::resumeAfterCascade()
{
    NoteFixture::Note n;
    n.type = F->constType(60);
    n.bounds = QRect(100, 100, 250, 90); // already the cascade's size
    const int32_t same = F->addNote(n);
    n.type = F->constType(50);
    n.bounds = QRect(400, 400, 300, 120);
    const int32_t resized = F->addNote(n);
    load();
    F->desktop().actCascadeExecute();
    const QRect cascaded = F->desktop().FindNote(resized)->geometry();
    QCOMPARE(cascaded, QRect(1030, 0, 250, 90));
    F->desktop().ResumeNotes();
    QCOMPARE(F->desktop().FindNote(same)->geometry(), QRect(100, 100, 250, 90));
    // resized by the cascade: that size change was remembered
    QCOMPARE(F->desktop().FindNote(resized)->geometry(), cascaded);
    // the note menu's single resume
    TFusenForm* w = F->desktop().FindNote(same);
    w->move(600, 600);
    w->actResumeExecute();
    QCOMPARE(w->geometry(), QRect(100, 100, 250, 90));
}

void TestDesktop::refreshPriorities()
{
    // an appointment three days ahead: its priority falls to 0 a day after it
    NoteFixture::Note n;
    n.type = 3;
    n.startDaysAgo = -3;
    const int32_t id = F->addNote(n);
    TFusenForm* w = F->desktop().OpenNoteByKey(id);
    const int before = w->FPriority;
    QVERIFY(before > 0 && before < 80);
    QVERIFY(!w->IsCompleted());
    F->P.advanceDays(3.5);
    F->desktop().RefreshNotePriorities();
    QCOMPARE(w->FPriority, CalcPriority(w->PriorityParams(), F->P.now()));
    QVERIFY(w->FPriority != before);
    QVERIFY(w->TimeLabel().endsWith(QStringLiteral("[%1]").arg(w->FPriority)));
    F->P.advanceDays(2);
    F->desktop().RefreshNotePriorities();
    QCOMPARE(w->FPriority, 0);
    QVERIFY(w->IsCompleted()); // AutoComplete
    QCOMPARE(w->headerColor(), QColor(254, 255, 254));
    QCOMPARE(F->column(id, QStringLiteral("COMPLETED")), QStringLiteral("0")); // until saved
}

// --- links and search ------------------------------------------------------------------

void TestDesktop::linksMarkedInTheBody()
{
    const QString memo = QStringLiteral("first line\nsecond http://a.example/x y\n"
                                        "third fusen:12 \"T\"\nFUSEN:1 (mailto:m@example.jp)\n"
                                        "（fusen:34）です");
    NoteFixture::Note n;
    n.memo = memo;
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    auto at = [&](const QString& s, int offset = 1) {
        return NoteFixture::charPoint(w, memo.indexOf(s) + offset);
    };
    QCOMPARE(w->GetLinkTextAt(at(QStringLiteral("http"))), QStringLiteral("http://a.example/x"));
    QCOMPARE(w->GetLinkTextAt(at(QStringLiteral("x y"), 0)), QStringLiteral("http://a.example/x"));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral("x y"), 2)));
    QCOMPARE(w->GetLinkTextAt(at(QStringLiteral("fusen:12"), 7)), QStringLiteral("fusen:12"));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral("\"T\""))));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral("FUSEN"))));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral("(mailto"), 0)));
    QCOMPARE(w->GetLinkTextAt(at(QStringLiteral("mailto"))), QStringLiteral("mailto:m@example.jp"));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral(")"), 0)));
    QCOMPARE(w->GetLinkTextAt(at(QStringLiteral("fusen:34"))), QStringLiteral("fusen:34"));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral("）"), 0)));
    QVERIFY(!w->IsLinkAt(at(QStringLiteral("first"))));
    // in the link colour
    QTextCursor c(w->Body()->document());
    c.setPosition(memo.indexOf(QStringLiteral("http")) + 1);
    QCOMPARE(c.charFormat().foreground().color(), w->linkColor());
    // editing shows plain text; leaving marks the links again
    w->EnterEditMode();
    QVERIFY(!w->IsLinkAt(NoteFixture::charPoint(w, memo.indexOf(QStringLiteral("http")) + 2)));
    w->LeaveEditMode();
    QVERIFY(w->IsLinkAt(at(QStringLiteral("http"))));
}

void TestDesktop::openingLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<bool>("noteOpens");
    QTest::newRow("web address: the desktop opens it")
        << QStringLiteral("https://example.jp/a?b=1")
        << QStringList{QStringLiteral("https://example.jp/a?b=1")} << false;
    QTest::newRow("note link: the note opens beside")
        << QStringLiteral("fusen:%1") << QStringList{} << true;
    QTest::newRow("note link with letters: nothing")
        << QStringLiteral("fusen:abc") << QStringList{} << false;
}

void TestDesktop::openingLinks()
{
    QFETCH(QString, link);
    QFETCH(QStringList, opened);
    QFETCH(bool, noteOpens);
    NoteFixture::Note target;
    target.title = QStringLiteral("target");
    target.bounds = QRect(900, 700, 240, 110);
    const int32_t targetId = F->addNote(target);
    if (link.contains(QLatin1String("%1")))
        link = link.arg(targetId);
    NoteFixture::Note n;
    n.memo = QStringLiteral("see ") + link + QStringLiteral(" now");
    n.bounds = QRect(100, 100, 300, 120);
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    const QPoint p = NoteFixture::charPoint(w, 6);
    NoteFixture::pressBody(w, p);
    F->P.advanceMinutes(0.3 / 60.0);
    NoteFixture::pressBody(w, p);
    QCOMPARE(F->P.opened, opened);
    QVERIFY(!w->IsEditMode());
    TFusenForm* t = F->desktop().FindNote(targetId);
    QCOMPARE(t != nullptr, noteOpens);
    if (t) // more room to the right than below: to the right, its size kept
        QCOMPARE(t->geometry(), QRect(400, 100, 240, 110));
}

void TestDesktop::linkTagCopied()
{
    NoteFixture::Note n;
    n.title = QStringLiteral("say \"hi\"");
    const int32_t id = F->addNote(n);
    TFusenForm* w = F->desktop().OpenNoteByKey(id);
    w->actLinkTagExecute();
    QCOMPARE(F->P.clipboardText, QStringLiteral("fusen:%1 \"say \"\"hi\"\"\"").arg(id));
    // a linked note opened from a note near the right edge goes below it
    NoteFixture::Note other;
    other.bounds = QRect(900, 100, 300, 120);
    TFusenForm* from = F->desktop().OpenNoteByKey(F->addNote(other));
    from->OpenLinkedNote(id);
    QCOMPARE(w->pos(), QPoint(900, 220));
}

void TestDesktop::searchAppendsLinkTags()
{
    NoteFixture::Note n;
    n.title = QStringLiteral("50 apples");
    const int32_t apples = F->addNote(n);
    n.title = QStringLiteral("price 150 yen");
    const int32_t price = F->addNote(n);
    n.title = QStringLiteral("five zero");
    n.memo = QStringLiteral("sold 50 off");
    const int32_t memo = F->addNote(n);
    n.title = QStringLiteral("quote \"50\"");
    n.memo.clear();
    n.completed = true;
    n.user = QStringLiteral("Someone");
    const int32_t quoted = F->addNote(n);
    n = NoteFixture::Note();
    n.title = QStringLiteral("nothing");
    n.memo = QStringLiteral("5 0");
    F->addNote(n);
    n.title = QStringLiteral("here");
    n.memo = QStringLiteral("start");
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));

    w->SearchBox()->setText(QStringLiteral("50%"));
    w->SearchNotes();
    QStringList lines = w->BodyText().split(u'\n');
    QCOMPARE(lines.takeFirst(), QStringLiteral("start"));
    const QSet<QString> expected{SearchResultLine(apples, QStringLiteral("50 apples")),
                                 SearchResultLine(price, QStringLiteral("price 150 yen")),
                                 SearchResultLine(memo, QStringLiteral("five zero")),
                                 QStringLiteral("fusen:%1 \"quote \"50\"\"").arg(quoted)};
    QCOMPARE(QSet<QString>(lines.begin(), lines.end()), expected);
    QVERIFY(w->FModified);
    // the appended tags are links at once
    const int at = w->BodyText().indexOf(QStringLiteral("fusen:%1").arg(price));
    QCOMPARE(w->GetLinkTextAt(NoteFixture::charPoint(w, at + 2)),
             QStringLiteral("fusen:%1").arg(price));
    QVERIFY(w->SaveNote());
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")).count(QStringLiteral("fusen:")), 4);
}

void TestDesktop::searchWithoutMatchStillMarksChanged()
{
    NoteFixture::Note n;
    n.title = QStringLiteral("here");
    n.memo = QStringLiteral("start");
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    w->SearchBox()->setText(QStringLiteral("no such text"));
    w->SearchNotes();
    QCOMPARE(w->BodyText(), QStringLiteral("start"));
    QVERIFY(w->FModified);
}

void TestDesktop::searchPanelByKeyboard()
{
    NoteFixture::Note n;
    n.title = QStringLiteral("findme");
    const int32_t found = F->addNote(n);
    n.title = QStringLiteral("here");
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    w->EnterEditMode(); // the search ends editing first
    QTest::keyClick(w->Body(), Qt::Key_Escape);
    QTest::keyClick(w->Body(), 's');
    QVERIFY(w->IsSearchShown());
    QTest::keyClicks(w->SearchBox(), QStringLiteral("FINDME")); // any case
    QTest::keyClick(w->SearchBox(), Qt::Key_Return);
    QVERIFY(!w->IsSearchShown());
    QCOMPARE(w->BodyText(), SearchResultLine(found, QStringLiteral("findme")));
}

void TestDesktop::newNoteMenu()
{
    QMenu menu;
    F->desktop().BuildNewNoteMenu(&menu);
    QStringList labels;
    for (QAction* a : menu.actions())
        labels << a->text();
    QCOMPARE(labels, (QStringList{QStringLiteral("標準"), QStringLiteral("締め切り"),
                                  QStringLiteral("予定"), QStringLiteral("メモ"),
                                  QStringLiteral("フィード")}));
    menu.actions().at(1)->trigger();
    QCOMPARE(F->desktop().notes().size(), 1);
    TFusenForm* w = F->desktop().notes().first();
    QCOMPARE(w->FTypeID, 2);
    QCOMPARE(w->FGroupID, 0);
    QVERIFY(w->IsEditMode());
    QCOMPARE(F->count(), 1);
    // built again after the types changed, without doubling
    F->desktop().BuildNewNoteMenu(&menu);
    QCOMPARE(menu.actions().size(), 5);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
