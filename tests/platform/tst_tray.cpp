#include "platform/Tray.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class TestTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void iconIsAStickyNote_data();
    void iconIsAStickyNote();
    void trayShowsTheIconWithoutTooltip();
    void menuIsTheMainWindows();
    void onlyADoubleClickIsReported_data();
    void onlyADoubleClickIsReported();
};

void TestTray::iconIsAStickyNote_data()
{
    QTest::addColumn<int>("size");
    for (const int s : {16, 22, 32, 48, 64})
        QTest::newRow(qPrintable(QString::number(s))) << s;
}

void TestTray::iconIsAStickyNote()
{
    QFETCH(int, size);
    const QIcon icon = TTray::programIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage img = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(img.size(), QSize(size, size));

    // Mostly yellow paper.
    int paper = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() == 255 && c.red() > 220 && c.green() > 190 && c.blue() < 140)
                ++paper;
        }
    QVERIFY2(paper > size * size / 3, qPrintable(QString::number(paper)));
    // Transparent around it, and the bottom-right corner folded away.
    QCOMPARE(img.pixelColor(size - 1, 0).alpha(), 0);
    QCOMPARE(img.pixelColor(size - 1, size - 1).alpha(), 0);
    // Only that corner: the lower left is still the sheet.
    QVERIFY(img.pixelColor(size / 4, size * 3 / 4).alpha() == 255);
}

void TestTray::trayShowsTheIconWithoutTooltip()
{
    TTray tray;
    QVERIFY(!tray.icon()->icon().isNull());
    QCOMPARE(tray.icon()->icon().availableSizes(), TTray::programIcon().availableSizes());
    QVERIFY(tray.icon()->toolTip().isEmpty());
}

void TestTray::menuIsTheMainWindows()
{
    TTray tray;
    QMenu menu;
    menu.addAction(QStringLiteral("終了"));
    tray.setMenu(&menu);
    QCOMPARE(tray.menu(), &menu);
    QCOMPARE(tray.icon()->contextMenu(), &menu);
}

void TestTray::onlyADoubleClickIsReported_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<int>("expected");
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 1;
    QTest::newRow("single click") << QSystemTrayIcon::Trigger << 0;
    QTest::newRow("middle button") << QSystemTrayIcon::MiddleClick << 0;
    QTest::newRow("context menu") << QSystemTrayIcon::Context << 0;
}

void TestTray::onlyADoubleClickIsReported()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(int, expected);
    TTray tray;
    QSignalSpy spy(&tray, &TTray::doubleClicked);
    Q_EMIT tray.icon()->activated(reason);
    QCOMPARE(spy.count(), expected);
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
