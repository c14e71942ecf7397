#include "OptionsTestHost.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"
#include "types/GroupFilter.h"
#include "types/Options.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {
// Five groups, two of them visible: 未分類 (0) and 家 (2).
void addGroups(TestDatabase& db)
{
    db.exec({"update FusenGroup set VISIBLE=1 where IDKEY=0"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(1,'仕事',1,0)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(2,'家',2,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(3,'趣味',null,0)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(4,'買い物',7,0)"});
}

TGroupFilterDlg* openFilter(TOptionsHost& host, int focus = -1)
{
    ExecuteGroupFilter(host, focus);
    return qobject_cast<TGroupFilterDlg*>(host.desktopDialog());
}

void closeWindow(QDialog* dlg)
{
    QVERIFY(dlg);
    QVERIFY(dlg->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<bool> checks(const TGroupFilterDlg& dlg)
{
    QList<bool> out;
    for (int i = 0; i < dlg.clistGroup->count(); ++i)
        out << (dlg.clistGroup->item(i)->checkState() == Qt::Checked);
    return out;
}

// VISIBLE of groups 0 to 4 as stored, e.g. "10100".
QString storedFlags(TestDatabase& db)
{
    QString out;
    for (int key = 0; key < 5; ++key)
        out += db.scalar({"select VISIBLE from FusenGroup where IDKEY=" + QString::number(key)});
    return out;
}

QList<bool> memoryFlags(TOptionsHost& host)
{
    QList<bool> out;
    for (int i = 0; i < host.groups().Count(); ++i)
        out << host.groups().Items(i).VISIBLE;
    return out;
}
} // namespace

class TestGroupFilter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shape();
    void buttonsAndOk_data();
    void buttonsAndOk();
    void spaceMovesOn_data();
    void spaceMovesOn();
    void closedWithoutOk();
    void failingSave();
    void linesShowTheirIcons();
    void trayMenu();
    void layoutFits();
};

void TestGroupFilter::shape()
{
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    TestOptionsHost host(db.module(), db.folder());
    TGroupFilterDlg dlg(host.groupIcons());
    dlg.SetGroups(host.groups());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("グループフィルタ"));
    QVERIFY(dlg.windowFlags().testFlag(Qt::Tool));
    QCOMPARE(dlg.size(), QSize(242, 266));
    QCOMPARE(dlg.btnAllSelect->text(), QStringLiteral("全選択"));
    QCOMPARE(dlg.btnAllClear->text(), QStringLiteral("全クリア"));
    QCOMPARE(dlg.btnToggle->text(), QStringLiteral("反転"));
    QCOMPARE(dlg.BitBtn1->text(), QStringLiteral("OK"));
    QCOMPARE(dlg.findChildren<QPushButton*>().size(), 4); // no Cancel
    QCOMPARE(dlg.clistGroup->font().pixelSize(), 15);
    QStringList labels;
    for (int i = 0; i < dlg.clistGroup->count(); ++i)
        labels << dlg.clistGroup->item(i)->text();
    QCOMPARE(labels, (QStringList{"未分類", "仕事", "家", "趣味", "買い物"}));
    QCOMPARE(checks(dlg), (QList<bool>{true, false, true, false, false}));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.clistGroup->visualItemRect(dlg.clistGroup->item(0)).height(), 20);
    // Refilling replaces the lines.
    dlg.SetGroups(host.groups());
    QCOMPARE(dlg.clistGroup->count(), 5);
}

void TestGroupFilter::buttonsAndOk_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<bool>>("expected");
    QTest::addColumn<QString>("stored");
    QTest::newRow("反転: two of five checked leaves three")
        << "btnToggle" << QList<bool>{false, true, false, true, true} << "01011";
    QTest::newRow("全クリア") << "btnAllClear" << QList<bool>{false, false, false, false, false}
                              << "00000";
    QTest::newRow("全選択") << "btnAllSelect" << QList<bool>{true, true, true, true, true}
                            << "11111";
}

void TestGroupFilter::buttonsAndOk()
{
    QFETCH(QString, button);
    QFETCH(QList<bool>, expected);
    QFETCH(QString, stored);
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    TestOptionsHost host(db.module(), db.folder());
    host.timer().start();
    QCOMPARE(storedFlags(db), QStringLiteral("10100"));

    TGroupFilterDlg* dlg = openFilter(host);
    QVERIFY(dlg);
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->isModal());
    QVERIFY(!host.timer().isActive());
    QCOMPARE(host.calls, QStringList{QStringLiteral("CloseAllNotes")});
    QTest::mouseClick(dlg->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(checks(*dlg), expected);
    QCOMPARE(storedFlags(db), QStringLiteral("10100")); // nothing stored before OK

    QPointer<TGroupFilterDlg> guard = dlg;
    QTest::mouseClick(dlg->BitBtn1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
    QCOMPARE(storedFlags(db), stored);
    QCOMPARE(memoryFlags(host), expected);
    QCOMPARE(host.calls, (QStringList{"CloseAllNotes", "LoadDesktopNotes(1,0)"}));
    QVERIFY(host.timer().isActive());
    QVERIFY(!host.desktopDialog());
    QVERIFY(platform.errors.isEmpty());
    QVERIFY(db.module().Savepoints().isEmpty());
}

void TestGroupFilter::spaceMovesOn_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("after");
    QTest::newRow("first line") << 0 << 1;
    QTest::newRow("middle line") << 2 << 3;
    QTest::newRow("last line keeps the focus") << 4 << 4;
}

void TestGroupFilter::spaceMovesOn()
{
    QFETCH(int, start);
    QFETCH(int, after);
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    TestOptionsHost host(db.module(), db.folder());
    TGroupFilterDlg dlg(host.groupIcons());
    dlg.SetGroups(host.groups());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.clistGroup->setFocus();
    dlg.clistGroup->setCurrentRow(start);
    QList<bool> expected = checks(dlg);
    expected[start] = !expected[start];
    QTest::keyClick(dlg.clistGroup, Qt::Key_Space);
    QCOMPARE(checks(dlg), expected);
    QCOMPARE(dlg.clistGroup->currentRow(), after);
    // Space again toggles the line now focused.
    expected[after] = !expected[after];
    QTest::keyClick(dlg.clistGroup, Qt::Key_Space);
    QCOMPARE(checks(dlg), expected);
}

void TestGroupFilter::closedWithoutOk()
{
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    TestOptionsHost host(db.module(), db.folder());
    host.timer().start();
    TGroupFilterDlg* dlg = openFilter(host);
    dlg->btnAllSelectClick();
    closeWindow(dlg);
    QCOMPARE(storedFlags(db), QStringLiteral("10100"));
    QCOMPARE(memoryFlags(host), (QList<bool>{true, false, true, false, false}));
    // The notes stay closed until the next automatic load.
    QCOMPARE(host.calls, QStringList{QStringLiteral("CloseAllNotes")});
    QVERIFY(host.timer().isActive());
    QVERIFY(!host.desktopDialog());
}

void TestGroupFilter::failingSave()
{
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    db.exec({"update FusenGroup set VISIBLE=1"});
    // Group 3 may not be hidden: the third of five updates fails.
    db.exec({"alter table FusenGroup add constraint CK_TEST_VISIBLE check (IDKEY <> 3 or VISIBLE = "
             "1)"});
    TestOptionsHost host(db.module(), db.folder());
    host.timer().start();
    TGroupFilterDlg* dlg = openFilter(host);
    dlg->btnAllClearClick();
    QPointer<TGroupFilterDlg> guard = dlg;
    QTest::mouseClick(dlg->BitBtn1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(platform.errors.size(), 1);
    QVERIFY2(platform.errors.first().contains(QStringLiteral("CODE:")),
             qPrintable(platform.errors.first()));
    // All or nothing, in the database and in memory; no desktop load.
    QCOMPARE(storedFlags(db), QStringLiteral("11111"));
    QCOMPARE(memoryFlags(host), (QList<bool>{true, true, true, true, true}));
    QCOMPARE(host.calls, QStringList{QStringLiteral("CloseAllNotes")});
    QVERIFY(host.timer().isActive());
    QVERIFY(guard.isNull());
    QVERIFY(!host.desktopDialog());
    QVERIFY(db.module().Savepoints().isEmpty());
}

void TestGroupFilter::linesShowTheirIcons()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(1,'同じ',3,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(2,'同じ',8,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(3,'同じ',-1,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(4,'同じ',40,1)"});
    TestOptionsHost host(db.module(), db.folder());
    TGroupFilterDlg dlg(host.groupIcons());
    dlg.SetGroups(host.groups());
    dlg.clistGroup->setCurrentRow(0);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage shot = dlg.clistGroup->viewport()->grab().toImage();
    auto line = [&](int row) {
        return shot.copy(dlg.clistGroup->visualItemRect(dlg.clistGroup->item(row)));
    };
    // Same label and check state: only the icon tells them apart.
    QVERIFY(line(1) != line(2));
    QVERIFY(line(1) != line(3));
    // No icon for -1 or an index past the list.
    QCOMPARE(line(3), line(4));
}

void TestGroupFilter::trayMenu()
{
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    TestOptionsHost host(db.module(), db.folder());
    QMenu menu;
    FillGroupFilterMenu(menu, host);
    FillGroupFilterMenu(menu, host); // refilled, not appended
    const QList<QAction*> actions = menu.actions();
    QCOMPARE(actions.size(), 2 + 5);
    QCOMPARE(actions[0]->text(), QStringLiteral("グループフィルタ･･･"));
    QVERIFY(actions[1]->isSeparator());
    QStringList labels;
    QList<bool> checked;
    for (int i = 2; i < actions.size(); ++i) {
        labels << actions[i]->text();
        checked << actions[i]->isChecked();
    }
    QCOMPARE(labels, (QStringList{"未分類", "仕事", "家", "趣味", "買い物"}));
    QCOMPARE(checked, (QList<bool>{true, false, true, false, false}));
    QVERIFY(!actions[3]->icon().isNull()); // 仕事: icon 1
    QVERIFY(!actions[5]->icon().isNull()); // 趣味: NULL reads as icon 0

    // Choosing a group opens the filter on its line; the item itself does not change.
    actions[4]->trigger();
    auto* dlg = qobject_cast<TGroupFilterDlg*>(host.desktopDialog());
    QVERIFY(dlg);
    QCOMPARE(dlg->clistGroup->currentRow(), 2);
    QVERIFY(actions[4]->isChecked());
    // A second choice while it is open only raises it.
    actions[0]->trigger();
    QCOMPARE(host.desktopDialog(), dlg);
    QCOMPARE(host.calls.count(QStringLiteral("CloseAllNotes")), 1);
    closeWindow(dlg);
    QCOMPARE(storedFlags(db), QStringLiteral("10100"));
}

void TestGroupFilter::layoutFits()
{
    TestPlatform platform;
    TestDatabase db;
    addGroups(db);
    TestOptionsHost host(db.module(), db.folder());
    TGroupFilterDlg* dlg = openFilter(host);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    checkLayout(*dlg);
    saveShot(*dlg, QStringLiteral("group-filter.png"));
    closeWindow(dlg);
}

QTEST_MAIN(TestGroupFilter)
#include "tst_groupfilter.moc"
