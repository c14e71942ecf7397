#include "platform/Colors.h"
#include "types/TypeDrawing.h"

#include <QGuiApplication>
#include <QTest>

namespace {
const QColor White(255, 255, 255);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y).toRgb();
}

// A curve that stays clear of the bottom rows, so the band is easy to see.
TTypeRecord highCurve()
{
    TTypeRecord t;
    t.INITVAL = 100; // top row
    t.SVAL = 100;
    t.EVAL = 100;
    t.CLOSEVAL = 100;
    return t;
}

QImage graph(const TTypeRecord& t, bool showEnd, int lowPriority)
{
    QImage image(PriorityGraphSize, QImage::Format_RGB32);
    image.fill(Qt::magenta); // anything left undrawn shows up
    DrawPriorityGraph(image, t, showEnd, lowPriority);
    return image;
}

QImage sample(const TTypeRecord& t, int level, int pixelSize = 12)
{
    QImage image(SampleSize, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    DrawSample(image, t, level, font);
    return image;
}

// Where two segments meet, the rasterizer may put the joint one pixel off.
bool blackAround(const QImage& image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(x + dx, y + dy).toRgb() == QColor(0, 0, 0))
                return true;
    return false;
}

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int countNear(const QImage& image, const QRect& area, const QColor& color, int tolerance = 40)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += near(at(image, x, y), color, tolerance) ? 1 : 0;
    return n;
}

int longestRun(const QImage& image, const QRect& area, const QColor& color)
{
    int best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            run = near(at(image, x, y), color, 40) ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}
} // namespace

class TestTypeDrawing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void colorConversion_data();
    void colorConversion();
    void valueToY_data();
    void valueToY();
    void lowPriorityBand_data();
    void lowPriorityBand();
    void dateLines_data();
    void dateLines();
    void curveCorners_data();
    void curveCorners();
    void endValueVertex();
    void sampleHeader_data();
    void sampleHeader();
    void sampleTexts();
    void headerTextIsClipped();
};

void TestTypeDrawing::colorConversion_data()
{
    QTest::addColumn<uint>("win");
    QTest::addColumn<QColor>("color");
    QTest::newRow("red is the low byte") << 0x0000FFu << QColor(255, 0, 0);
    QTest::newRow("lime") << 0x00FF00u << QColor(0, 255, 0);
    QTest::newRow("blue is the third byte") << 0xFF0000u << QColor(0, 0, 255);
    QTest::newRow("mixed") << 0x123456u << QColor(0x56, 0x34, 0x12);
    QTest::newRow("black") << 0x000000u << QColor(0, 0, 0);
}

void TestTypeDrawing::colorConversion()
{
    QFETCH(uint, win);
    QFETCH(QColor, color);
    QCOMPARE(WinColorToQColor(win), color);
    QCOMPARE(QColorToWinColor(color), win);
    // Colours from the colour dialog may come in other specs or translucent.
    QCOMPARE(QColorToWinColor(color.toHsv()), win);
    QColor translucent = color;
    translucent.setAlpha(10);
    QCOMPARE(QColorToWinColor(translucent), win);
}

void TestTypeDrawing::valueToY_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("y");
    QTest::newRow("100 on the top row") << 100 << 0;
    QTest::newRow("60") << 60 << 26;
    QTest::newRow("50: 32.5 rounds to even") << 50 << 33;
    QTest::newRow("1") << 1 << 64;
    QTest::newRow("0 stays on the last row") << 0 << 64;
}

void TestTypeDrawing::valueToY()
{
    QFETCH(int, value);
    QFETCH(int, y);
    QCOMPARE(ValueToY(value, 65), y);
}

void TestTypeDrawing::lowPriorityBand_data()
{
    QTest::addColumn<int>("lowPriority");
    QTest::addColumn<int>("top"); // first silver row; 65 = no band
    QTest::newRow("0 draws no band") << 0 << 65;
    QTest::newRow("1: only the last row") << 1 << 64;
    QTest::newRow("20") << 20 << 52;
    QTest::newRow("50") << 50 << 33;
    QTest::newRow("99") << 99 << 1;
}

void TestTypeDrawing::lowPriorityBand()
{
    QFETCH(int, lowPriority);
    QFETCH(int, top);
    const QImage image = graph(highCurve(), true, lowPriority);
    for (int x : {0, 100, 300, 359}) {
        for (int y = 1; y < 65; ++y) { // row 0 carries the curve
            const QColor expected = y >= top ? Silver : White;
            if (at(image, x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1,%2)").arg(x).arg(y)));
        }
    }
}

void TestTypeDrawing::dateLines_data()
{
    QTest::addColumn<bool>("showEnd");
    QTest::addColumn<int>("lowPriority");
    QTest::newRow("with end") << true << 0;
    QTest::newRow("without end") << false << 0;
    QTest::newRow("with end over the band") << true << 30;
    QTest::newRow("without end over the band") << false << 30;
}

void TestTypeDrawing::dateLines()
{
    QFETCH(bool, showEnd);
    QFETCH(int, lowPriority);
    const QImage image = graph(highCurve(), showEnd, lowPriority);
    for (int y = 1; y < 65; ++y) {
        QCOMPARE(at(image, 150, y), Red);
        const QColor ground = y >= ValueToY(lowPriority, 65) && lowPriority > 0 ? Silver : White;
        QCOMPARE(at(image, 210, y), showEnd ? Blue : ground);
        QCOMPARE(at(image, 149, y), ground);
        QCOMPARE(at(image, 211, y), ground);
    }
}

void TestTypeDrawing::curveCorners_data()
{
    QTest::addColumn<int>("sspan");
    QTest::addColumn<int>("espan");
    QTest::addColumn<bool>("showEnd");
    QTest::addColumn<int>("rampX");  // where the flat start turns upward
    QTest::addColumn<int>("closeX"); // where the fall reaches CLOSEVAL
    QTest::newRow("new type spans, no end") << 14 << 14 << false << 136 << 164;
    QTest::newRow("new type spans, with end") << 14 << 14 << true << 136 << 224;
    QTest::newRow("100 days") << 100 << 100 << false << 50 << 250;
    QTest::newRow("over 100 days is 100 pixels") << 150 << 1000 << false << 50 << 250;
    QTest::newRow("over 100 days, with end") << 500 << 101 << true << 50 << 310;
}

void TestTypeDrawing::curveCorners()
{
    QFETCH(int, sspan);
    QFETCH(int, espan);
    QFETCH(bool, showEnd);
    QFETCH(int, rampX);
    QFETCH(int, closeX);
    TTypeRecord t;
    t.INITVAL = 10; // row 59
    t.SVAL = 90;    // row 7
    t.EVAL = 50;    // row 33
    t.CLOSEVAL = 10;
    t.SSPAN = sspan;
    t.ESPAN = espan;
    const QImage image = graph(t, showEnd, 0);
    const int low = 59;
    // The flat start runs from the left edge to the corner and no further.
    QCOMPARE(at(image, 0, low), Black);
    QCOMPARE(at(image, rampX - 1, low), Black);
    QVERIFY(blackAround(image, rampX, low));
    QCOMPARE(at(image, rampX + 6, low), White);
    // The start vertex sits on the red line.
    QVERIFY(blackAround(image, 150, 7));
    // The fall reaches the bottom value at closeX and runs flat to the right edge.
    QCOMPARE(at(image, closeX - 6, low), White);
    QVERIFY(blackAround(image, closeX, low));
    QCOMPARE(at(image, closeX + 1, low), Black);
    QCOMPARE(at(image, 359, low), Black);
}

void TestTypeDrawing::endValueVertex()
{
    TTypeRecord t;
    t.SVAL = 90;
    t.EVAL = 50; // row 33
    QImage image = graph(t, true, 0);
    QVERIFY(blackAround(image, 210, 33));
    QCOMPARE(at(image, 210, 20), Blue);
    // Without the end the fall starts at the start line: nothing near EVAL.
    image = graph(t, false, 0);
    QVERIFY(!blackAround(image, 210, 33));
}

void TestTypeDrawing::sampleHeader_data()
{
    QTest::addColumn<bool>("r");
    QTest::addColumn<bool>("g");
    QTest::addColumn<bool>("b");
    QTest::addColumn<int>("level");
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QColor>("light"); // frame top and left, level 192
    QTest::addColumn<QColor>("dark");  // frame right and bottom, level 64
    QTest::newRow("new type at the first position")
        << true << true << false << 127 << QColor(254, 254, 0) << QColor(255, 255, 128)
        << QColor(128, 128, 0);
    QTest::newRow("new type at priority 100") << true << true << false << 128 << QColor(255, 255, 0)
                                              << QColor(255, 255, 128) << QColor(128, 128, 0);
    QTest::newRow("blue only at 200") << false << false << true << 200 << QColor(144, 144, 255)
                                      << QColor(128, 128, 255) << QColor(0, 0, 128);
    QTest::newRow("no flags at priority 0")
        << false << false << false << 255 << QColor(254, 254, 254) << QColor(128, 128, 128)
        << QColor(0, 0, 0);
}

void TestTypeDrawing::sampleHeader()
{
    QFETCH(bool, r);
    QFETCH(bool, g);
    QFETCH(bool, b);
    QFETCH(int, level);
    QFETCH(QColor, fill);
    QFETCH(QColor, light);
    QFETCH(QColor, dark);
    TTypeRecord t;
    t.R = r;
    t.G = g;
    t.B = b;
    t.BGCOLOR = 0x00FF00;
    const QImage image = sample(t, level);
    const QColor bg(0, 255, 0);
    // Header fill, clear of the header text, and just inside the frame.
    QCOMPARE(at(image, 170, 14), fill);
    QCOMPARE(at(image, 5, 5), fill);
    QCOMPARE(at(image, 175, 23), fill);
    // Frame: light on the left and top, dark on the right and bottom.
    QCOMPARE(at(image, 4, 14), light);
    QCOMPARE(at(image, 90, 4), light);
    QCOMPARE(at(image, 4, 24), light);
    QCOMPARE(at(image, 176, 4), dark);
    QCOMPARE(at(image, 176, 14), dark);
    QCOMPARE(at(image, 90, 24), dark);
    // Background all around the header.
    QCOMPARE(at(image, 3, 3), bg);
    QCOMPARE(at(image, 177, 14), bg);
    QCOMPARE(at(image, 90, 25), bg);
    QCOMPARE(at(image, 179, 76), bg);
}

void TestTypeDrawing::sampleTexts()
{
    TTypeRecord t;
    t.BGCOLOR = 0xFFFFFF;
    t.TEXTCOLOR = 0x0000FF;  // red
    t.LINKCOLOR = 0xFF0000;  // blue
    t.HTEXTCOLOR = 0x008000; // green
    const QImage image = sample(t, 255);
    const QRect header(5, 5, 170, 18);
    const QRect body(8, 26, 172, 22);
    const QRect link(8, 48, 172, 29);
    QVERIFY(countNear(image, header, QColor(0, 128, 0)) > 10);
    QVERIFY(countNear(image, body, QColor(255, 0, 0)) > 10);
    QVERIFY(countNear(image, link, QColor(0, 0, 255)) > 10);
    // Each text only where it belongs.
    QCOMPARE(countNear(image, body, QColor(0, 0, 255)), 0);
    QCOMPARE(countNear(image, link, QColor(255, 0, 0)), 0);
    QCOMPARE(countNear(image, body.united(link), QColor(0, 128, 0)), 0);
    // The link is underlined: one unbroken run across the address.
    QVERIFY(longestRun(image, link, QColor(0, 0, 255)) > 60);
    QVERIFY(longestRun(image, body, QColor(255, 0, 0)) < 30);
}

void TestTypeDrawing::headerTextIsClipped()
{
    TTypeRecord t;
    t.BGCOLOR = 0xFFFFFF;
    t.TEXTCOLOR = 0xFFFFFF; // only the header text shows
    t.LINKCOLOR = 0xFFFFFF;
    t.HTEXTCOLOR = 0x0000FF;
    // A font far too tall for the header would spill below it unclipped.
    const QImage image = sample(t, 255, 24);
    QVERIFY(countNear(image, QRect(5, 5, 170, 19), QColor(255, 0, 0)) > 10);
    QCOMPARE(countNear(image, QRect(0, 25, 180, 52), QColor(255, 0, 0), 120), 0);
    QCOMPARE(countNear(image, QRect(177, 0, 3, 77), QColor(255, 0, 0), 120), 0);
}

QTEST_MAIN(TestTypeDrawing)
#include "tst_typedrawing.moc"
