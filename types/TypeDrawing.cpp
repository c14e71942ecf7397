#include "TypeDrawing.h"

#include "platform/Colors.h"
#include "types/Priority.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace {
constexpr int StartX = 150;
constexpr int EndX = 210;
constexpr int MaxSpanPixels = 100;

int spanPixels(int days)
{
    return std::clamp(days, 0, MaxSpanPixels);
}

QColor shade(const TTypeRecord& t, int level)
{
    return WinColorToQColor(ShadeColor(t.R, t.G, t.B, level));
}
} // namespace

int ValueToY(int value, int height)
{
    const int y = height - RoundHalfEven((value / 100.0) * height);
    return std::min(y, height - 1);
}

void DrawPriorityGraph(QImage& image, const TTypeRecord& type, bool showEnd, int lowPriority)
{
    const int w = image.width();
    const int h = image.height();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, w, h, Qt::white);

    if (lowPriority > 0) {
        const int top = ValueToY(lowPriority, h);
        p.fillRect(0, top, w, h - top, QColor(0xC0, 0xC0, 0xC0));
    }

    p.setPen(QPen(Qt::red, 0));
    p.drawLine(StartX, 0, StartX, h - 1);
    if (showEnd) {
        p.setPen(QPen(Qt::blue, 0));
        p.drawLine(EndX, 0, EndX, h - 1);
    }

    const int yInit = ValueToY(type.INITVAL, h);
    QPolygon curve;
    curve << QPoint(0, yInit) << QPoint(StartX - spanPixels(type.SSPAN), yInit)
          << QPoint(StartX, ValueToY(type.SVAL, h));
    int xClose = StartX + spanPixels(type.ESPAN);
    if (showEnd) {
        curve << QPoint(EndX, ValueToY(type.EVAL, h));
        xClose = EndX + spanPixels(type.ESPAN);
    }
    const int yClose = ValueToY(type.CLOSEVAL, h);
    curve << QPoint(xClose, yClose) << QPoint(w - 1, yClose);
    p.setPen(QPen(Qt::black, 0));
    p.drawPolyline(curve);
}

void DrawSample(QImage& image, const TTypeRecord& type, int headerLevel, const QFont& font)
{
    const int w = image.width();
    const int h = image.height();
    QPainter p(&image);
    p.fillRect(0, 0, w, h, WinColorToQColor(type.BGCOLOR));

    // Texts are placed by the top of their line, like the note window does.
    const auto textAt = [&](int x, int y, const QString& text) {
        p.drawText(QRect(x, y, w - x, h - y), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   text);
    };
    QFont body = font;
    p.setFont(body);
    p.setPen(WinColorToQColor(type.TEXTCOLOR));
    textAt(8, 30, QStringLiteral("本文テキスト"));
    QFont link = font;
    link.setUnderline(true);
    p.setFont(link);
    p.setPen(WinColorToQColor(type.LINKCOLOR));
    textAt(8, 50, QStringLiteral("http://www.example.com/"));

    // The header spans (4,4)-(w-4,24) without its right and bottom edges, which
    // carry the frame's dark pen. Each pen leaves out its last point, so the
    // light one keeps the corner at (4,24).
    const QRect header(QPoint(4, 4), QPoint(w - 5, 23));
    p.fillRect(header, shade(type, headerLevel));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(shade(type, 192), 0));
    p.drawPolyline(QPolygon({QPoint(4, 24), QPoint(4, 4), QPoint(w - 4, 4)}));
    p.setPen(QPen(shade(type, 64), 0));
    p.drawPolyline(QPolygon({QPoint(w - 4, 4), QPoint(w - 4, 24), QPoint(5, 24)}));

    p.setClipRect(header);
    p.setFont(body);
    p.setPen(WinColorToQColor(type.HTEXTCOLOR));
    textAt(8, 8, QStringLiteral("ヘッダーテキスト"));
}
