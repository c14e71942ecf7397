#include "ListFixture.h"
#include "app/Settings.h"
#include "list/ListGrid.h"
#include "list/ListHost.h"
#include "list/ListModel.h"
#include "list/ListWindow.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"
#include "types/FusenGroup.h"
#include "types/TypeList.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
// The desktop as the list sees it: records what it was asked to do.
class TestHost : public TListHost
{
public:
    TestHost() { Timer.setInterval(60000); }
    void OpenNoteByKey(int32_t id) override { opened << id; }
    void DiscardNote(int32_t id) override
    {
        discarded << id;
        timerRanAtDiscard << Timer.isActive();
    }
    QTimer& timer() override { return Timer; }

    QTimer Timer;
    QList<int32_t> opened;
    QList<int32_t> discarded;
    QList<bool> timerRanAtDiscard;
};

// The fixture notes, by start: title and completed.
const struct
{
    const char* title;
    bool completed;
} Notes[] = {
    {"買い物", false}, {"会議", true},  {"レポート", false}, {"歯医者", true},
    {"fail", false},   {"旅行", false}, {"掃除", true},      {"電話", false},
};
constexpr int NoteCount = 8;
} // namespace

// The list window over a real database: its controls, the grid's selection
// and the actions of its context menu, with a recording desktop.
class TestListWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void opensWhenShownClosesWhenHidden();
    void headerControlsRebuild_data();
    void headerControlsRebuild();
    void combosReloaded();
    void titleClicksSort();
    void positionFollowsNote();
    void positionFollowsNoteBeyondFirstRows();
    void positionKeptWhenNoteLeaves();
    void searchDroppingNoteReadsNoFurther();
    void followingReadsWithinLimit();

    void menuOrderAndDefault();
    void entriesDisabledWhileCompletedHidden();

    void changesOnCurrentRowWhenNothingSelected_data();
    void changesOnCurrentRowWhenNothingSelected();
    void changesOnSelectedRows();
    void deleteRefusedChangesNothing();
    void deleteClosesWindowsWithTimerPaused_data();
    void deleteClosesWindowsWithTimerPaused();
    void failingRowChangesNothing_data();
    void failingRowChangesNothing();
    void showNote();

    void selectAllReadsEveryRow();
    void selectByCompletion_data();
    void selectByCompletion();
    void selectCompletedWithoutAny();
    void clearAll();
    void shiftClickRange_data();
    void shiftClickRange();

    void rowColours_data();
    void rowColours();
    void fitMemoColumn_data();
    void fitMemoColumn();
    void searchFieldLength();

private:
    void clickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void setCurrent(int row);
    int rowOf(int32_t id) const;
    QList<int> selectedRows() const;
    TListModel& model() const { return W->model(); }

    std::unique_ptr<TestPlatform> P;
    std::unique_ptr<TestDatabase> Db;
    TSettings Settings;
    std::unique_ptr<TestHost> Host;
    std::unique_ptr<TListWindow> W;
    QList<int32_t> Ids; // by start
};

void TestListWindow::init()
{
    P = std::make_unique<TestPlatform>();
    Db = std::make_unique<TestDatabase>();
    Ids.clear();
    for (int i = 0; i < NoteCount; ++i)
        Ids << AddNote(Db->module(),
                       {QString::fromUtf8(Notes[i].title), "本文",
                        TDateTime::fromDate(2026, 2, 1 + i, 9, 0), Notes[i].completed, i == 6});
    Host = std::make_unique<TestHost>();
    Host->Timer.start();
    W = std::make_unique<TListWindow>(Db->module(), Settings, *Host);
    W->resize(800, 500);
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W.get()));
}

void TestListWindow::cleanup()
{
    W.reset();
    Host.reset();
    Db.reset();
    P.reset();
}

void TestListWindow::clickRow(int row, Qt::KeyboardModifiers mods)
{
    const QRect r = W->dbGrid->visualRect(model().index(row, TListModel::colTITLE));
    QVERIFY2(r.isValid(), "row not on screen");
    QTest::mouseClick(W->dbGrid->viewport(), Qt::LeftButton, mods, r.center());
}

void TestListWindow::setCurrent(int row)
{
    W->dbGrid->selectionModel()->setCurrentIndex(model().index(row, 1),
                                                 QItemSelectionModel::NoUpdate);
}

int TestListWindow::rowOf(int32_t id) const
{
    for (int r = 0; r < model().rowCount(); ++r)
        if (model().Row(r).IDKEY == id)
            return r;
    return -1;
}

QList<int> TestListWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& i : W->dbGrid->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// --- the data set ------------------------------------------------------------

void TestListWindow::opensWhenShownClosesWhenHidden()
{
    QVERIFY(W->isListOpen());
    QCOMPARE(model().rowCount(), 5); // completed hidden
    QCOMPARE(W->dbGrid->currentIndex().row(), 0);
    W->editSearch->setText(QStringLiteral("レポ"));
    QCOMPARE(model().rowCount(), 1);
    W->hide();
    QVERIFY(!W->isListOpen());
    QCOMPARE(model().rowCount(), 0);
    QVERIFY(W->labelStatus->text().isEmpty());
    // Changes while hidden are seen when shown again, filters kept.
    Db->exec({"update FUSEN set TITLE = 'レポート（改）' where TITLE = 'レポート'"});
    W->show();
    QVERIFY(W->isListOpen());
    QCOMPARE(model().rowCount(), 1);
    QCOMPARE(model().Row(0).TITLE, QStringLiteral("レポート（改）"));
    QCOMPARE(W->labelStatus->text(), QStringLiteral("1 件"));
}

void TestListWindow::headerControlsRebuild_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("line"); // a line the statement has afterwards
    QTest::addColumn<int>("rows");
    QTest::newRow("typing") << "editSearch"
                            << " and (UPPER(TITLE) like UPPER(:SEARCH))" << 1;
    QTest::newRow("title and body")
        << "radioBody"
        << " and ((UPPER(TITLE) like UPPER(:SEARCH)) or (UPPER(MEMO) like UPPER(:SEARCH)))" << 5;
    QTest::newRow("type chosen") << "comboType"
                                 << " and FTYPE = :FTYPE" << 5;
    QTest::newRow("group chosen") << "comboGroup"
                                  << " and FGROUP = :FGROUP" << 5;
}

void TestListWindow::headerControlsRebuild()
{
    QFETCH(QString, control);
    QFETCH(QString, line);
    QFETCH(int, rows);
    TTypeList types;
    types.Reload(Db->module());
    TFusenGroup groups(Db->module());
    groups.Load();
    W->ReloadTypeList(types);
    W->ReloadGroupList(groups);
    if (control == "editSearch") {
        // Japanese arrives as the input method's committed text.
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("ポー"));
        QApplication::sendEvent(W->editSearch, &typed);
    } else if (control == "radioBody") {
        W->editSearch->setText(QStringLiteral("本文"));
        QCOMPARE(model().rowCount(), 0);
        QTest::mouseClick(W->radioBody, Qt::LeftButton);
    } else {
        QComboBox* combo = control == "comboType" ? W->comboType : W->comboGroup;
        combo->setCurrentIndex(1); // 標準 / 未分類: every fixture note
        Q_EMIT combo->activated(1);
    }
    QVERIFY2(model().sql().contains(line), qPrintable(model().sql().join('\n')));
    QCOMPARE(model().rowCount(), rows);
    QTest::mouseClick(W->checkCompleted, Qt::LeftButton);
    QVERIFY(!model().sql().contains(QStringLiteral(" and COMPLETED = 0")));
    QVERIFY(model().sql().contains(line));
}

void TestListWindow::combosReloaded()
{
    TTypeList types;
    types.Reload(Db->module());
    Db->exec({"insert into FUSENGROUP (IDKEY, LABEL, VISIBLE) values (4, '趣味', 1)"});
    TFusenGroup groups(Db->module());
    groups.Load();
    W->ReloadTypeList(types);
    W->ReloadGroupList(groups);
    QCOMPARE(W->comboType->count(), types.count() + 1);
    QCOMPARE(W->comboType->itemText(0), QStringLiteral("すべてのタイプ"));
    QCOMPARE(W->comboType->itemText(2), QStringLiteral("締め切り"));
    QCOMPARE(W->comboType->itemData(2).toInt(), 2);
    QCOMPARE(W->comboGroup->itemText(0), QStringLiteral("すべてのグループ"));
    QCOMPARE(W->comboGroup->itemText(2), QStringLiteral("趣味"));
    QCOMPARE(W->comboGroup->itemData(2).toInt(), 4);
    // Filtering by a type, then the lists are reloaded: back to every note.
    W->comboType->setCurrentIndex(2);
    Q_EMIT W->comboType->activated(2);
    QCOMPARE(model().rowCount(), 0);
    W->ReloadTypeList(types);
    QCOMPARE(W->comboType->currentIndex(), 0);
    QVERIFY(!W->filter().TypeID);
    QCOMPARE(model().rowCount(), 5);
}

void TestListWindow::titleClicksSort()
{
    QHeaderView* header = W->dbGrid->horizontalHeader();
    auto clickTitle = [&](int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    clickTitle(TListModel::colTYPENAME);
    QCOMPARE(model().sql().mid(model().sql().size() - 2),
             (QStringList{"order by FTYPE asc", ",STIME"}));
    clickTitle(TListModel::colTYPENAME);
    QCOMPARE(model().sql().mid(model().sql().size() - 2),
             (QStringList{"order by FTYPE desc", ",STIME"}));
    QCOMPARE(header->sortIndicatorSection(), int(TListModel::colTYPENAME));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    clickTitle(TListModel::colTITLE);
    QCOMPARE(model().sql().last(), QStringLiteral("order by TITLE asc"));
    QCOMPARE(header->sortIndicatorSection(), int(TListModel::colTITLE));
}

void TestListWindow::positionFollowsNote()
{
    W->checkCompleted->click();
    setCurrent(2);
    const int32_t id = model().Row(2).IDKEY;
    W->SortByColumn(TListModel::colSTIME); // now descending
    QCOMPARE(W->dbGrid->currentIndex().row(), NoteCount - 1 - 2);
    QCOMPARE(model().Row(W->dbGrid->currentIndex().row()).IDKEY, id);
    QVERIFY(W->dbGrid->selectionModel()->selectedRows().isEmpty());
}

void TestListWindow::positionFollowsNoteBeyondFirstRows()
{
    const QList<int32_t> more = AddNotes(Db->module(), 700, QStringLiteral("DefaultUser"), "x");
    W->checkCompleted->click();
    const int32_t id = more[600];
    // The generated notes start a year before the fixture's.
    QCOMPARE(model().FindKey(id, 1000), 600);
    setCurrent(600);
    W->SortByColumn(TListModel::colSTIME); // descending: beyond the first rows read
    QCOMPARE(W->dbGrid->currentIndex().row(), NoteCount + 99);
    QCOMPARE(model().Row(NoteCount + 99).IDKEY, id);
    W->SortByColumn(TListModel::colSTIME); // ascending again: far down, read on to it
    QCOMPARE(model().Row(W->dbGrid->currentIndex().row()).IDKEY, id);
    const QRect shown = W->dbGrid->visualRect(W->dbGrid->currentIndex());
    QVERIFY(W->dbGrid->viewport()->rect().intersects(shown));
}

void TestListWindow::positionKeptWhenNoteLeaves()
{
    // Completed notes hidden: completing the current note takes it out of the
    // result, and the position stays at its row number.
    setCurrent(2);
    const int32_t next = model().Row(3).IDKEY;
    W->actGridCompleteExecute();
    QCOMPARE(model().rowCount(), 4);
    QCOMPARE(W->dbGrid->currentIndex().row(), 2);
    QCOMPARE(model().Row(2).IDKEY, next);
    setCurrent(3); // the last row
    W->actGridCompleteExecute();
    QCOMPARE(W->dbGrid->currentIndex().row(), 2);
}

void TestListWindow::searchDroppingNoteReadsNoFurther()
{
    AddNotes(Db->module(), 2000, QStringLiteral("DefaultUser"), "x");
    W->checkCompleted->click();
    W->SortByColumn(TListModel::colSTIME); // newest first: the fixture's notes on top
    setCurrent(5);
    QCOMPARE(model().Row(5).IDKEY, Ids[2]);
    // Every generated note matches, the current one does not: the first rows
    // are enough, with the position at the same row number.
    W->editSearch->setText(QStringLiteral("x"));
    QCOMPARE(model().rowCount(), TListModel::FirstBatch);
    QCOMPARE(W->dbGrid->currentIndex().row(), 5);
}

void TestListWindow::followingReadsWithinLimit()
{
    const QList<int32_t> more = AddNotes(Db->module(), 700, QStringLiteral("DefaultUser"), "x");
    W->checkCompleted->click();
    W->FFollowLimit = 300;
    setCurrent(5);
    QCOMPARE(model().Row(5).IDKEY, more[5]);
    // Newest first puts the note at row 8 + 694: beyond the limit, the row number stays.
    W->SortByColumn(TListModel::colSTIME);
    QCOMPARE(model().rowCount(), 300);
    QCOMPARE(W->dbGrid->currentIndex().row(), 5);
    QCOMPARE(model().Row(5).IDKEY, Ids[2]);
    // Oldest first puts that one at row 700 + 2, within a larger limit.
    W->FFollowLimit = 800;
    W->SortByColumn(TListModel::colSTIME);
    QCOMPARE(W->dbGrid->currentIndex().row(), 702);
    QCOMPARE(model().Row(702).IDKEY, Ids[2]);
}

// --- the context menu ----------------------------------------------------------

void TestListWindow::menuOrderAndDefault()
{
    QStringList items;
    for (QAction* a : W->popGrid->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items, (QStringList{"付箋の表示", "「済み」にする", "「済み」を外す", "-", "選択", "-",
                                 "削除する"}));
    QStringList sub;
    for (QAction* a : W->popSelect->actions())
        sub << a->text();
    QCOMPARE(sub, (QStringList{"全選択", "全解除", "「済み」を選択", "「済み」以外を選択"}));
    QCOMPARE(W->popGrid->defaultAction(), W->actGridLoadFusen);
}

void TestListWindow::entriesDisabledWhileCompletedHidden()
{
    const QList<QAction*> conditional = {W->actGridUnComplete, W->actGridSelComplete,
                                         W->actGridSelUnComplete};
    const QList<QAction*> always = {W->actGridLoadFusen, W->actGridComplete, W->actGridSelAll,
                                    W->actGridClearAll, W->actGridDelete};
    auto check = [&](bool shown) {
        for (QAction* a : conditional)
            QVERIFY2(a->isEnabled() == shown, qPrintable(a->text()));
        for (QAction* a : always)
            QVERIFY2(a->isEnabled(), qPrintable(a->text()));
    };
    check(false);
    QTest::mouseClick(W->checkCompleted, Qt::LeftButton);
    check(true);
    QTest::mouseClick(W->checkCompleted, Qt::LeftButton);
    check(false);
}

void TestListWindow::changesOnCurrentRowWhenNothingSelected_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("row"); // with completed notes shown
    QTest::addColumn<int>("after");
    QTest::newRow("complete") << int(TGridChange::Complete) << 2 << 1;
    QTest::newRow("uncomplete") << int(TGridChange::UnComplete) << 3 << 0;
    QTest::newRow("delete") << int(TGridChange::Delete) << 5 << -1;
}

void TestListWindow::changesOnCurrentRowWhenNothingSelected()
{
    QFETCH(int, change);
    QFETCH(int, row);
    QFETCH(int, after);
    W->checkCompleted->click();
    setCurrent(row);
    QVERIFY(W->dbGrid->selectionModel()->selectedRows().isEmpty());
    const auto c = static_cast<TGridChange>(change);
    if (c == TGridChange::Complete)
        W->actGridComplete->trigger();
    else if (c == TGridChange::UnComplete)
        W->actGridUnComplete->trigger();
    else {
        P->answerNextConfirm(true);
        W->actGridDelete->trigger();
        QCOMPARE(P->confirmations,
                 QStringList{QStringLiteral("選択行をすべて削除します。よろしいですか？")});
    }
    for (int i = 0; i < NoteCount; ++i)
        QCOMPARE(CompletedOf(Db->module(), Ids[i]), i == row ? after : int(Notes[i].completed));
    // The list was rebuilt and shows the change.
    const int r = rowOf(Ids[row]);
    if (after < 0)
        QCOMPARE(r, -1);
    else
        QCOMPARE(model().Row(r).COMPLETED, after == 1);
}

void TestListWindow::changesOnSelectedRows()
{
    W->checkCompleted->click();
    clickRow(0);
    clickRow(2, Qt::ControlModifier);
    clickRow(7, Qt::ControlModifier);
    QCOMPARE(W->SelectedKeys(), (QList<int32_t>{Ids[0], Ids[2], Ids[7]}));
    QVERIFY(W->labelStatus->text().contains(QStringLiteral("3 件選択")));
    W->actGridCompleteExecute();
    for (int i = 0; i < NoteCount; ++i)
        QCOMPARE(CompletedOf(Db->module(), Ids[i]),
                 int(Notes[i].completed || i == 0 || i == 2 || i == 7));
}

void TestListWindow::deleteRefusedChangesNothing()
{
    clickRow(1);
    P->answerNextConfirm(false);
    W->actGridDeleteExecute();
    QCOMPARE(P->confirmations.size(), 1);
    for (const int32_t id : Ids)
        QVERIFY(CompletedOf(Db->module(), id) >= 0);
    QVERIFY(Host->discarded.isEmpty());
    QVERIFY(Host->Timer.isActive());
    QCOMPARE(selectedRows(), QList<int>{1});
}

void TestListWindow::deleteClosesWindowsWithTimerPaused_data()
{
    QTest::addColumn<bool>("timerRunning");
    QTest::newRow("timer running") << true;
    QTest::newRow("timer off") << false;
}

void TestListWindow::deleteClosesWindowsWithTimerPaused()
{
    QFETCH(bool, timerRunning);
    if (!timerRunning)
        Host->Timer.stop();
    clickRow(0);
    clickRow(3, Qt::ControlModifier);
    const QList<int32_t> keys = W->SelectedKeys();
    P->answerNextConfirm(true);
    W->actGridDeleteExecute();
    QCOMPARE(Host->discarded, keys);
    QCOMPARE(Host->timerRanAtDiscard, (QList<bool>{false, false}));
    QCOMPARE(Host->Timer.isActive(), timerRunning);
    for (const int32_t id : keys) {
        QCOMPARE(CompletedOf(Db->module(), id), -1);
        QCOMPARE(rowOf(id), -1);
    }
    QCOMPARE(model().rowCount(), 3);
}

void TestListWindow::failingRowChangesNothing_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("complete") << int(TGridChange::Complete);
    QTest::newRow("delete") << int(TGridChange::Delete);
}

void TestListWindow::failingRowChangesNothing()
{
    QFETCH(int, change);
    AddFailingTrigger(*Db);
    // Rows 1, 2 ("fail") and 3 of the open notes.
    clickRow(1);
    clickRow(3, Qt::ShiftModifier);
    QCOMPARE(W->SelectedKeys(), (QList<int32_t>{Ids[2], Ids[4], Ids[5]}));
    const QStringList sqlBefore = model().sql();
    P->clear();
    if (static_cast<TGridChange>(change) == TGridChange::Delete) {
        P->answerNextConfirm(true);
        W->actGridDeleteExecute();
    } else {
        W->actGridCompleteExecute();
    }
    QCOMPARE(P->errors.size(), 1);
    for (int i = 0; i < NoteCount; ++i)
        QCOMPARE(CompletedOf(Db->module(), Ids[i]), int(Notes[i].completed));
    QVERIFY(Host->discarded.isEmpty()); // windows of notes still there stay
    QVERIFY(Host->Timer.isActive());
    // Not rebuilt: the selection is still there to try again.
    QCOMPARE(selectedRows(), (QList<int>{1, 2, 3}));
    QCOMPARE(model().sql(), sqlBefore);
}

void TestListWindow::showNote()
{
    const QPoint p = W->dbGrid->visualRect(model().index(3, 0)).center();
    QWidget* v = W->dbGrid->viewport();
    QTest::mousePress(v, Qt::LeftButton, {}, p);
    QTest::mouseRelease(v, Qt::LeftButton, {}, p);
    QTest::mouseDClick(v, Qt::LeftButton, {}, p);
    QTest::mouseRelease(v, Qt::LeftButton, {}, p);
    QCOMPARE(Host->opened, QList<int32_t>{model().Row(3).IDKEY});
    setCurrent(1);
    W->actGridLoadFusen->trigger();
    QCOMPARE(Host->opened.last(), model().Row(1).IDKEY);
    QCOMPARE(Host->opened.size(), 2);
}

// --- selecting -------------------------------------------------------------------

void TestListWindow::selectAllReadsEveryRow()
{
    AddNotes(Db->module(), 1500, QStringLiteral("DefaultUser"), "x");
    W->hide();
    W->show();
    QCOMPARE(model().rowCount(), TListModel::FirstBatch);
    W->actGridSelAllExecute();
    QCOMPARE(model().rowCount(), 5 + 1000); // every third generated note is completed
    QCOMPARE(selectedRows().size(), model().rowCount());
    QCOMPARE(W->dbGrid->currentIndex().row(), model().rowCount() - 1);
}

void TestListWindow::selectByCompletion_data()
{
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("current");
    QTest::newRow("completed") << true << QList<int>{1, 3, 6} << 6;
    QTest::newRow("not completed") << false << QList<int>{0, 2, 4, 5, 7} << 7;
}

void TestListWindow::selectByCompletion()
{
    QFETCH(bool, completed);
    QFETCH(QList<int>, rows);
    QFETCH(int, current);
    W->checkCompleted->click();
    clickRow(0);
    if (completed)
        W->actGridSelComplete->trigger();
    else
        W->actGridSelUnComplete->trigger();
    QCOMPARE(selectedRows(), rows);
    QCOMPARE(W->dbGrid->currentIndex().row(), current);
}

void TestListWindow::selectCompletedWithoutAny()
{
    W->checkCompleted->click();
    W->editSearch->setText(QStringLiteral("レポート"));
    AddNote(Db->module(), {"レポート2", "", TDateTime::fromDate(2026, 3, 1)});
    W->RefreshList();
    QCOMPARE(model().rowCount(), 2);
    clickRow(0);
    W->actGridSelCompleteExecute();
    QCOMPARE(selectedRows(), QList<int>());
    QCOMPARE(W->dbGrid->currentIndex().row(), 1);
}

void TestListWindow::clearAll()
{
    W->actGridSelAllExecute();
    QCOMPARE(selectedRows().size(), 5);
    W->actGridClearAll->trigger();
    QCOMPARE(selectedRows(), QList<int>());
}

void TestListWindow::shiftClickRange_data()
{
    QTest::addColumn<QList<int>>("plain"); // plain clicks, the last sets the anchor
    QTest::addColumn<QList<int>>("ctrl");  // then ctrl-clicks (each sets the anchor too)
    QTest::addColumn<QList<int>>("shift"); // then shift-clicks
    QTest::addColumn<QList<int>>("selected");
    QTest::newRow("downwards") << QList<int>{1} << QList<int>{} << QList<int>{4}
                               << QList<int>{1, 2, 3, 4};
    QTest::newRow("upwards") << QList<int>{6} << QList<int>{} << QList<int>{2}
                             << QList<int>{2, 3, 4, 5, 6};
    QTest::newRow("on the anchor itself")
        << QList<int>{3} << QList<int>{} << QList<int>{3} << QList<int>{3};
    QTest::newRow("added to what was selected")
        << QList<int>{0} << QList<int>{7} << QList<int>{5} << QList<int>{0, 5, 6, 7};
    QTest::newRow("anchor from the last plain click")
        << QList<int>{1, 5} << QList<int>{} << QList<int>{6} << QList<int>{5, 6};
    // A second range from the same anchor adds to the first, never trims it.
    QTest::newRow("a shorter second range keeps the first")
        << QList<int>{3} << QList<int>{} << QList<int>{6, 4} << QList<int>{3, 4, 5, 6};
    QTest::newRow("ranges on both sides of the anchor")
        << QList<int>{3} << QList<int>{} << QList<int>{5, 1} << QList<int>{1, 2, 3, 4, 5};
}

void TestListWindow::shiftClickRange()
{
    QFETCH(QList<int>, plain);
    QFETCH(QList<int>, ctrl);
    QFETCH(QList<int>, shift);
    QFETCH(QList<int>, selected);
    W->checkCompleted->click();
    for (const int r : plain)
        clickRow(r);
    for (const int r : ctrl)
        clickRow(r, Qt::ControlModifier);
    for (const int r : shift)
        clickRow(r, Qt::ShiftModifier);
    QCOMPARE(selectedRows(), selected);
    QCOMPARE(W->dbGrid->currentIndex().row(), shift.last());
}

// --- look and size -----------------------------------------------------------------

void TestListWindow::rowColours_data()
{
    QTest::addColumn<int>("row"); // with completed notes shown; row 0 is current
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QColor>("background"); // invalid: the palette's base or highlight
    QTest::newRow("open note") << 2 << false << false << QColor();
    QTest::newRow("completed note") << 3 << false << false << QColor(0xC0, 0xC0, 0xC0);
    QTest::newRow("selected open note") << 4 << true << false << QColor(0xA6, 0xCA, 0xF0);
    QTest::newRow("selected completed note") << 6 << true << false << QColor(0x80, 0x80, 0x80);
    QTest::newRow("current row, grid without focus")
        << 0 << false << false << QColor(0xA6, 0xCA, 0xF0);
    QTest::newRow("current row of the focused grid") << 0 << false << true << QColor();
}

void TestListWindow::rowColours()
{
    QFETCH(int, row);
    QFETCH(bool, select);
    QFETCH(bool, focus);
    QFETCH(QColor, background);
    W->checkCompleted->click();
    setCurrent(0);
    if (select)
        W->dbGrid->selectionModel()->select(model().index(row, 0), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
    if (focus) {
        W->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(W.get()));
        W->dbGrid->setFocus();
        QTRY_VERIFY(W->dbGrid->hasFocus());
    } else {
        W->editSearch->setFocus();
    }
    if (!background.isValid())
        background = W->dbGrid->palette().color(QPalette::Active,
                                                focus ? QPalette::Highlight : QPalette::Base);
    const QImage shot = W->dbGrid->viewport()->grab().toImage();
    const QRect cell = W->dbGrid->visualRect(model().index(row, TListModel::colPRIORITY));
    // The cell's left edge: the number is right-aligned, the grid line at the right.
    const QPoint p(cell.left() + 3, cell.center().y());
    QCOMPARE(shot.pixelColor(p * shot.devicePixelRatio()).rgb(), background.rgb());
}

void TestListWindow::fitMemoColumn_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("subtracted");
    QTest::newRow("700: date, title, priority") << 700 << QList<int>{0, 1, 3};
    QTest::newRow("701: and the type") << 701 << QList<int>{0, 1, 3, 4};
    QTest::newRow("800: and the type") << 800 << QList<int>{0, 1, 3, 4};
    QTest::newRow("801: and the group") << 801 << QList<int>{0, 1, 3, 4, 5};
    QTest::newRow("1200") << 1200 << QList<int>{0, 1, 3, 4, 5};
}

void TestListWindow::fitMemoColumn()
{
    QFETCH(int, width);
    QFETCH(QList<int>, subtracted);
    auto expected = [&](int w) {
        int memo = w - 40;
        for (const int c : subtracted)
            memo -= W->dbGrid->columnWidth(c);
        return memo;
    };
    W->resize(600, 500); // the narrowest the header panel allows is a little less
    QTRY_COMPARE(W->dbGrid->width(), 600);
    W->resize(width, 500);
    QTRY_COMPARE(W->dbGrid->width(), width);
    QCOMPARE(W->FLastGridWidth, width);
    QCOMPARE(W->dbGrid->columnWidth(TListModel::colMEMO), expected(width));
    // Exactly ten pixels leave the columns alone; eleven fit again.
    const int before = W->dbGrid->columnWidth(TListModel::colMEMO);
    W->resize(width - 10, 500);
    QTRY_COMPARE(W->dbGrid->width(), width - 10);
    QCOMPARE(W->dbGrid->columnWidth(TListModel::colMEMO), before);
    QCOMPARE(W->FLastGridWidth, width);
    W->resize(width + 11, 500);
    QTRY_COMPARE(W->dbGrid->width(), width + 11);
    QCOMPARE(W->FLastGridWidth, width + 11);
}

void TestListWindow::searchFieldLength()
{
    W->radioBody->click();
    W->editSearch->setText(QString(400, u'長'));
    QCOMPARE(W->editSearch->text().size(), MaxSearchLength);
    QCOMPARE(P->errors, QStringList());
    QVERIFY(W->isListOpen());
}

QTEST_MAIN(TestListWindow)
#include "tst_listwindow.moc"
