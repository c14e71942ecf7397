#include "platform/PickDialog.h"
#include "platform/QtPlatform.h"
#include "support/TestPlatform.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString Caption = QStringLiteral("復元するファイルを選択してください");

const QStringList Lines = {
    QStringLiteral("2026/12/10 18:02:11 | /home/利用者/Kwil/KWIL_E.FBK"),
    QStringLiteral("2026/12/10 08:31:40 | /home/利用者/Kwil/KWIL_S.FBK"),
    QStringLiteral("2026/11/30 12:00:00 | /home/利用者/Kwil/バックアップ/KWIL.FBK"),
};

// Fills dlg with Lines, tagged with made-up candidate indexes: the tags need
// not follow the line order.
const QList<int> Tags = {7, 3, 11};

void fill(TPickDialog& dlg)
{
    dlg.setCaption(Caption);
    for (int i = 0; i < Lines.size(); ++i)
        dlg.addLine(Lines.at(i), Tags.at(i));
}

// Runs action on the modal dialog once it is up; a dialog still open after a
// few seconds is rejected, so no test can hang on it.
void whenModal(std::function<void(TPickDialog*)> action)
{
    auto* poll = new QTimer;
    auto* guard = new QTimer;
    guard->setSingleShot(true);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, guard, action] {
        auto* dlg = qobject_cast<TPickDialog*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        poll->stop();
        poll->deleteLater();
        action(dlg);
        QObject::connect(guard, &QTimer::timeout, dlg, &QDialog::reject);
        guard->start(5000);
    });
    QObject::connect(guard, &QTimer::timeout, guard, &QObject::deleteLater);
    poll->start(20);
}

} // namespace

class TestPickDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void layout();
    void firstLinePreselected();
    void answers_data();
    void answers();
    void emptyListCannotBeAccepted();
    void desktopPickerRunsTheDialog_data();
    void desktopPickerRunsTheDialog();
    void testDoubleAnswersAndRecords();
    void headlessPickerCancels();
};

void TestPickDialog::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

void TestPickDialog::layout()
{
    TPickDialog dlg;
    fill(dlg);
    QCOMPARE(dlg.windowTitle(), Caption);
    QCOMPARE(dlg.size(), QSize(400, 270));
    QCOMPARE(dlg.acceptButton()->text(), QStringLiteral("復元"));
    QCOMPARE(dlg.cancelButton()->text(), QStringLiteral("キャンセル"));
    QVERIFY(dlg.acceptButton()->isDefault());
    QCOMPARE(dlg.list()->selectionMode(), QAbstractItemView::SingleSelection);
    // Resizable: a size grip, and room to grow and shrink.
    QVERIFY(dlg.isSizeGripEnabled());
    QVERIFY(dlg.maximumWidth() > 400 && dlg.minimumWidth() < 400);
    QVERIFY(dlg.maximumHeight() > 270 && dlg.minimumHeight() < 270);

    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // Buttons below the list, the list taking the height.
    QVERIFY(dlg.acceptButton()->mapTo(&dlg, QPoint(0, 0)).y() > dlg.list()->geometry().bottom());
    QVERIFY(dlg.list()->height() > dlg.height() / 2);
    dlg.resize(600, 400);
    QTRY_VERIFY(dlg.list()->width() > 500);
    QVERIFY(dlg.acceptButton()->mapTo(&dlg, QPoint(0, 0)).y() > 300);
}

void TestPickDialog::firstLinePreselected()
{
    TPickDialog dlg;
    fill(dlg);
    whenModal([](TPickDialog* d) { d->accept(); });
    QCOMPARE(dlg.execPick(), Tags.at(0));
}

void TestPickDialog::answers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expected");
    QTest::newRow("double-click the third line") << "double-click 2" << Tags.at(2);
    QTest::newRow("select the second, then 復元") << "select 1 accept" << Tags.at(1);
    QTest::newRow("arrow down, Enter") << "down enter" << Tags.at(1);
    QTest::newRow("キャンセル") << "cancel" << -1;
    QTest::newRow("Escape") << "escape" << -1;
    QTest::newRow("close the window") << "close" << -1;
    QTest::newRow("double-click the first line") << "double-click 0" << Tags.at(0);
}

void TestPickDialog::answers()
{
    QFETCH(QString, how);
    QFETCH(int, expected);
    TPickDialog dlg;
    fill(dlg);
    whenModal([how](TPickDialog* d) {
        QListWidget* list = d->list();
        if (how.startsWith(QLatin1String("double-click"))) {
            QListWidgetItem* item = list->item(how.back().digitValue());
            const QPoint at = list->visualItemRect(item).center();
            // A double click is a press, a release and a second press; the
            // first click selects the line.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else if (how == QLatin1String("select 1 accept")) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            QTest::mouseClick(d->acceptButton(), Qt::LeftButton);
        } else if (how == QLatin1String("down enter")) {
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        } else if (how == QLatin1String("cancel")) {
            QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(list, Qt::Key_Escape);
        } else {
            d->close();
        }
    });
    QCOMPARE(dlg.execPick(), expected);
}

void TestPickDialog::emptyListCannotBeAccepted()
{
    TPickDialog dlg;
    dlg.setCaption(Caption);
    whenModal([](TPickDialog* d) {
        QVERIFY(!d->acceptButton()->isEnabled());
        QTest::keyClick(d->list(), Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    });
    QCOMPARE(dlg.execPick(), -1);
}

void TestPickDialog::desktopPickerRunsTheDialog_data()
{
    QTest::addColumn<int>("preselected");
    QTest::addColumn<int>("expected");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("last") << 2 << 2;
    QTest::newRow("out of range falls back to the first") << 9 << 0;
}

void TestPickDialog::desktopPickerRunsTheDialog()
{
    QFETCH(int, preselected);
    QFETCH(int, expected);
    platform::QtPicker picker;
    QRect shownAt;
    QString title;
    int rows = 0;
    whenModal([&](TPickDialog* d) {
        shownAt = d->geometry();
        title = d->windowTitle();
        rows = d->list()->count();
        QTest::keyClick(d->list(), Qt::Key_Return);
    });
    QCOMPARE(picker.pick(Caption, Lines, preselected), expected);
    QCOMPARE(title, Caption);
    QCOMPARE(rows, Lines.size());
    // Centred on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(qAbs(shownAt.center().x() - screen.center().x()) <= 2 &&
                 qAbs(shownAt.center().y() - screen.center().y()) <= 2,
             qPrintable(QStringLiteral("dialog centre %1,%2, screen centre %3,%4")
                            .arg(shownAt.center().x())
                            .arg(shownAt.center().y())
                            .arg(screen.center().x())
                            .arg(screen.center().y())));
}

void TestPickDialog::testDoubleAnswersAndRecords()
{
    TestPlatform tp;
    tp.answerNextPick(1);
    tp.answerNextPick(-1);
    QCOMPARE(platform::picker().pick(Caption, Lines, 0), 1);
    QCOMPARE(platform::picker().pick(QStringLiteral("もう一度"), Lines.mid(1), 0), -1);
    QCOMPARE(tp.picks.size(), 2);
    QCOMPARE(tp.picks.at(0).caption, Caption);
    QCOMPARE(tp.picks.at(0).lines, Lines);
    QCOMPARE(tp.picks.at(1).lines, Lines.mid(1));
    QCOMPARE(tp.log,
             QStringList({QStringLiteral("pick: ") + Caption, QStringLiteral("pick: もう一度")}));
    QCOMPARE(tp.pendingPicks(), 0);
}

void TestPickDialog::headlessPickerCancels()
{
    // Nothing installed: no dialog may appear, and the answer is a cancel.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("unanswered pick"));
    QCOMPARE(platform::picker().pick(Caption, Lines, 0), -1);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestPickDialog)
#include "tst_pickdialog.moc"
