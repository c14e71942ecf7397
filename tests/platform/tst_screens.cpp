#include "platform/Platform.h"

#include <QTest>

namespace {
class TwoScreens : public platform::Screens
{
public:
    QRect primaryWorkArea() const override { return QRect(0, 0, 1280, 1000); }
    QList<QRect> workAreas() const override
    {
        return {primaryWorkArea(), QRect(1280, 0, 1920, 1050)};
    }
};
} // namespace

class TestScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void workAreaFor_data();
    void workAreaFor();
};

void TestScreens::workAreaFor_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("expected");
    const QRect left(0, 0, 1280, 1000), right(1280, 0, 1920, 1050);
    QTest::newRow("inside the primary") << QRect(100, 100, 400, 100) << left;
    QTest::newRow("inside the second") << QRect(2000, 500, 400, 100) << right;
    QTest::newRow("mostly on the second") << QRect(1200, 10, 400, 100) << right;
    QTest::newRow("off to the far right") << QRect(5000, 10, 400, 100) << right;
    QTest::newRow("off to the left") << QRect(-3000, 10, 400, 100) << left;
    QTest::newRow("below the primary") << QRect(200, 3000, 400, 100) << left;
}

void TestScreens::workAreaFor()
{
    QFETCH(QRect, window);
    QFETCH(QRect, expected);
    TwoScreens s;
    QCOMPARE(s.workAreaFor(window), expected);
}

QTEST_GUILESS_MAIN(TestScreens)
#include "tst_screens.moc"
