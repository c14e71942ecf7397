#include "FusenGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace FusenGlyphs {

namespace {

enum class Look
{
    Up,
    Down,
    Hover,
    Disabled,
};

using Draw = std::function<void(QPainter&, Look)>;

// The glyphs are designed on a 16-unit grid and drawn for 1x and 2x screens.
QPixmap render(const Draw& draw, Look look, qreal dpr)
{
    const int px = qRound(Size * dpr);
    QPixmap pm(px, px);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(Size / 16.0, Size / 16.0);
    draw(p, look);
    return pm;
}

QIcon makeIcon(const Draw& draw, bool checkable)
{
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        icon.addPixmap(render(draw, Look::Up, dpr), QIcon::Normal, QIcon::Off);
        icon.addPixmap(render(draw, Look::Hover, dpr), QIcon::Active, QIcon::Off);
        icon.addPixmap(render(draw, Look::Disabled, dpr), QIcon::Disabled, QIcon::Off);
        icon.addPixmap(render(draw, checkable ? Look::Down : Look::Up, dpr), QIcon::Normal,
                       QIcon::On);
        icon.addPixmap(render(draw, checkable ? Look::Down : Look::Hover, dpr), QIcon::Active,
                       QIcon::On);
        icon.addPixmap(render(draw, Look::Disabled, dpr), QIcon::Disabled, QIcon::On);
    }
    return icon;
}

QColor ink(Look look, const QColor& up, const QColor& hover, const QColor& down)
{
    switch (look) {
    case Look::Up:
        return up;
    case Look::Hover:
        return hover;
    case Look::Down:
        return down;
    case Look::Disabled:
        break;
    }
    return QColor(0, 0, 0, 60);
}

QPen roundPen(const QColor& c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawPencil(QPainter& p, Look look)
{
    const bool off = look == Look::Disabled;
    const QColor outline = off ? QColor(0, 0, 0, 60) : QColor(60, 50, 40);
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    // body, ferrule, eraser along x from -6 to 6, width 4
    p.setPen(Qt::NoPen);
    p.setBrush(off ? QColor(0, 0, 0, 30) : QColor(255, 196, 40));
    p.drawRect(QRectF(-3.5, -2, 8, 4));
    p.setBrush(off ? QColor(0, 0, 0, 30) : QColor(232, 120, 130));
    p.drawRect(QRectF(4.5, -2, 2.5, 4));
    QPainterPath tip;
    tip.moveTo(-3.5, -2);
    tip.lineTo(-7.5, 0);
    tip.lineTo(-3.5, 2);
    tip.closeSubpath();
    p.setBrush(off ? QColor(0, 0, 0, 20) : QColor(245, 222, 179));
    p.drawPath(tip);
    p.setBrush(outline);
    QPainterPath lead;
    lead.moveTo(-6, -0.75);
    lead.lineTo(-7.5, 0);
    lead.lineTo(-6, 0.75);
    lead.closeSubpath();
    p.drawPath(lead);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(outline, 1.0));
    QPainterPath shape;
    shape.moveTo(7, -2);
    shape.lineTo(-3.5, -2);
    shape.lineTo(-7.5, 0);
    shape.lineTo(-3.5, 2);
    shape.lineTo(7, 2);
    shape.closeSubpath();
    p.drawPath(shape);
    p.restore();
}

void drawAnchor(QPainter& p, Look look)
{
    const QColor c = ink(look, QColor(72, 72, 72), QColor(30, 60, 150), QColor(20, 50, 130));
    const qreal w = look == Look::Down ? 2.0 : 1.5;
    p.setPen(roundPen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 3.2), 1.8, 1.8);  // ring
    p.drawLine(QPointF(8, 5), QPointF(8, 14)); // shank
    p.drawLine(QPointF(5, 7), QPointF(11, 7)); // stock
    QPainterPath arms;
    arms.moveTo(2.5, 9.5);
    arms.cubicTo(3, 13, 6, 14.3, 8, 14.3);
    arms.cubicTo(10, 14.3, 13, 13, 13.5, 9.5);
    p.drawPath(arms);
    // flukes
    p.setBrush(c);
    p.setPen(roundPen(c, 0.8));
    QPainterPath left;
    left.moveTo(1.3, 10.8);
    left.lineTo(2.5, 8.3);
    left.lineTo(4.2, 10.3);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(14.7, 10.8);
    right.lineTo(13.5, 8.3);
    right.lineTo(11.8, 10.3);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
}

void drawCheck(QPainter& p, Look look)
{
    const QRectF box(1.5, 1.5, 13, 13);
    if (look == Look::Down) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(46, 150, 70));
        p.drawRoundedRect(box, 3, 3);
        p.setPen(roundPen(Qt::white, 2.2));
    } else {
        const QColor c = ink(look, QColor(72, 72, 72), QColor(30, 130, 60), QColor());
        p.setPen(roundPen(c, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box, 3, 3);
        QColor tick = c;
        if (look == Look::Up)
            tick.setAlpha(80);
        p.setPen(roundPen(tick, 1.8));
    }
    QPainterPath check;
    check.moveTo(4.3, 8.3);
    check.lineTo(7, 11);
    check.lineTo(11.8, 5);
    p.drawPath(check);
}

void drawCross(QPainter& p, Look look)
{
    const QColor c = ink(look, QColor(72, 72, 72), QColor(190, 20, 20), QColor(150, 20, 20));
    p.setPen(roundPen(c, 2.0));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

} // namespace

QIcon edit()
{
    return makeIcon(drawPencil, false);
}

QIcon anchor()
{
    return makeIcon(drawAnchor, true);
}

QIcon completed()
{
    return makeIcon(drawCheck, true);
}

QIcon peelOff()
{
    return makeIcon(drawCross, false);
}

} // namespace FusenGlyphs
