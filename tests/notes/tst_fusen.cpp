#include "NoteFixture.h"
#include "notes/NoteText.h"
#include "platform/Colors.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWheelEvent>

#include <functional>

// The note window over a real database: editing and saving, the commands
// with their modifier keys, the pointer, the keyboard and the looks.
class TestFusen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void editModeSave_data();
    void editModeSave();
    void bodyLimit_data();
    void bodyLimit();
    void escapeOverTheLimitKeepsEditing();
    void oversizedBodySavedWhole();
    void modifiedFlag_data();
    void modifiedFlag();
    void failedInsertGivesTheKeyBack();
    void typeChangeWaitsForTheNextSave();

    void completedAndAnchor_data();
    void completedAndAnchor();
    void buttonClickSaves();
    void peelOff_data();
    void peelOff();
    void deleteAsksByName_data();
    void deleteAsksByName();
    void newNoteAtDefaultPos();
    void newNotePastesClipboard_data();
    void newNotePastesClipboard();
    void pasteInEditMode();

    void loadFromRow();
    void autoComplete_data();
    void autoComplete();
    void lostNoteIsPulledBack();

    void frameTypes_data();
    void frameTypes();
    void rollUpAndUnroll();
    void rolledUpNoteUnrollsToDefaultHeight_data();
    void rolledUpNoteUnrollsToDefaultHeight();
    void pointerZones_data();
    void pointerZones();
    void pressWithoutMoveNeverMoves();
    void editModeSelectsInsteadOfMoving();
    void doublePress_data();
    void doublePress();
    void groupDrag_data();
    void groupDrag();
    void dragSnapsToTheWorkArea();
    void keyboard_data();
    void keyboard();
    void wheelChangesFontSize();
    void activation();
    void menus();
    void looksLikeAStickyNote();

private:
    NoteFixture* F = nullptr;
    // A stored note of the standard type opened on the desktop.
    TFusenForm* openNote(const QString& title = QStringLiteral("Note"),
                         const QString& memo = QString(), int32_t group = 0);
    // A new note, empty and in edit mode.
    TFusenForm* newNote();
};

using Action = std::function<void(NoteFixture&, TFusenForm*)>;
Q_DECLARE_METATYPE(Action)

namespace {
const QString Crlf = QStringLiteral("\r\n");
} // namespace

void TestFusen::init()
{
    F = new NoteFixture;
}

void TestFusen::cleanup()
{
    delete F;
    F = nullptr;
}

TFusenForm* TestFusen::openNote(const QString& title, const QString& memo, int32_t group)
{
    NoteFixture::Note n;
    n.title = title;
    n.memo = memo;
    n.group = group;
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    Q_ASSERT(w);
    return w;
}

TFusenForm* TestFusen::newNote()
{
    return F->desktop().CreateNewNote(1, 0);
}

// --- editing and saving ----------------------------------------------------------------

void TestFusen::editModeSave_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("editTitle");
    QTest::addColumn<QString>("editMemo");
    QTest::addColumn<QString>("viewTitle");
    QTest::addColumn<QString>("viewMemo");

    QTest::newRow("Shopping and milk")
        << QStringLiteral("Shopping\nmilk") << QStringLiteral("Shopping")
        << QStringLiteral("milk") + Crlf << QStringLiteral("Shopping") << QStringLiteral("milk");
    const QString x100 = QStringLiteral("x").repeated(100);
    QTest::newRow("a first line of 100 characters")
        << x100 << x100.left(80) << x100.mid(80) + Crlf << x100.left(80) << x100.mid(80);
    QTest::newRow("empty body") << QString() << QString() << QString() << QString() << QString();
    // Saved while editing, the title keeps 80 bytes of UTF-8: 26 kana (78
    // bytes), the 27th goes whole to the memo. Leaving edit mode counts
    // characters, so all 30 fit in the title there.
    const QString kana = QStringLiteral("あ").repeated(30);
    QTest::newRow("Japanese first line")
        << kana + QStringLiteral("\n牛乳") << kana.left(26)
        << kana.mid(26) + Crlf + QStringLiteral("牛乳") + Crlf << kana << QStringLiteral("牛乳");
}

void TestFusen::editModeSave()
{
    QFETCH(QString, body);
    QFETCH(QString, editTitle);
    QFETCH(QString, editMemo);
    QFETCH(QString, viewTitle);
    QFETCH(QString, viewMemo);

    TFusenForm* w = newNote();
    QVERIFY(w->IsEditMode());
    w->Body()->setPlainText(body);
    QVERIFY(w->SaveNote());
    QVERIFY(w->IsEditMode()); // saving does not end editing
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), editTitle);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")), editMemo);

    w->LeaveEditMode();
    QCOMPARE(w->Title(), viewTitle);
    QVERIFY(w->SaveNote());
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), viewTitle);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")), viewMemo);
    QVERIFY(F->P.errors.isEmpty());
}

void TestFusen::bodyLimit_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("leaves");
    QTest::newRow("10240 characters leave edit mode") << 10240 << true;
    QTest::newRow("10241 characters do not") << 10241 << false;
}

void TestFusen::bodyLimit()
{
    QFETCH(int, length);
    QFETCH(bool, leaves);
    TFusenForm* w = newNote();
    auto* btnEdit = w->findChild<QToolButton*>(QStringLiteral("btnEdit"));
    QVERIFY(btnEdit && btnEdit->isChecked());
    w->Body()->setPlainText(QStringLiteral("T\n") + QStringLiteral("y").repeated(length - 2));

    QTest::mouseClick(btnEdit, Qt::LeftButton); // the edit button released
    QCOMPARE(!w->IsEditMode(), leaves);
    QCOMPARE(btnEdit->isChecked(), !leaves);
    if (leaves) {
        QVERIFY(F->P.errors.isEmpty());
        QCOMPARE(w->Title(), QStringLiteral("T"));
        QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), QStringLiteral("T"));
    } else {
        QCOMPARE(F->P.errors, QStringList{QStringLiteral(
                                  "テキストサイズが大きすぎます(10241)\n\r保存可能なサイズは "
                                  "10240 文字です")});
        QCOMPARE(w->BodyText().size(), length);                             // nothing cut
        QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), QString()); // not saved
    }
}

void TestFusen::escapeOverTheLimitKeepsEditing()
{
    TFusenForm* w = newNote();
    w->Body()->setPlainText(QStringLiteral("z").repeated(10241));
    QTest::keyClick(w->Body(), Qt::Key_Escape);
    QVERIFY(w->IsEditMode());
    QCOMPARE(F->P.errors.size(), 1);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")), QString());
    // deactivation cannot end editing either, and saves nothing
    w->FormDeactivate();
    QVERIFY(w->IsEditMode());
    QCOMPARE(F->P.errors.size(), 2);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")), QString());
}

void TestFusen::oversizedBodySavedWhole()
{
    // Switching to another program saves notes as they are, edit mode
    // included: a body over the limit is stored without losing a character.
    TFusenForm* w = newNote();
    const QString rest = QStringLiteral("長文").repeated(8000);
    QTest::keyClicks(w->Body(), QStringLiteral("Title"));
    w->Body()->moveCursor(QTextCursor::End);
    w->Body()->insertPlainText(rest);
    QVERIFY(w->BodyText().size() > MaxBodyLength);
    w->ApplicationDeactivated();
    F->desktop().SaveChangedNotes();
    QVERIFY(!w->FModified);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), QStringLiteral("Title"));
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")), rest + Crlf);
    QVERIFY(w->IsEditMode());
}

void TestFusen::modifiedFlag_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("modified");

    QTest::newRow("typing") << Action([](NoteFixture&, TFusenForm* w) {
        w->EnterEditMode();
        QTest::keyClicks(w->Body(), QStringLiteral("abc"));
    }) << true;
    QTest::newRow("plain-text paste") << Action([](NoteFixture& f, TFusenForm* w) {
        w->EnterEditMode();
        f.P.clipboardText = QStringLiteral("pasted");
        w->EditPaste1Execute();
    }) << true;
    QTest::newRow("a resize") << Action([](NoteFixture&, TFusenForm* w) {
        w->resize(w->width() + 15, w->height());
    }) << true;
    QTest::newRow("a drag") << Action([](NoteFixture&, TFusenForm* w) {
        NoteFixture::drag(w, QPoint(150, 8), QPoint(30, 40));
    }) << true;
    QTest::newRow("roll-up") << Action([](NoteFixture&, TFusenForm* w) { w->RollUp(); }) << true;
    QTest::newRow("an arrangement")
        << Action([](NoteFixture& f, TFusenForm*) { f.desktop().actCascadeExecute(); }) << true;
    QTest::newRow("another note's group move") << Action([](NoteFixture& f, TFusenForm*) {
        NoteFixture::Note n;
        TFusenForm* other = f.desktop().OpenNoteByKey(f.addNote(n));
        f.desktop().MoveNotesBy(other, 5, 5, true);
    }) << true;
    QTest::newRow("search results, even none") << Action([](NoteFixture&, TFusenForm* w) {
        w->SearchBox()->setText(QStringLiteral("no note holds this"));
        w->SearchNotes();
    }) << true;
    QTest::newRow("entering and leaving edit mode") << Action([](NoteFixture&, TFusenForm* w) {
        w->EnterEditMode();
        w->LeaveEditMode();
    }) << false;
    QTest::newRow("type change") << Action([](NoteFixture&, TFusenForm* w) {
        w->actChgTypeExecute(2);
    }) << false;
    QTest::newRow("group change") << Action([](NoteFixture&, TFusenForm* w) {
        w->actChgGroupExecute(0);
    }) << false;
    QTest::newRow("start and end") << Action([](NoteFixture& f, TFusenForm* w) {
        w->SetStartTime(f.P.now());
        w->SetEndTime(f.P.now().addDays(1));
    }) << false;
    QTest::newRow("auto-complete") << Action([](NoteFixture&, TFusenForm* w) {
        w->SetPriority(0);
        QVERIFY(w->IsCompleted());
    }) << false;
    QTest::newRow("link highlighting")
        << Action([](NoteFixture&, TFusenForm* w) { w->HighlightLinks(); }) << false;
    QTest::newRow("the wheel's font size")
        << Action([](NoteFixture&, TFusenForm* w) { w->StepBodyFont(3); }) << false;
    QTest::newRow("a save after typing") << Action([](NoteFixture&, TFusenForm* w) {
        w->EnterEditMode();
        QTest::keyClicks(w->Body(), QStringLiteral("abc"));
        QVERIFY(w->FModified);
        w->SaveNote();
    }) << false;
}

void TestFusen::modifiedFlag()
{
    QFETCH(Action, action);
    QFETCH(bool, modified);
    TFusenForm* w = openNote(QStringLiteral("Title"), QStringLiteral("see http://example.jp"));
    QVERIFY(!w->FModified); // a load leaves it clear
    action(*F, w);
    QCOMPARE(w->FModified, modified);
}

void TestFusen::failedInsertGivesTheKeyBack()
{
    // A user name longer than the column refuses the insert.
    F->settings.UserID = QStringLiteral("u").repeated(101);
    TFusenForm* w = newNote();
    QCOMPARE(w->FIDKey, 0);
    QVERIFY(w->FModified);
    QVERIFY(!F->P.errors.isEmpty());
    QCOMPARE(F->count(), 0);

    F->settings.UserID = QStringLiteral("DefaultUser");
    QTest::keyClicks(w->Body(), QStringLiteral("kept"));
    QVERIFY(w->SaveNote());
    QVERIFY(w->FIDKey > 0);
    QCOMPARE(F->count(), 1);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), QStringLiteral("kept"));
}

void TestFusen::typeChangeWaitsForTheNextSave()
{
    TFusenForm* w = openNote();
    w->actChgTypeExecute(2);
    QCOMPARE(w->FTypeID, 2);
    QCOMPARE(w->backColor(), WinColorToQColor(13158655));
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("FTYPE")), QStringLiteral("1"));
    F->desktop().SaveChangedNotes(); // the program lost the focus: nothing changed
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("FTYPE")), QStringLiteral("1"));
    QVERIFY(w->SaveNote());
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("FTYPE")), QStringLiteral("2"));
}

// --- commands over several notes ---------------------------------------------------------

void TestFusen::completedAndAnchor_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QList<int>>("stored"); // A1 A2 B1 B2

    for (const QString& c : {QStringLiteral("COMPLETED"), QStringLiteral("ANCHOR")}) {
        QTest::addRow("%s alone", qPrintable(c))
            << c << Qt::KeyboardModifiers() << QList<int>{1, 0, 0, 0};
        QTest::addRow("%s with Shift: its group", qPrintable(c))
            << c << Qt::KeyboardModifiers(Qt::ShiftModifier) << QList<int>{1, 1, 0, 0};
        QTest::addRow("%s with Ctrl: every note", qPrintable(c))
            << c << Qt::KeyboardModifiers(Qt::ControlModifier) << QList<int>{1, 1, 1, 1};
        QTest::addRow("%s with Shift and Ctrl: the group", qPrintable(c))
            << c << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)
            << QList<int>{1, 1, 0, 0};
    }
}

void TestFusen::completedAndAnchor()
{
    QFETCH(QString, column);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(QList<int>, stored);
    F->addGroup(1, QStringLiteral("仕事"), true);
    F->addGroup(2, QStringLiteral("家"), true);
    const QList<TFusenForm*> notes{
        openNote(QStringLiteral("A1"), {}, 1), openNote(QStringLiteral("A2"), {}, 1),
        openNote(QStringLiteral("B1"), {}, 2), openNote(QStringLiteral("B2"), {}, 2)};
    // unsaved typing in a note of the other group rides along with its save
    notes[2]->EnterEditMode();
    notes[2]->Body()->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes[2]->Body(), QStringLiteral("x"));

    TFusenForm* a1 = notes[0];
    if (column == QLatin1String("COMPLETED")) {
        a1->SetCompleted(true); // the button flips before its handler runs
        a1->btnCompletedClick(mods);
    } else {
        a1->SetAnchored(true);
        a1->btnAnchorClick(mods);
    }
    for (int i = 0; i < notes.size(); ++i) {
        QCOMPARE(F->column(notes[i]->FIDKey, column).toInt(), stored[i]);
        const bool down =
            column == QLatin1String("COMPLETED") ? notes[i]->IsCompleted() : notes[i]->IsAnchored();
        QCOMPARE(int(down), stored[i]);
    }
    QCOMPARE(F->column(notes[2]->FIDKey, QStringLiteral("MEMO")) == QStringLiteral("x\r\n"),
             stored[2] == 1);
}

void TestFusen::buttonClickSaves()
{
    TFusenForm* w = openNote();
    auto* completed = w->findChild<QToolButton*>(QStringLiteral("btnCompleted"));
    auto* anchor = w->findChild<QToolButton*>(QStringLiteral("btnAnchor"));
    QVERIFY(completed && anchor);
    QTest::mouseClick(completed, Qt::LeftButton);
    QVERIFY(w->IsCompleted());
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("COMPLETED")), QStringLiteral("1"));
    QTest::mouseClick(anchor, Qt::LeftButton);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("ANCHOR")), QStringLiteral("1"));
    QTest::mouseClick(completed, Qt::LeftButton);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("COMPLETED")), QStringLiteral("0"));
}

void TestFusen::peelOff_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QList<int>>("stay"); // indices of A1 A2 B1 B2 still open
    QTest::newRow("alone") << Qt::KeyboardModifiers() << QList<int>{1, 2, 3};
    QTest::newRow("Shift: its group")
        << Qt::KeyboardModifiers(Qt::ShiftModifier) << QList<int>{2, 3};
    QTest::newRow("Ctrl: every note") << Qt::KeyboardModifiers(Qt::ControlModifier) << QList<int>{};
}

void TestFusen::peelOff()
{
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(QList<int>, stay);
    F->addGroup(1, QStringLiteral("仕事"), true);
    F->addGroup(2, QStringLiteral("家"), true);
    QList<int32_t> keys{
        F->addNote(QStringLiteral("A1"), 30, 1), F->addNote(QStringLiteral("A2"), 40, 1),
        F->addNote(QStringLiteral("B1"), 50, 2), F->addNote(QStringLiteral("B2"), 60, 2)};
    QList<TFusenForm*> notes;
    for (int32_t k : keys)
        notes << F->desktop().OpenNoteByKey(k);
    // typed but not saved: the peel-off saves it
    notes[0]->EnterEditMode();
    notes[0]->Body()->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes[0]->Body(), QStringLiteral("memo"));

    notes[0]->actCloseExecute(mods);
    QList<int32_t> open;
    for (int i : stay)
        open << keys[i];
    QCOMPARE(F->openKeys(), open);
    QCOMPARE(F->desktop().peeled().size(), 4 - stay.size());
    QCOMPARE(F->desktop().peeled().first(), (TPeeledEntry{keys[0], 30}));
    QCOMPARE(F->count(), 4); // the rows stay
    QCOMPARE(F->column(keys[0], QStringLiteral("TITLE")), QStringLiteral("A1"));
    QCOMPARE(F->column(keys[0], QStringLiteral("MEMO")), QStringLiteral("memo\r\n"));
    NoteFixture::settle();
}

void TestFusen::deleteAsksByName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("question");
    QTest::newRow("titled") << QStringLiteral("Shopping") << true
                            << QStringLiteral("Shopping を削除しますか？");
    QTest::newRow("untitled") << QString() << true
                              << QStringLiteral("(タイトル無し) を削除しますか？");
    QTest::newRow("cancelled") << QStringLiteral("Keep") << false
                               << QStringLiteral("Keep を削除しますか？");
}

void TestFusen::deleteAsksByName()
{
    QFETCH(QString, title);
    QFETCH(bool, ok);
    QFETCH(QString, question);
    TFusenForm* w = openNote(title, QStringLiteral("body"));
    const int32_t id = w->FIDKey;
    F->P.answerNextConfirm(ok);
    w->actDeleteExecute();
    QCOMPARE(F->P.confirmations, QStringList{question});
    QCOMPARE(F->count(QStringLiteral("where IDKEY=%1").arg(id)), ok ? 0 : 1);
    QCOMPARE(F->openKeys(), ok ? QList<int32_t>{} : QList<int32_t>{id});
    NoteFixture::settle();
}

void TestFusen::newNoteAtDefaultPos()
{
    F->settings.DefaultPos = TArrangeParams{150, -1, 400, 100, 10, 20};
    TFusenForm probe(F->desktop()); // where a window goes by itself
    TFusenForm* w = newNote();
    QCOMPARE(w->geometry(), QRect(probe.x(), 150, 400, 100));
    QVERIFY(w->isVisible());
    QVERIFY(w->IsEditMode());
    QVERIFY(w->FIDKey > 0);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), QString());
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("MEMO")), QString());
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("P_TOP")), QStringLiteral("150"));
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("P_WIDTH")), QStringLiteral("400"));
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("USERID")), QStringLiteral("DefaultUser"));
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("FGROUP")), QStringLiteral("0"));
    // the start is the moment of creation; no end
    QCOMPARE(w->StartTime(), F->P.now());
    QVERIFY(F->column(w->FIDKey, QStringLiteral("ETIME")).isEmpty() ||
            F->column(w->FIDKey, QStringLiteral("ETIME")).startsWith(QStringLiteral("1899-12-30")));
    QCOMPARE(F->desktop().notes(), QList<TFusenForm*>{w});
    // the title line is where typing goes
    QTest::keyClicks(w->Body(), QStringLiteral("New"));
    QCOMPARE(w->BodyText(), QStringLiteral("New\n"));
}

void TestFusen::newNotePastesClipboard_data()
{
    QTest::addColumn<bool>("setting");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("rest");
    QTest::newRow("lines from another program")
        << true << QStringLiteral("Buy\r\nmilk") << QStringLiteral("Buy\nmilk\n")
        << QStringLiteral("Buy") << QStringLiteral("milk\n");
    QTest::newRow("markup stays text")
        << true << QStringLiteral("<b>bold</b>") << QStringLiteral("<b>bold</b>\n")
        << QStringLiteral("<b>bold</b>") << QString();
    QTest::newRow("setting off") << false << QStringLiteral("Buy") << QStringLiteral("\n")
                                 << QString() << QString();
    QTest::newRow("nothing on the clipboard")
        << true << QString() << QStringLiteral("\n") << QString() << QString();
}

void TestFusen::newNotePastesClipboard()
{
    QFETCH(bool, setting);
    QFETCH(QString, clipboard);
    QFETCH(QString, body);
    QFETCH(QString, title);
    QFETCH(QString, rest);
    F->settings.PasteClipboard = setting;
    F->P.clipboardText = clipboard;
    TFusenForm* w = newNote();
    QCOMPARE(w->BodyText(), body);
    QCOMPARE(F->P.clipboardText, clipboard);
    const bool pasted = setting && !clipboard.isEmpty();
    QCOMPARE(w->Body()->textCursor().selectedText().size() > 1, pasted); // all selected
    QCOMPARE(w->FModified, pasted);
    // plain text: no character carries a format of its own
    QTextCursor c(w->Body()->document());
    c.select(QTextCursor::Document);
    QVERIFY(!c.charFormat().fontUnderline() && c.charFormat().fontWeight() <= QFont::Normal);
    w->LeaveEditMode();
    QCOMPARE(w->Title(), title);
    QCOMPARE(w->BodyText(), rest);
}

void TestFusen::pasteInEditMode()
{
    TFusenForm* w = openNote(QStringLiteral("T"), QStringLiteral("end"));
    w->EnterEditMode();
    w->Body()->moveCursor(QTextCursor::End);
    F->P.clipboardText.clear();
    QTest::keyClick(w->Body(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->BodyText(), QStringLiteral("T\nend"));
    QVERIFY(!w->FModified);
    F->P.clipboardText = QStringLiteral(" plus\r\nmore");
    QTest::keyClick(w->Body(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->BodyText(), QStringLiteral("T\nend plus\nmore"));
    QVERIFY(w->FModified);
    // the edit menu's item does the same
    QAction* paste = nullptr;
    for (QAction* a : w->editMenu()->actions())
        if (a->text() == QStringLiteral("貼り付け(&P)"))
            paste = a;
    QVERIFY(paste);
    paste->trigger();
    QCOMPARE(w->BodyText(), QStringLiteral("T\nend plus\nmore plus\nmore"));
}

// --- loading ------------------------------------------------------------------------------

void TestFusen::loadFromRow()
{
    NoteFixture::Note n;
    n.title = QStringLiteral("締め切り");
    n.memo = QStringLiteral("line1\r\nline2 http://x.example.jp");
    n.type = 2;
    n.bounds = QRect(100, 120, 320, 150);
    n.anchor = true;
    n.startDaysAgo = 100;
    n.etime = TDateTime::fromQDateTime(QDateTime::currentDateTime()).addDays(-99);
    const int32_t id = F->addNote(n);
    const int priority =
        F->D.scalar({QStringLiteral("select PRIORITY from VW_FUSEN where IDKEY=%1").arg(id)})
            .toInt();
    TFusenForm* w = F->desktop().OpenNoteByKey(id);
    QVERIFY(w);
    QCOMPARE(w->FIDKey, id);
    QCOMPARE(w->FTypeID, 2);
    QCOMPARE(w->FGroupID, 0);
    QCOMPARE(w->geometry(), QRect(100, 120, 320, 150));
    QCOMPARE(w->RememberedBounds(), w->geometry());
    QCOMPARE(w->Title(), QStringLiteral("締め切り"));
    QCOMPARE(w->windowTitle(), QStringLiteral("締め切り"));
    QCOMPARE(w->BodyText(), QStringLiteral("line1\nline2 http://x.example.jp"));
    QVERIFY(w->IsAnchored());
    QCOMPARE(w->FPriority, priority);
    QCOMPARE(w->backColor(), WinColorToQColor(13158655));
    QCOMPARE(w->headerColor(),
             WinColorToQColor(ShadeColor(true, false, false, HeaderLevel(priority))));
    // 100 days back: the dates alone
    const QString expectedLabel =
        w->StartTime().format(QStringLiteral("yyyy/mm/dd")) + QStringLiteral(" - ") +
        n.etime.format(QStringLiteral("yyyy/mm/dd")) + QStringLiteral(" [%1]").arg(priority);
    QCOMPARE(w->TimeLabel(), expectedLabel);
    QCOMPARE(w->HeaderHint(),
             QStringLiteral("締め切り\n") + expectedLabel + QStringLiteral(" 締め切り"));
    QVERIFY(!w->FModified);
    QVERIFY(!w->IsEditMode());
    QVERIFY(w->Body()->isReadOnly());
}

void TestFusen::autoComplete_data()
{
    QTest::addColumn<bool>("setting");
    QTest::newRow("AutoComplete on") << true;
    QTest::newRow("AutoComplete off") << false;
}

void TestFusen::autoComplete()
{
    QFETCH(bool, setting);
    F->settings.AutoComplete = setting;
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(QStringLiteral("due"), 0));
    QCOMPARE(w->FPriority, 0);
    QCOMPARE(w->IsCompleted(), setting);
    // priority 0: almost white, whatever the type's channels
    QCOMPARE(w->headerColor(), QColor(255, 255, 254));
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("COMPLETED")), QStringLiteral("0"));
    QVERIFY(!w->FModified);
    w->SaveNote();
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("COMPLETED")),
             setting ? QStringLiteral("1") : QStringLiteral("0"));
}

void TestFusen::lostNoteIsPulledBack()
{
    F->P.setWorkAreas({QRect(0, 0, 1920, 1080)});
    NoteFixture::Note n;
    n.bounds = QRect(2500, 200, 300, 120); // on a monitor that is gone
    const int32_t id = F->addNote(n);
    TFusenForm* w = F->desktop().OpenNoteByKey(id);
    QCOMPARE(w->geometry(), QRect(1620, 200, 300, 120));
    QCOMPARE(F->column(id, QStringLiteral("P_LEFT")), QStringLiteral("2500"));
    QVERIFY(!w->FModified);
    QVERIFY(w->SaveNote());
    QCOMPARE(F->column(id, QStringLiteral("P_LEFT")), QStringLiteral("1620"));
}

// --- window -----------------------------------------------------------------------------

void TestFusen::frameTypes_data()
{
    QTest::addColumn<int>("frameType");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("minHeight");
    for (int ft : {0, 1, 2}) {
        QTest::addRow("FrameType %d", ft) << ft << 10 << 19;
        QTest::addRow("FrameType %d, FontSize 12", ft) << ft << 12 << 22;
    }
}

void TestFusen::frameTypes()
{
    QFETCH(int, frameType);
    QFETCH(int, fontSize);
    QFETCH(int, minHeight);
    F->settings.FrameType = frameType;
    F->settings.FontSize = fontSize;
    TFusenForm* w = openNote();
    QCOMPARE(w->HeaderMinHeight(), minHeight);
    QCOMPARE(w->minimumHeight(), minHeight);
    w->RollUp();
    QCOMPARE(w->height(), minHeight);
    QVERIFY(w->IsRolledUp());
}

void TestFusen::rollUpAndUnroll()
{
    TFusenForm* w = openNote();
    QCOMPARE(w->height(), 120);
    w->ShowSearch(true);
    w->RollUp();
    QCOMPARE(w->height(), w->HeaderMinHeight());
    QVERIFY(w->IsRolledUp());
    QVERIFY(!w->IsSearchShown());
    QCOMPARE(w->RememberedBounds().height(), 120); // the unrolled height is kept
    w->RollUp();
    QCOMPARE(w->height(), 120);
    QVERIFY(!w->IsRolledUp());
}

void TestFusen::rolledUpNoteUnrollsToDefaultHeight_data()
{
    QTest::addColumn<int>("defaultHeight");
    QTest::addColumn<int>("unrolled");
    QTest::newRow("DefaultPos height 100") << 100 << 100;
    QTest::newRow("DefaultPos height 180") << 180 << 180;
}

void TestFusen::rolledUpNoteUnrollsToDefaultHeight()
{
    QFETCH(int, defaultHeight);
    QFETCH(int, unrolled);
    F->settings.DefaultPos.Height = defaultHeight;
    TFusenForm* w = openNote();
    const int32_t id = w->FIDKey;
    w->RollUp();
    QVERIFY(w->SaveNote());
    QCOMPARE(F->column(id, QStringLiteral("P_HEIGHT")), QString::number(w->HeaderMinHeight()));
    F->desktop().CloseAllNotes();
    NoteFixture::settle();
    w = F->desktop().OpenNoteByKey(id);
    QVERIFY(w->IsRolledUp());
    w->RollUp();
    QCOMPARE(w->height(), unrolled);
}

void TestFusen::pointerZones_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("by");
    QTest::addColumn<QRect>("after"); // from (300, 300, 388, 127)
    const int cw = 388, ch = 127;
    QTest::newRow("y 2 sizes the top")
        << QPoint(150, 2) << QPoint(0, -20) << QRect(300, 280, 388, 147);
    QTest::newRow("y 3 moves") << QPoint(150, 3) << QPoint(0, -20) << QRect(300, 280, 388, 127);
    QTest::newRow("cw-6 sizes the right edge")
        << QPoint(cw - 6, 60) << QPoint(30, 0) << QRect(300, 300, 418, 127);
    QTest::newRow("cw-7 moves") << QPoint(cw - 7, 60) << QPoint(30, 0) << QRect(330, 300, 388, 127);
    QTest::newRow("x 6 sizes the left edge")
        << QPoint(6, 60) << QPoint(-30, 0) << QRect(270, 300, 418, 127);
    QTest::newRow("x 7 moves") << QPoint(7, 60) << QPoint(-30, 0) << QRect(270, 300, 388, 127);
    QTest::newRow("bottom-right corner")
        << QPoint(cw - 2, ch - 2) << QPoint(12, 14) << QRect(300, 300, 400, 141);
    QTest::newRow("the time label moves")
        << QPoint(20, ch - 8) << QPoint(12, 14) << QRect(312, 314, 388, 127);
}

void TestFusen::pointerZones()
{
    QFETCH(QPoint, at);
    QFETCH(QPoint, by);
    QFETCH(QRect, after);
    NoteFixture::Note n;
    n.bounds = QRect(300, 300, 388, 127);
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    NoteFixture::drag(w, at, by);
    QCOMPARE(w->geometry(), after);
    QVERIFY(!w->IsDragging());
    QVERIFY(w->FModified);
}

void TestFusen::pressWithoutMoveNeverMoves()
{
    TFusenForm* w = openNote();
    const QRect before = w->geometry();
    QWidget* header = w->childAt(QPoint(150, 8));
    const QPoint g = w->mapToGlobal(QPoint(150, 8));
    NoteFixture::press(w, QPoint(150, 8));
    NoteFixture::moveTo(w, header, g); // held, not moved
    QVERIFY(!w->IsDragging());
    QVERIFY(w->IsDragArmed());
    NoteFixture::release(w, header, g);
    QCOMPARE(w->geometry(), before);
    QVERIFY(!w->FModified);
}

void TestFusen::editModeSelectsInsteadOfMoving()
{
    TFusenForm* w = openNote(QStringLiteral("T"), QStringLiteral("some words to select"));
    NoteFixture::press(w, QPoint(150, 8)); // arms a move on the header
    w->EnterEditMode();
    const QRect before = w->geometry();
    NoteFixture::drag(w, QPoint(60, 40), QPoint(40, 0));
    QCOMPARE(w->geometry(), before);
    QVERIFY(w->IsEditMode());
}

void TestFusen::doublePress_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("onLink");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QStringList>("opened");
    const QStringList link{QStringLiteral("http://example.jp/a")};
    QTest::newRow("400 ms apart: editing") << 400 << false << true << QStringList{};
    QTest::newRow("600 ms apart: a move is armed") << 600 << false << false << QStringList{};
    QTest::newRow("400 ms apart on a link: opened") << 400 << true << false << link;
    QTest::newRow("600 ms apart on a link: nothing") << 600 << true << false << QStringList{};
}

void TestFusen::doublePress()
{
    QFETCH(int, gapMs);
    QFETCH(bool, onLink);
    QFETCH(bool, editing);
    QFETCH(QStringList, opened);
    const QString memo = QStringLiteral("plain words then http://example.jp/a end");
    TFusenForm* w = openNote(QStringLiteral("T"), memo);
    const QPoint p = NoteFixture::charPoint(w, onLink ? memo.indexOf(QStringLiteral("example"))
                                                      : memo.indexOf(QStringLiteral("words")));
    QCOMPARE(w->IsLinkAt(p), onLink);
    NoteFixture::pressBody(w, p);
    QVERIFY(w->IsDragArmed());
    F->P.advanceMinutes(gapMs / 60000.0);
    NoteFixture::pressBody(w, p);
    QCOMPARE(w->IsEditMode(), editing);
    QCOMPARE(F->P.opened, opened);
}

void TestFusen::groupDrag_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<QList<bool>>("moved"); // A1 A2(anchored) B1
    QTest::newRow("alone") << Qt::KeyboardModifiers() << QList<bool>{true, false, false};
    QTest::newRow("Shift: the group, anchored too")
        << Qt::KeyboardModifiers(Qt::ShiftModifier) << QList<bool>{true, true, false};
    QTest::newRow("Ctrl: every note")
        << Qt::KeyboardModifiers(Qt::ControlModifier) << QList<bool>{true, true, true};
}

void TestFusen::groupDrag()
{
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(QList<bool>, moved);
    F->addGroup(1, QStringLiteral("仕事"), true);
    F->addGroup(2, QStringLiteral("家"), true);
    QList<TFusenForm*> notes;
    for (int i = 0; i < 3; ++i) {
        NoteFixture::Note n;
        n.group = i < 2 ? 1 : 2;
        n.anchor = i == 1;
        n.bounds = QRect(100 + 320 * i, 300, 300, 120);
        notes << F->desktop().OpenNoteByKey(F->addNote(n));
    }
    NoteFixture::drag(notes[0], QPoint(150, 8), QPoint(40, 30), mods);
    for (int i = 0; i < 3; ++i) {
        const QPoint start(100 + 320 * i, 300);
        QCOMPARE(notes[i]->pos(), moved[i] ? start + QPoint(40, 30) : start);
        QCOMPARE(notes[i]->FModified, moved[i]);
    }
    // "元の位置に戻す" takes the followers back; the dragged note stays after
    // a group move, and goes back to where it was loaded after a drag alone
    F->desktop().ResumeNotes();
    QCOMPARE(notes[0]->pos(), mods ? QPoint(140, 330) : QPoint(100, 300));
    QCOMPARE(notes[1]->pos(), QPoint(420, 300));
    QCOMPARE(notes[2]->pos(), QPoint(740, 300));
}

void TestFusen::dragSnapsToTheWorkArea()
{
    F->P.setWorkAreas({QRect(0, 30, 1280, 994)});
    NoteFixture::Note n;
    n.bounds = QRect(40, 300, 300, 120);
    TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
    NoteFixture::drag(w, QPoint(150, 8), QPoint(-32, 0)); // to x 8
    QCOMPARE(w->pos(), QPoint(0, 300));
    NoteFixture::drag(w, QPoint(150, 8), QPoint(30, -265)); // to 30,35
    QCOMPARE(w->pos(), QPoint(30, 30));
}

void TestFusen::keyboard_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<Action>("check");
    auto type = [](char c, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return Action([=](NoteFixture&, TFusenForm* w) { QTest::keyClick(w->Body(), c, m); });
    };
    QTest::newRow("a flips the anchor and saves")
        << type('a') << Action([](NoteFixture& f, TFusenForm* w) {
               QVERIFY(w->IsAnchored());
               QCOMPARE(f.column(w->FIDKey, QStringLiteral("ANCHOR")), QStringLiteral("1"));
               QCOMPARE(f.column(f.desktop().notes().at(1)->FIDKey, QStringLiteral("ANCHOR")),
                        QStringLiteral("0"));
           });
    QTest::newRow("Shift+A anchors the group")
        << type('A', Qt::ShiftModifier) << Action([](NoteFixture& f, TFusenForm*) {
               for (TFusenForm* n : f.desktop().notes())
                   QCOMPARE(f.column(n->FIDKey, QStringLiteral("ANCHOR")), QStringLiteral("1"));
           });
    QTest::newRow("c completes") << type('c') << Action([](NoteFixture& f, TFusenForm* w) {
        QVERIFY(w->IsCompleted());
        QCOMPARE(f.column(w->FIDKey, QStringLiteral("COMPLETED")), QStringLiteral("1"));
    });
    QTest::newRow("Ctrl+C copies, it is no command") << Action([](NoteFixture&, TFusenForm* w) {
        QTest::keyClick(w->Body(), Qt::Key_C, Qt::ControlModifier);
    }) << Action([](NoteFixture& f, TFusenForm* w) {
        QVERIFY(!w->IsCompleted());
        QCOMPARE(f.column(w->FIDKey, QStringLiteral("COMPLETED")), QStringLiteral("0"));
    });
    QTest::newRow("Enter starts editing")
        << Action([](NoteFixture&, TFusenForm* w) { QTest::keyClick(w->Body(), Qt::Key_Return); })
        << Action([](NoteFixture&, TFusenForm* w) {
               QVERIFY(w->IsEditMode());
               QCOMPARE(w->BodyText(), QStringLiteral("Note\nmemo"));
           });
    QTest::newRow("Esc in edit mode ends editing and saves")
        << Action([](NoteFixture&, TFusenForm* w) {
               QTest::keyClick(w->Body(), Qt::Key_Return);
               QTest::keyClicks(w->Body(), QStringLiteral("New "));
               QTest::keyClick(w->Body(), Qt::Key_Escape);
           })
        << Action([](NoteFixture& f, TFusenForm* w) {
               QVERIFY(!w->IsEditMode());
               QCOMPARE(f.column(w->FIDKey, QStringLiteral("TITLE")), QStringLiteral("New Note"));
               QVERIFY(!w->FModified);
           });
    QTest::newRow("s opens the search, Esc closes it") << Action([](NoteFixture&, TFusenForm* w) {
        QTest::keyClick(w->Body(), Qt::Key_S);
        QVERIFY(w->IsSearchShown());
        QTest::keyClick(w->SearchBox(), Qt::Key_Escape);
    }) << Action([](NoteFixture&, TFusenForm* w) { QVERIFY(!w->IsSearchShown()); });
    QTest::newRow("x peels off") << type('x') << Action([](NoteFixture& f, TFusenForm*) {
        QCOMPARE(f.desktop().notes().size(), 1);
        QCOMPARE(f.desktop().peeled().size(), 1);
    });
}

void TestFusen::keyboard()
{
    QFETCH(Action, action);
    QFETCH(Action, check);
    TFusenForm* w = openNote(QStringLiteral("Note"), QStringLiteral("memo"));
    openNote(QStringLiteral("Other"));
    action(*F, w);
    check(*F, w);
    NoteFixture::settle();
}

void TestFusen::wheelChangesFontSize()
{
    TFusenForm* w = openNote(QStringLiteral("T"), QStringLiteral("text"));
    QCOMPARE(w->BodyFontSize(), 10);
    QWidget* vp = w->Body()->viewport();
    auto wheel = [vp](int delta) {
        QWheelEvent e(QPointF(20, 20), vp->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(vp, &e);
    };
    wheel(120);
    QCOMPARE(w->BodyFontSize(), 11);
    wheel(-360);
    QCOMPARE(w->BodyFontSize(), 8);
    QCOMPARE(w->Body()->font().pointSize(), 8);
    QVERIFY(!w->FModified);
}

void TestFusen::activation()
{
    F->settings.AlphaBlend = 200;
    TFusenForm* w = openNote(QStringLiteral("T"), QStringLiteral("memo"));
    QVERIFY(w->IsBlending());
    w->FormActivate();
    QVERIFY(!w->IsBlending());

    // another of the program's windows takes over: editing ends, and saves
    w->EnterEditMode();
    QTest::keyClicks(w->Body(), QStringLiteral("Now "));
    w->ShowSearch(true);
    w->EnterEditMode();
    w->FormDeactivate();
    QVERIFY(w->IsBlending());
    QVERIFY(!w->IsEditMode());
    QVERIFY(!w->FModified);
    QCOMPARE(F->column(w->FIDKey, QStringLiteral("TITLE")), QStringLiteral("Now T"));

    // the program loses the keyboard: editing goes on
    w->FormActivate();
    w->EnterEditMode();
    QTest::keyClicks(w->Body(), QStringLiteral("x"));
    w->ApplicationDeactivated();
    QVERIFY(w->IsEditMode());
    QVERIFY(w->IsBlending());

    // opaque at 255 whatever happens
    F->settings.AlphaBlend = 255;
    w->FormDeactivate();
    QVERIFY(!w->IsBlending());
}

void TestFusen::menus()
{
    F->addGroup(1, QStringLiteral("仕事"), true, 0, 2);
    TFusenForm* w = openNote(QStringLiteral("T"), {}, 1);
    QStringList items;
    for (QAction* a : w->popupMenu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items, (QStringList{QStringLiteral("新規作成"), QStringLiteral("-"),
                                 QStringLiteral("グループ配置"), QStringLiteral("全体配置"),
                                 QStringLiteral("再読み込み"), QStringLiteral("コピー …"),
                                 QStringLiteral("付箋検索"), QStringLiteral("-"),
                                 QStringLiteral("付箋タイプ変更"), QStringLiteral("グループ変更"),
                                 QStringLiteral("リンクタグをコピー"),
                                 QStringLiteral("元の位置に戻す"), QStringLiteral("-"),
                                 QStringLiteral("付箋をはがす"), QStringLiteral("付箋を削除"),
                                 QStringLiteral("添付ファイル削除"), QStringLiteral("-"),
                                 QStringLiteral("印刷 …"), QStringLiteral("プロパティ …")}));
    QMenu* types = w->popupMenu()->actions().at(0)->menu();
    QCOMPARE(types->actions().size(), F->types.count());
    QCOMPARE(types->actions().at(1)->text(), QStringLiteral("締め切り"));
    QMenu* chgType = w->popupMenu()->actions().at(8)->menu();
    QMenu* chgGroup = w->popupMenu()->actions().at(9)->menu();
    QVERIFY(chgType->actions().at(0)->isChecked());
    QVERIFY(!chgType->actions().at(1)->isChecked());
    QCOMPARE(chgGroup->actions().size(), 2);
    QVERIFY(chgGroup->actions().at(1)->isChecked());
    QVERIFY(!chgGroup->actions().at(1)->icon().isNull());
    chgType->actions().at(1)->trigger();
    QCOMPARE(w->FTypeID, 2);
    QVERIFY(chgType->actions().at(1)->isChecked() && !chgType->actions().at(0)->isChecked());

    // a note's new-note item creates the note in that note's group
    types->actions().at(2)->trigger();
    TFusenForm* made = F->desktop().notes().last();
    QCOMPARE(made->FTypeID, 3);
    QCOMPARE(made->FGroupID, 1);

    QStringList edit;
    for (QAction* a : w->editMenu()->actions())
        edit << a->text();
    QCOMPARE(edit, (QStringList{QStringLiteral("コピー(&C)"), QStringLiteral("貼り付け(&P)"),
                                QStringLiteral("切り取り(&T)"), QStringLiteral("すべてを選択(&A)"),
                                QStringLiteral("元に戻す(&U)")}));
}

void TestFusen::looksLikeAStickyNote()
{
    struct Look
    {
        QString title;
        QString memo;
        int32_t type;
        int priority; // by the type's own curve: set through the clock
    };
    F->settings.AlphaBlend = 255;
    const QList<Look> looks{
        {QStringLiteral("買い物リスト"),
         QStringLiteral("牛乳\n卵 1パック\nパン\nhttp://shop.example.jp/list"), 1, 0},
        {QStringLiteral("企画書の締め切り"),
         QStringLiteral("金曜日の17時までに提出\n参照: fusen:1 \"資料\""), 2, 0},
        {QStringLiteral("歯医者の予約"),
         QStringLiteral("午後3時、駅前クリニック\n保険証を忘れずに"), 3, 0},
        {QStringLiteral("読みたい本"), QStringLiteral("・吾輩は猫である\n・雪国"), 4, 0},
    };
    const QString shots = qEnvironmentVariable("KWIL_SHOT_DIR");
    QImage desktopShot(QSize(880, 300), QImage::Format_ARGB32);
    desktopShot.fill(QColor(58, 110, 165));
    QPainter painter(&desktopShot);
    for (int i = 0; i < looks.size(); ++i) {
        NoteFixture::Note n;
        n.title = looks[i].title;
        n.memo = looks[i].memo;
        n.type = looks[i].type;
        n.startDaysAgo = i == 1 ? -2 : 0.5; // the deadline lies ahead
        n.etime = i == 1 ? TDateTime::fromQDateTime(QDateTime::currentDateTime()).addDays(3)
                         : TDateTime();
        n.bounds = QRect(20 + 215 * i, 30 + (i % 2) * 40, 200, 150);
        TFusenForm* w = F->desktop().OpenNoteByKey(F->addNote(n));
        if (i == 3)
            w->SetCompleted(true);
        const QImage img = w->grab().toImage();
        // body and header in the note's colours, the title drawn in the header
        QCOMPARE(QColor(img.pixel(img.width() - 12, img.height() - 22)), w->backColor());
        QCOMPARE(QColor(img.pixel(18 + 2, 1)), w->headerColor());
        bool inked = false;
        for (int x = 22; x < 120 && !inked; ++x)
            for (int y = 2; y < 15 && !inked; ++y)
                inked = QColor(img.pixel(x, y)).lightness() < 120;
        QVERIFY2(inked, qPrintable(looks[i].title));
        painter.drawImage(n.bounds.topLeft(), img);
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            img.save(QDir(shots).filePath(QStringLiteral("note-%1.png").arg(i + 1)));
        }
    }
    painter.end();
    if (!shots.isEmpty())
        desktopShot.save(QDir(shots).filePath(QStringLiteral("notes-desktop.png")));
}

QTEST_MAIN(TestFusen)
#include "tst_fusen.moc"
