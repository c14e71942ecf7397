#include "types/GroupIcons.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QRgb Magenta = qRgb(255, 0, 255);

// Icon i of a strip: a coloured 6 x 6 block at (5,5) on magenta, its colour
// telling the icons apart.
QRgb blockColor(int i)
{
    return qRgb(20 * i, 255 - 20 * i, 100);
}

QImage makeStrip(int width, int height = 16)
{
    QImage strip(width, height, QImage::Format_RGB32);
    strip.fill(Magenta);
    for (int i = 0; i * 16 + 11 <= width; ++i)
        for (int y = 5; y < 11 && y < height; ++y)
            for (int x = 5; x < 11; ++x)
                strip.setPixel(i * 16 + x, y, blockColor(i));
    return strip;
}

// White (transparent) everywhere except the left half of each icon.
QImage makeMask(int width, int height = 16)
{
    QImage mask(width, height, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x % 16 < 8)
                mask.setPixel(x, y, qRgb(0, 0, 0));
    return mask;
}

int alphaAt(const QImage& image, int x, int y)
{
    return qAlpha(image.convertToFormat(QImage::Format_ARGB32).pixel(x, y));
}

QRgb colorAt(const QImage& image, int x, int y)
{
    return image.convertToFormat(QImage::Format_ARGB32).pixel(x, y);
}
} // namespace

class TestGroupIcons : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void builtInSet();
    void noFileKeepsTheBuiltInSet_data();
    void noFileKeepsTheBuiltInSet();
    void cutIntoIcons_data();
    void cutIntoIcons();
    void withoutMaskTheImagesAreOpaque();
    void maskDecidesTransparency_data();
    void maskDecidesTransparency();
    void shortStripIsTransparentBelow();
    void outsideTheListIsNoIcon_data();
    void outsideTheListIsNoIcon();
};

void TestGroupIcons::builtInSet()
{
    const TGroupIcons icons;
    QCOMPARE(icons.count(), 16);
    for (int i = 0; i < icons.count(); ++i) {
        const QImage image = icons.image(i);
        QCOMPARE(image.size(), QSize(16, 16));
        QVERIFY(image.hasAlphaChannel());
        int clear = 0;
        int solid = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int alpha = alphaAt(image, x, y);
                clear += alpha == 0 ? 1 : 0;
                solid += alpha == 255 ? 1 : 0;
            }
        }
        QVERIFY2(clear >= 20, qPrintable(QString::number(i))); // a shape, not a tile
        QVERIFY2(solid >= 30, qPrintable(QString::number(i)));
        QCOMPARE(icons.pixmap(i).size(), QSize(16, 16));
        QVERIFY(!icons.icon(i).isNull());
        for (int j = 0; j < i; ++j)
            QVERIFY2(icons.image(j) != image, qPrintable(QStringLiteral("%1 = %2").arg(j).arg(i)));
    }
}

void TestGroupIcons::noFileKeepsTheBuiltInSet_data()
{
    QTest::addColumn<QByteArray>("content"); // of GroupIcons.bmp; empty = no file
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("not a bitmap") << QByteArray("BM garbage");
    QTest::newRow("narrower than an icon") << QByteArray("narrow");
}

void TestGroupIcons::noFileKeepsTheBuiltInSet()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    if (content == "narrow") {
        QVERIFY(makeStrip(15).save(dir.filePath(QStringLiteral("GroupIcons.bmp"))));
    } else if (!content.isEmpty()) {
        QFile f(dir.filePath(QStringLiteral("GroupIcons.bmp")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    TGroupIcons icons;
    QVERIFY(!icons.loadGroupIcons(dir.path()));
    QCOMPARE(icons.count(), 16);
    QCOMPARE(icons.image(3), TGroupIcons::builtInImages().at(3));
}

void TestGroupIcons::cutIntoIcons_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("withMask");
    QTest::addColumn<int>("count");
    QTest::newRow("one icon") << 16 << false << 1;
    QTest::newRow("three icons") << 48 << false << 3;
    QTest::newRow("three icons, masked") << 48 << true << 3;
    QTest::newRow("a partial icon at the end is dropped") << 40 << false << 2;
    QTest::newRow("twenty icons, masked") << 320 << true << 20;
}

void TestGroupIcons::cutIntoIcons()
{
    QFETCH(int, width);
    QFETCH(bool, withMask);
    QFETCH(int, count);
    QTemporaryDir dir;
    QVERIFY(makeStrip(width).save(dir.filePath(QStringLiteral("GroupIcons.bmp"))));
    if (withMask)
        QVERIFY(makeMask(width).save(dir.filePath(QStringLiteral("GroupIconsMask.bmp"))));
    TGroupIcons icons;
    QVERIFY(icons.loadGroupIcons(dir.path()));
    QCOMPARE(icons.count(), count);
    for (int i = 0; i < count; ++i) {
        // The block of icon i, on a column the mask keeps opaque.
        QCOMPARE(icons.image(i).size(), QSize(16, 16));
        QCOMPARE(colorAt(icons.image(i), 6, 7), blockColor(i) | 0xFF000000);
        QCOMPARE(icons.pixmap(i).size(), QSize(16, 16));
    }
    QVERIFY(icons.image(count).isNull());
}

void TestGroupIcons::withoutMaskTheImagesAreOpaque()
{
    QTemporaryDir dir;
    const QImage strip = makeStrip(32);
    QVERIFY(strip.save(dir.filePath(QStringLiteral("GroupIcons.bmp"))));
    TGroupIcons icons;
    QVERIFY(icons.loadGroupIcons(dir.path()));
    QCOMPARE(icons.count(), 2);
    for (int i = 0; i < 2; ++i) {
        const QImage image = icons.image(i);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                QCOMPARE(alphaAt(image, x, y), 255);
                QCOMPARE(colorAt(image, x, y), strip.pixel(i * 16 + x, y) | 0xFF000000);
            }
    }
}

void TestGroupIcons::maskDecidesTransparency_data()
{
    QTest::addColumn<bool>("mono");
    QTest::newRow("colour mask") << false;
    QTest::newRow("monochrome mask") << true;
}

void TestGroupIcons::maskDecidesTransparency()
{
    QFETCH(bool, mono);
    QTemporaryDir dir;
    QVERIFY(makeStrip(32).save(dir.filePath(QStringLiteral("GroupIcons.bmp"))));
    QImage mask = makeMask(32);
    if (mono) {
        mask = mask.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    } else {
        // Grey counts by its lightness.
        mask.setPixel(2, 2, qRgb(200, 200, 200));
        mask.setPixel(12, 3, qRgb(60, 60, 60));
    }
    QVERIFY(mask.save(dir.filePath(QStringLiteral("GroupIconsMask.bmp"))));
    TGroupIcons icons;
    QVERIFY(icons.loadGroupIcons(dir.path()));
    QCOMPARE(icons.count(), 2);
    for (int i = 0; i < 2; ++i) {
        const QImage image = icons.image(i);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                QCOMPARE(alphaAt(image, x, y), qGray(mask.pixel(i * 16 + x, y)) < 128 ? 255 : 0);
        // Under the mask's black the background colour is drawn, not keyed out.
        QCOMPARE(colorAt(image, 0, 15), Magenta | 0xFF000000);
        QCOMPARE(colorAt(image, 6, 6), blockColor(i) | 0xFF000000);
    }
    if (!mono) {
        QCOMPARE(alphaAt(icons.image(0), 2, 2), 0);
        QCOMPARE(alphaAt(icons.image(0), 12, 3), 255);
    }
}

void TestGroupIcons::shortStripIsTransparentBelow()
{
    QTemporaryDir dir;
    const QImage strip = makeStrip(32, 12);
    QVERIFY(strip.save(dir.filePath(QStringLiteral("GroupIcons.bmp"))));
    TGroupIcons icons;
    QVERIFY(icons.loadGroupIcons(dir.path()));
    QCOMPARE(icons.count(), 2);
    const QImage image = icons.image(0);
    QCOMPARE(image.size(), QSize(16, 16));
    QCOMPARE(alphaAt(image, 0, 0), 255);
    QCOMPARE(alphaAt(image, 0, 11), 255);
    for (int y = 12; y < 16; ++y)
        QCOMPARE(alphaAt(image, 7, y), 0);
}

void TestGroupIcons::outsideTheListIsNoIcon_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("no icon") << -1;
    QTest::newRow("below") << -5;
    QTest::newRow("one past the end") << 16;
    QTest::newRow("far past the end") << 1000;
}

void TestGroupIcons::outsideTheListIsNoIcon()
{
    QFETCH(int, index);
    const TGroupIcons icons;
    QVERIFY(!icons.contains(index));
    QVERIFY(icons.image(index).isNull());
    QVERIFY(icons.pixmap(index).isNull());
    QVERIFY(icons.icon(index).isNull());
}

QTEST_MAIN(TestGroupIcons)
#include "tst_groupicons.moc"
