#include "notes/DesktopSelect.h"
#include "notes/NoteGeometry.h"
#include "notes/NoteText.h"

#include <QTest>

// The rules of a note that need no window: title and memo, the size limit,
// links and link tags, the time label, pointer zones, snapping, bringing a
// lost note back, the note order, the arrangements and the peeled-off list.
class TestNoteText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editModeSplit_data();
    void editModeSplit();
    void editModeSplitKeepsAnOversizedBody();
    void leaveEditSplit_data();
    void leaveEditSplit();
    void sizeMessage();
    void storedLineBreaks();

    void findLinks_data();
    void findLinks();
    void linkTags();
    void noteLinkKey_data();
    void noteLinkKey();
    void openableAddresses_data();
    void openableAddresses();

    void timeLabel_data();
    void timeLabel();

    void hitZones_data();
    void hitZones();
    void resizeByEdges();
    void snap_data();
    void snap();
    void pullBack_data();
    void pullBack();

    void noteOrder_data();
    void noteOrder();
    void cascade_data();
    void cascade();
    void tile_data();
    void tile();
    void hereParams();
    void linkedNotePosition_data();
    void linkedNotePosition();

    void peeledEntries();
};

using Placements = QList<TPlacement>;
using Items = QList<TArrangeItem>;
Q_DECLARE_METATYPE(THitZone)
Q_DECLARE_METATYPE(TDateTime)
Q_DECLARE_METATYPE(TPlacement)
Q_DECLARE_METATYPE(TArrangeItem)
Q_DECLARE_METATYPE(TLinkSpan)
Q_DECLARE_METATYPE(Items)
Q_DECLARE_METATYPE(TArrangeParams)

namespace {
const QString Crlf = QStringLiteral("\r\n");
QString rep(const QString& s, int n)
{
    return s.repeated(n);
}
} // namespace

// --- title and memo ------------------------------------------------------------

void TestNoteText::editModeSplit_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("memo");

    QTest::newRow("Shopping and milk")
        << QStringLiteral("Shopping\nmilk") << QStringLiteral("Shopping")
        << QStringLiteral("milk") + Crlf;
    QTest::newRow("empty body") << QString() << QString() << QString();
    QTest::newRow("title line only, closed by a break")
        << QStringLiteral("Title\n") << QStringLiteral("Title") << QString();
    QTest::newRow("a lone line break") << QStringLiteral("\n") << QString() << QString();
    QTest::newRow("100 characters: 80 bytes in the title, the rest starts the memo")
        << rep(QStringLiteral("x"), 100) + QStringLiteral("\nsecond")
        << rep(QStringLiteral("x"), 80)
        << rep(QStringLiteral("x"), 20) + Crlf + QStringLiteral("second") + Crlf;
    // UTF-8 takes three bytes per kana: 26 fit in 80 bytes (78), the 27th
    // would straddle byte 80 and goes whole to the memo.
    QTest::newRow("Japanese first line cut at a character boundary")
        << rep(QStringLiteral("あ"), 30) + QStringLiteral("\n本文") << rep(QStringLiteral("あ"), 26)
        << rep(QStringLiteral("あ"), 4) + Crlf + QStringLiteral("本文") + Crlf;
    QTest::newRow("kana ending exactly at byte 80")
        << QStringLiteral("ab") + rep(QStringLiteral("あ"), 27)
        << QStringLiteral("ab") + rep(QStringLiteral("あ"), 26) << QStringLiteral("あ") + Crlf;
    QTest::newRow("four-byte character straddling byte 80")
        << rep(QStringLiteral("a"), 78) + QStringLiteral("😀b") << rep(QStringLiteral("a"), 78)
        << QStringLiteral("😀b") + Crlf;
    QTest::newRow("Japanese title that fits")
        << QStringLiteral("買い物\n牛乳\n卵") << QStringLiteral("買い物")
        << QStringLiteral("牛乳") + Crlf + QStringLiteral("卵") + Crlf;
}

void TestNoteText::editModeSplit()
{
    QFETCH(QString, body);
    QFETCH(QString, title);
    QFETCH(QString, memo);
    const TTitleMemo tm = SplitEditBody(body);
    QCOMPARE(tm.title, title);
    QCOMPARE(tm.memo, memo);
    QVERIFY(tm.title.toUtf8().size() <= MaxTitleBytes);
}

void TestNoteText::editModeSplitKeepsAnOversizedBody()
{
    // Over the edit-mode limit, yet saved whole: nothing typed is dropped.
    const QString rest = rep(QStringLiteral("長い本文"), 5000);
    const TTitleMemo tm = SplitEditBody(QStringLiteral("Title\n") + rest);
    QCOMPARE(tm.title, QStringLiteral("Title"));
    QCOMPARE(tm.memo, rest + Crlf);
}

void TestNoteText::leaveEditSplit_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("hasLine");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("rest");

    QTest::newRow("Shopping and milk") << QStringLiteral("Shopping\nmilk") << true
                                       << QStringLiteral("Shopping") << QStringLiteral("milk");
    QTest::newRow("empty body has no line") << QString() << false << QString() << QString();
    QTest::newRow("only a title") << QStringLiteral("Title") << true << QStringLiteral("Title")
                                  << QString();
    QTest::newRow("100 characters: 80 in the title, 20 begin the body")
        << rep(QStringLiteral("x"), 100) + QStringLiteral("\nmore") << true
        << rep(QStringLiteral("x"), 80) << rep(QStringLiteral("x"), 20) + QStringLiteral("\nmore");
    QTest::newRow("characters, not bytes: 80 kana stay in the title")
        << rep(QStringLiteral("あ"), 90) << true << rep(QStringLiteral("あ"), 80)
        << rep(QStringLiteral("あ"), 10);
    QTest::newRow("a surrogate pair at 80 stays whole")
        << rep(QStringLiteral("a"), 79) + QStringLiteral("😀b") << true
        << rep(QStringLiteral("a"), 79) << QStringLiteral("😀b");
}

void TestNoteText::leaveEditSplit()
{
    QFETCH(QString, body);
    QFETCH(bool, hasLine);
    QFETCH(QString, title);
    QFETCH(QString, rest);
    const TLeaveSplit s = SplitLeaveEdit(body);
    QCOMPARE(s.hasLine, hasLine);
    QCOMPARE(s.title, title);
    QCOMPARE(s.body, rest);
}

void TestNoteText::sizeMessage()
{
    QCOMPARE(
        BodyTooLargeMessage(10241),
        QStringLiteral("テキストサイズが大きすぎます(10241)\n\r保存可能なサイズは 10240 文字です"));
}

void TestNoteText::storedLineBreaks()
{
    QCOMPARE(ToStoredText(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
    QCOMPARE(FromStoredText(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
    QCOMPARE(FromStoredText(ToStoredText(QStringLiteral("x\n\ny"))), QStringLiteral("x\n\ny"));
}

// --- links ------------------------------------------------------------------------

void TestNoteText::findLinks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");

    QTest::newRow("address up to a blank") << QStringLiteral("see http://example.com/a b c")
                                           << QStringList{QStringLiteral("http://example.com/a")};
    QTest::newRow("https once, from its prefix")
        << QStringLiteral("x https://example.jp/y")
        << QStringList{QStringLiteral("https://example.jp/y")};
    QTest::newRow("mail link before a closing parenthesis")
        << QStringLiteral("(mailto:me@example.jp)")
        << QStringList{QStringLiteral("mailto:me@example.jp")};
    QTest::newRow("capital FUSEN is not a link")
        << QStringLiteral("FUSEN:123 Fusen:4") << QStringList{};
    QTest::newRow("full-width parenthesis ends a link")
        << QStringLiteral("（fusen:12）を参照") << QStringList{QStringLiteral("fusen:12")};
    QTest::newRow("links on later lines")
        << QStringLiteral("first line\nsecond http://a.example\nthird fusen:7")
        << QStringList{QStringLiteral("http://a.example"), QStringLiteral("fusen:7")};
    QTest::newRow("link tag: only up to the blank")
        << QStringLiteral("fusen:123 \"Buy milk\"") << QStringList{QStringLiteral("fusen:123")};
    QTest::newRow("quote, bracket and brace end links")
        << QStringLiteral("'ftp://a'[ftps://b]{file://c}")
        << QStringList{QStringLiteral("ftp://a"), QStringLiteral("ftps://b"),
                       QStringLiteral("file://c")};
    QTest::newRow("search restarts behind the end character")
        << QStringLiteral("http://a)http://b")
        << QStringList{QStringLiteral("http://a"), QStringLiteral("http://b")};
    QTest::newRow("tab ends a link")
        << QStringLiteral("callto:123\tx") << QStringList{QStringLiteral("callto:123")};
    QTest::newRow("link runs to the end of the text")
        << QStringLiteral("go http://end") << QStringList{QStringLiteral("http://end")};
    QTest::newRow("unknown scheme")
        << QStringLiteral("javascript:alert(1) gopher://x") << QStringList{};
}

void TestNoteText::findLinks()
{
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QStringList found;
    for (const TLinkSpan& s : FindLinks(text))
        found << text.mid(s.start, s.length);
    QCOMPARE(found, links);
}

void TestNoteText::linkTags()
{
    QCOMPARE(LinkTagText(123, QStringLiteral("Buy milk")),
             QStringLiteral("fusen:123 \"Buy milk\""));
    QCOMPARE(LinkTagText(5, QStringLiteral("say \"hi\"")),
             QStringLiteral("fusen:5 \"say \"\"hi\"\"\""));
    QCOMPARE(SearchResultLine(5, QStringLiteral("say \"hi\"")),
             QStringLiteral("fusen:5 \"say \"hi\"\""));
    // the tag's own link is the key, whatever the title holds
    const QString tag = LinkTagText(42, QStringLiteral("a \"b\" c"));
    const QList<TLinkSpan> spans = FindLinks(tag);
    QCOMPARE(spans.size(), 1);
    QCOMPARE(tag.mid(spans[0].start, spans[0].length), QStringLiteral("fusen:42"));
}

void TestNoteText::noteLinkKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::newRow("key") << QStringLiteral("fusen:123") << 123;
    QTest::newRow("letters are key 0") << QStringLiteral("fusen:abc") << 0;
    QTest::newRow("bare prefix") << QStringLiteral("fusen:") << 0;
    QTest::newRow("more than fits 32 bits") << QStringLiteral("fusen:99999999999") << 0;
    QTest::newRow("ten digits read, the eleventh ignored")
        << QStringLiteral("fusen:00000000427") << 42;
    QTest::newRow("capitals are not a note link") << QStringLiteral("FUSEN:1") << -1;
    QTest::newRow("web address") << QStringLiteral("http://x") << -1;
}

void TestNoteText::noteLinkKey()
{
    QFETCH(QString, text);
    QFETCH(int, key);
    QCOMPARE(NoteLinkKey(text), key);
}

void TestNoteText::openableAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("openable");
    QTest::newRow("web") << QStringLiteral("https://example.jp") << true;
    QTest::newRow("mail") << QStringLiteral("mailto:a@b.jp") << true;
    QTest::newRow("file") << QStringLiteral("file:///tmp/x.txt") << true;
    QTest::newRow("note link goes to the desktop instead") << QStringLiteral("fusen:1") << false;
    QTest::newRow("bare prefix") << QStringLiteral("http://") << false;
    QTest::newRow("other schemes never") << QStringLiteral("javascript:alert(1)") << false;
    QTest::newRow("capital prefix") << QStringLiteral("HTTP://x") << false;
}

void TestNoteText::openableAddresses()
{
    QFETCH(QString, text);
    QFETCH(bool, openable);
    QCOMPARE(IsOpenableAddress(text), openable);
}

// --- time label -------------------------------------------------------------------

void TestNoteText::timeLabel_data()
{
    QTest::addColumn<TDateTime>("start");
    QTest::addColumn<TDateTime>("end");
    QTest::addColumn<int>("priority");
    QTest::addColumn<QString>("label");
    const auto at = [](int y, int m, int d, int h = 0, int n = 0) {
        return TDateTime::fromDate(y, m, d, h, n);
    };
    // now is 2024-06-15 12:00
    QTest::newRow("within 90 days, no end")
        << at(2024, 6, 20, 9, 30) << TDateTime() << 40 << QStringLiteral("06/20 09:30 [40]");
    QTest::newRow("within 90 days, with end")
        << at(2024, 6, 20, 9, 30) << at(2024, 6, 21, 18, 5) << 60
        << QStringLiteral("06/20 09:30 - 06/21 18:05 [60]");
    QTest::newRow("100 days back: date only")
        << at(2024, 3, 7, 12) << TDateTime() << 0 << QStringLiteral("2024/03/07 [0]");
    QTest::newRow("100 days back with end: both dates only")
        << at(2024, 3, 7, 12) << at(2024, 6, 30, 8) << 5
        << QStringLiteral("2024/03/07 - 2024/06/30 [5]");
    QTest::newRow("89 days and 23 hours ahead")
        << at(2024, 9, 13, 11) << TDateTime() << 1 << QStringLiteral("09/13 11:00 [1]");
    QTest::newRow("exactly 90 days ahead")
        << at(2024, 9, 13, 12) << TDateTime() << 1 << QStringLiteral("2024/09/13 [1]");
}

void TestNoteText::timeLabel()
{
    QFETCH(TDateTime, start);
    QFETCH(TDateTime, end);
    QFETCH(int, priority);
    QFETCH(QString, label);
    QCOMPARE(TimeLabelText(start, end, priority, TDateTime::fromDate(2024, 6, 15, 12)), label);
}

// --- pointer zones ------------------------------------------------------------------

void TestNoteText::hitZones_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<THitZone>("zone");
    QTest::addColumn<int>("cursor");
    const int cw = 388, ch = 127;
    QTest::newRow("top edge at y 2") << 100 << 2 << THitZone::Top << int(Qt::SizeVerCursor);
    QTest::newRow("y 3 moves: the top edge is 3 pixels")
        << 100 << 3 << THitZone::Interior << int(Qt::ArrowCursor);
    QTest::newRow("right edge at cw-6")
        << cw - 6 << 60 << THitZone::Right << int(Qt::SizeHorCursor);
    QTest::newRow("cw-7 moves") << cw - 7 << 60 << THitZone::Interior << int(Qt::ArrowCursor);
    QTest::newRow("left edge at x 6") << 6 << 60 << THitZone::Left << int(Qt::SizeHorCursor);
    QTest::newRow("x 7 moves") << 7 << 60 << THitZone::Interior << int(Qt::ArrowCursor);
    QTest::newRow("bottom edge at ch-6")
        << 100 << ch - 6 << THitZone::Bottom << int(Qt::SizeVerCursor);
    QTest::newRow("ch-7 moves") << 100 << ch - 7 << THitZone::Interior << int(Qt::ArrowCursor);
    QTest::newRow("bottom-right") << cw - 1 << ch - 1 << THitZone::BottomRight
                                  << int(Qt::SizeFDiagCursor);
    QTest::newRow("top-right") << cw - 3 << 6 << THitZone::TopRight << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom-left") << 0 << ch - 3 << THitZone::BottomLeft << int(Qt::SizeBDiagCursor);
    QTest::newRow("top-left") << 3 << 3 << THitZone::TopLeft << int(Qt::SizeFDiagCursor);
    QTest::newRow("corners reach 7 deep, the top edge only 3")
        << 5 << 6 << THitZone::TopLeft << int(Qt::SizeFDiagCursor);
    QTest::newRow("below the top edge, away from corners")
        << 50 << 5 << THitZone::Interior << int(Qt::ArrowCursor);
}

void TestNoteText::hitZones()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QFETCH(int, cursor);
    QCOMPARE(NoteHitZone(x, y, 388, 127), zone);
    QCOMPARE(int(HitZoneCursor(zone, Qt::ArrowCursor)), cursor);
    QCOMPARE(HitZoneEdges(zone) == Qt::Edges(), zone == THitZone::Interior);
}

void TestNoteText::resizeByEdges()
{
    const QRect start(100, 100, 300, 120);
    const QSize minimum(100, 19);
    QCOMPARE(ResizeByEdges(start, Qt::TopEdge, 5, -20, minimum), QRect(100, 80, 300, 140));
    QCOMPARE(ResizeByEdges(start, Qt::BottomEdge | Qt::RightEdge, 10, 10, minimum),
             QRect(100, 100, 310, 130));
    // the opposite edge holds, however far the pointer goes
    QCOMPARE(ResizeByEdges(start, Qt::LeftEdge, 500, 0, minimum), QRect(300, 100, 100, 120));
    QCOMPARE(ResizeByEdges(start, Qt::TopEdge, 0, 500, minimum), QRect(100, 201, 300, 19));
}

void TestNoteText::snap_data()
{
    QTest::addColumn<QRect>("r");
    QTest::addColumn<QPoint>("snapped");
    QTest::newRow("10 pixels from the left snaps") << QRect(10, 500, 200, 100) << QPoint(0, 500);
    QTest::newRow("11 pixels stays") << QRect(11, 500, 200, 100) << QPoint(11, 500);
    QTest::newRow("right edge 8 short") << QRect(1072, 300, 200, 100) << QPoint(1080, 300);
    QTest::newRow("past the right edge by 5") << QRect(1085, 300, 200, 100) << QPoint(1080, 300);
    QTest::newRow("8 below the top") << QRect(400, 38, 200, 100) << QPoint(400, 30);
    QTest::newRow("26 above the top is too far") << QRect(400, 4, 200, 100) << QPoint(400, 4);
    QTest::newRow("bottom 10 short") << QRect(400, 914, 200, 100) << QPoint(400, 924);
    QTest::newRow("in the middle nothing moves") << QRect(400, 400, 200, 100) << QPoint(400, 400);
}

void TestNoteText::snap()
{
    QFETCH(QRect, r);
    QFETCH(QPoint, snapped);
    QCOMPARE(SnapToWorkArea(r, QRect(0, 30, 1280, 994)), snapped);
}

void TestNoteText::pullBack_data()
{
    QTest::addColumn<QList<QRect>>("areas");
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("shown");
    const QList<QRect> one{QRect(0, 0, 1920, 1080)};
    const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QTest::newRow("on screen stays")
        << one << QRect(100, 100, 300, 120) << QRect(100, 100, 300, 120);
    QTest::newRow("right of a lost second monitor")
        << one << QRect(2500, 200, 300, 120) << QRect(1620, 200, 300, 120);
    QTest::newRow("above and left of every screen")
        << one << QRect(-900, -400, 300, 120) << QRect(0, 0, 300, 120);
    QTest::newRow("20 pixels showing is not enough to grab")
        << one << QRect(1900, 100, 300, 120) << QRect(1620, 100, 300, 120);
    QTest::newRow("a header's width showing is enough")
        << one << QRect(1800, 100, 300, 120) << QRect(1800, 100, 300, 120);
    QTest::newRow("on the second screen stays")
        << two << QRect(2000, 50, 300, 120) << QRect(2000, 50, 300, 120);
    QTest::newRow("beyond the second screen goes to it")
        << two << QRect(4000, 50, 300, 120) << QRect(2900, 50, 300, 120);
    QTest::newRow("larger than the screen is shrunk to it")
        << one << QRect(3000, -50, 2500, 1500) << QRect(0, 0, 1920, 1080);
}

void TestNoteText::pullBack()
{
    QFETCH(QList<QRect>, areas);
    QFETCH(QRect, stored);
    QFETCH(QRect, shown);
    QCOMPARE(PullBackIntoWorkAreas(stored, areas), shown);
}

// --- order and arrangements ---------------------------------------------------------

void TestNoteText::noteOrder_data()
{
    QTest::addColumn<int>("pa");
    QTest::addColumn<double>("sa");
    QTest::addColumn<QString>("ta");
    QTest::addColumn<int>("pb");
    QTest::addColumn<double>("sb");
    QTest::addColumn<QString>("tb");
    QTest::addColumn<bool>("aFirst");
    const double day = 45000.0;
    const double ms = 1.0 / 86400000.0;
    QTest::newRow("higher priority first") << 60 << day << "a" << 40 << day + 1 << "z" << true;
    QTest::newRow("lower priority after") << 40 << day + 1 << "z" << 60 << day << "a" << false;
    QTest::newRow("equal priority: later start first")
        << 50 << day + 1 << "a" << 50 << day << "z" << true;
    QTest::newRow("starts under a millisecond apart: greater title first")
        << 50 << day << "b" << 50 << day + 0.4 * ms << "a" << true;
    QTest::newRow("a millisecond apart still counts")
        << 50 << day << "b" << 50 << day + 1.5 * ms << "a" << false;
    QTest::newRow("same everything: neither first")
        << 50 << day << "a" << 50 << day << "a" << false;
}

void TestNoteText::noteOrder()
{
    QFETCH(int, pa);
    QFETCH(double, sa);
    QFETCH(QString, ta);
    QFETCH(int, pb);
    QFETCH(double, sb);
    QFETCH(QString, tb);
    QFETCH(bool, aFirst);
    QCOMPARE(NoteOrderBefore({pa, TDateTime(sa), ta}, {pb, TDateTime(sb), tb}), aFirst);
}

namespace {
Items notes(int n, int32_t group = 0)
{
    Items items;
    for (int i = 0; i < n; ++i)
        items << TArrangeItem{QRect(10 * i, 10 * i, 300, 120), false, group};
    return items;
}
} // namespace

void TestNoteText::cascade_data()
{
    QTest::addColumn<Items>("items");
    QTest::addColumn<TArrangeParams>("params");
    QTest::addColumn<int>("group");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Placements>("placements");
    const TArrangeParams defaults{0, 2000, 250, 90, 0, 20};
    const QRect w1280(0, 0, 1280, 1024);

    QTest::newRow("defaults on 1280: Left 1030, the last of the order at Top 0")
        << notes(4) << defaults << -1 << w1280
        << Placements{{3, QRect(1030, 0, 250, 90)},
                      {2, QRect(1030, 20, 250, 90)},
                      {1, QRect(1030, 40, 250, 90)},
                      {0, QRect(1030, 60, 250, 90)}};
    Items anchored = notes(3);
    anchored[1].anchored = true;
    QTest::newRow("anchored note untouched")
        << anchored << defaults << -1 << w1280
        << Placements{{2, QRect(1030, 0, 250, 90)}, {0, QRect(1030, 20, 250, 90)}};
    Items mixed = notes(4);
    mixed[0].group = 1;
    mixed[2].group = 1;
    QTest::newRow("one group only")
        << mixed << defaults << 1 << w1280
        << Placements{{2, QRect(1030, 0, 250, 90)}, {0, QRect(1030, 20, 250, 90)}};
    QTest::newRow("the stack stops at the bottom")
        << notes(3) << TArrangeParams{0, 0, 250, 90, 10, 40} << -1 << QRect(0, 0, 1280, 150)
        << Placements{
               {2, QRect(0, 0, 250, 90)}, {1, QRect(10, 40, 250, 90)}, {0, QRect(20, 60, 250, 90)}};
    QTest::newRow("a work area that does not start at 0,0")
        << notes(1) << defaults << -1 << QRect(1280, 0, 1024, 768)
        << Placements{{0, QRect(2000, 0, 250, 90)}};
}

void TestNoteText::cascade()
{
    QFETCH(Items, items);
    QFETCH(TArrangeParams, params);
    QFETCH(int, group);
    QFETCH(QRect, area);
    QFETCH(Placements, placements);
    QCOMPARE(CascadePlacements(items, params, group, area), placements);
}

void TestNoteText::tile_data()
{
    QTest::addColumn<Items>("items");
    QTest::addColumn<TArrangeParams>("params");
    QTest::addColumn<int>("group");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Placements>("placements");
    const TArrangeParams defaults{0, 0, 200, 90, 0, 0};
    const QRect wide(0, 0, 1920, 1080);

    QTest::newRow("five notes: three, then two") << notes(5) << defaults << -1 << wide
                                                 << Placements{{0, QRect(0, 0, 200, 90)},
                                                               {1, QRect(200, 0, 200, 90)},
                                                               {2, QRect(400, 0, 200, 90)},
                                                               {3, QRect(0, 90, 200, 90)},
                                                               {4, QRect(200, 90, 200, 90)}};
    QTest::newRow("two notes: one row of two")
        << notes(2) << defaults << -1 << wide
        << Placements{{0, QRect(0, 0, 200, 90)}, {1, QRect(200, 0, 200, 90)}};
    QTest::newRow("seven notes: rows of four")
        << notes(7) << TArrangeParams{10, 10, 200, 90, 5, 6} << -1 << wide
        << Placements{{0, QRect(10, 10, 200, 90)},  {1, QRect(215, 10, 200, 90)},
                      {2, QRect(420, 10, 200, 90)}, {3, QRect(625, 10, 200, 90)},
                      {4, QRect(10, 106, 200, 90)}, {5, QRect(215, 106, 200, 90)},
                      {6, QRect(420, 106, 200, 90)}};
    QTest::newRow("the right edge starts a row early")
        << notes(3) << defaults << -1 << QRect(0, 0, 500, 1080)
        << Placements{
               {0, QRect(0, 0, 200, 90)}, {1, QRect(200, 0, 200, 90)}, {2, QRect(0, 90, 200, 90)}};
    QTest::newRow("Left already past the edge: every note on a row of its own")
        << notes(2) << TArrangeParams{0, 1800, 200, 90, 0, 0} << -1 << wide
        << Placements{{0, QRect(1800, 90, 200, 90)}, {1, QRect(1800, 180, 200, 90)}};
    // Seven notes, three unanchored in group 1: rows of three (n = 3), not
    // of four as all seven would give.
    Items grouped = notes(7);
    for (int i : {1, 2, 4, 6})
        grouped[i].group = 1;
    grouped[6].anchored = true;
    QTest::newRow("a group counts only its unanchored notes")
        << grouped << defaults << 1 << wide
        << Placements{
               {1, QRect(0, 0, 200, 90)}, {2, QRect(200, 0, 200, 90)}, {4, QRect(400, 0, 200, 90)}};
    // All notes: anchored ones count for the row length but stay put.
    Items anchored = notes(3);
    anchored[0].anchored = true;
    QTest::newRow("anchored notes count, but stay")
        << anchored << defaults << -1 << wide
        << Placements{{1, QRect(0, 0, 200, 90)}, {2, QRect(200, 0, 200, 90)}};
    QTest::newRow("rows stop at the bottom") << notes(5) << defaults << -1 << QRect(0, 0, 400, 200)
                                             << Placements{{0, QRect(0, 0, 200, 90)},
                                                           {1, QRect(200, 0, 200, 90)},
                                                           {2, QRect(0, 90, 200, 90)},
                                                           {3, QRect(200, 90, 200, 90)},
                                                           {4, QRect(0, 110, 200, 90)}};
}

void TestNoteText::tile()
{
    QFETCH(Items, items);
    QFETCH(TArrangeParams, params);
    QFETCH(int, group);
    QFETCH(QRect, area);
    QFETCH(Placements, placements);
    QCOMPARE(TilePlacements(items, params, group, area), placements);
}

void TestNoteText::hereParams()
{
    const TArrangeParams cascade{0, 2000, 250, 90, 7, 20};
    const TArrangeParams tile{0, 0, 200, 90, 5, 3};
    const QRect note(300, 200, 320, 110);
    QCOMPARE(CascadeHereParams(cascade, note, false), (TArrangeParams{200, 300, 320, 110, 7, 20}));
    QCOMPARE(CascadeHereParams(cascade, note, true), (TArrangeParams{220, 307, 320, 110, 7, 20}));
    QCOMPARE(TileHereParams(tile, note, false), (TArrangeParams{200, 300, 320, 110, 5, 3}));
    // an anchored note stays: the row starts just right of it
    QCOMPARE(TileHereParams(tile, note, true), (TArrangeParams{200, 625, 320, 110, 5, 3}));
}

void TestNoteText::linkedNotePosition_data()
{
    QTest::addColumn<QRect>("from");
    QTest::addColumn<QPoint>("pos");
    QTest::newRow("more room to the right") << QRect(100, 100, 200, 100) << QPoint(300, 100);
    QTest::newRow("more room below") << QRect(1000, 100, 200, 100) << QPoint(1000, 200);
    QTest::newRow("equal room: below") << QRect(1000, 824, 180, 100) << QPoint(1000, 924);
}

void TestNoteText::linkedNotePosition()
{
    QFETCH(QRect, from);
    QFETCH(QPoint, pos);
    QCOMPARE(LinkedNotePosition(from, QRect(0, 0, 1280, 1024)), pos);
}

void TestNoteText::peeledEntries()
{
    TPeeledList list{{5, 40}, {7, 10}, {5, 60}};
    // the first entry for a note decides
    QVERIFY(StaysPeeledOff(list, 5, 40));
    QVERIFY(!StaysPeeledOff(list, 5, 41));
    QVERIFY(!StaysPeeledOff(list, 9, 0));
    QVERIFY(RemoveFirstPeeled(list, 5));
    QCOMPARE(list, (TPeeledList{{7, 10}, {5, 60}}));
    QVERIFY(StaysPeeledOff(list, 5, 41));
    QVERIFY(!RemoveFirstPeeled(list, 9));
}

QTEST_GUILESS_MAIN(TestNoteText)
#include "tst_notetext.moc"
