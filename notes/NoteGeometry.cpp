#include "NoteGeometry.h"

#include "types/Priority.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

THitZone NoteHitZone(int x, int y, int cw, int ch)
{
    if (x > cw - 7 && y > ch - 7)
        return THitZone::BottomRight;
    if (x > cw - 7 && y < 7)
        return THitZone::TopRight;
    if (x < 7 && y > ch - 7)
        return THitZone::BottomLeft;
    if (x < 7 && y < 7)
        return THitZone::TopLeft;
    if (x < 7)
        return THitZone::Left;
    if (x > cw - 7)
        return THitZone::Right;
    if (y < 3)
        return THitZone::Top;
    if (y > ch - 7)
        return THitZone::Bottom;
    return THitZone::Interior;
}

Qt::Edges HitZoneEdges(THitZone zone)
{
    switch (zone) {
    case THitZone::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    case THitZone::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case THitZone::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case THitZone::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case THitZone::Left:
        return Qt::LeftEdge;
    case THitZone::Right:
        return Qt::RightEdge;
    case THitZone::Top:
        return Qt::TopEdge;
    case THitZone::Bottom:
        return Qt::BottomEdge;
    case THitZone::Interior:
        break;
    }
    return {};
}

Qt::CursorShape HitZoneCursor(THitZone zone, Qt::CursorShape interior)
{
    switch (zone) {
    case THitZone::BottomRight:
    case THitZone::TopLeft:
        return Qt::SizeFDiagCursor;
    case THitZone::TopRight:
    case THitZone::BottomLeft:
        return Qt::SizeBDiagCursor;
    case THitZone::Left:
    case THitZone::Right:
        return Qt::SizeHorCursor;
    case THitZone::Top:
    case THitZone::Bottom:
        return Qt::SizeVerCursor;
    case THitZone::Interior:
        break;
    }
    return interior;
}

QRect ResizeByEdges(const QRect& start, Qt::Edges edges, int dx, int dy, QSize minimum)
{
    int left = start.left();
    int top = start.top();
    int right = start.left() + start.width();
    int bottom = start.top() + start.height();
    if (edges & Qt::LeftEdge)
        left = std::min(left + dx, right - minimum.width());
    if (edges & Qt::RightEdge)
        right = std::max(right + dx, left + minimum.width());
    if (edges & Qt::TopEdge)
        top = std::min(top + dy, bottom - minimum.height());
    if (edges & Qt::BottomEdge)
        bottom = std::max(bottom + dy, top + minimum.height());
    return QRect(left, top, right - left, bottom - top);
}

QPoint SnapToWorkArea(const QRect& r, const QRect& area, int distance)
{
    const int areaRight = area.x() + area.width();
    const int areaBottom = area.y() + area.height();
    int x = r.x();
    int y = r.y();
    if (std::abs(r.x() - area.x()) <= distance)
        x = area.x();
    else if (std::abs(r.x() + r.width() - areaRight) <= distance)
        x = areaRight - r.width();
    if (std::abs(r.y() - area.y()) <= distance)
        y = area.y();
    else if (std::abs(r.y() + r.height() - areaBottom) <= distance)
        y = areaBottom - r.height();
    return QPoint(x, y);
}

bool IsReachable(const QRect& r, const QList<QRect>& areas)
{
    const int needW = std::min(ReachableWidth, r.width());
    const int needH = std::min(ReachableHeight, r.height());
    for (const QRect& a : areas) {
        const QRect i = a.intersected(r);
        if (!i.isEmpty() && i.width() >= needW && i.height() >= needH)
            return true;
    }
    return false;
}

QRect PullBackIntoWorkAreas(const QRect& r, const QList<QRect>& areas)
{
    if (areas.isEmpty() || IsReachable(r, areas))
        return r;
    // The area it overlaps most, else the one closest to its centre.
    QRect best = areas.first();
    qint64 bestOverlap = 0;
    for (const QRect& a : areas) {
        const QRect i = a.intersected(r);
        const qint64 overlap = i.isEmpty() ? 0 : qint64(i.width()) * i.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = a;
        }
    }
    if (bestOverlap == 0) {
        const QPoint c = r.center();
        qint64 bestDist = -1;
        for (const QRect& a : areas) {
            const qint64 dx = c.x() < a.left() ? a.left() - c.x() : std::max(0, c.x() - a.right());
            const qint64 dy = c.y() < a.top() ? a.top() - c.y() : std::max(0, c.y() - a.bottom());
            const qint64 d = dx * dx + dy * dy;
            if (bestDist < 0 || d < bestDist) {
                bestDist = d;
                best = a;
            }
        }
    }
    const int w = std::min(r.width(), best.width());
    const int h = std::min(r.height(), best.height());
    const int x = std::clamp(r.x(), best.x(), best.x() + best.width() - w);
    const int y = std::clamp(r.y(), best.y(), best.y() + best.height() - h);
    return QRect(x, y, w, h);
}

bool NoteOrderBefore(const TNoteOrderKey& a, const TNoteOrderKey& b)
{
    if (a.priority != b.priority)
        return a.priority > b.priority;
    if (std::abs(a.stime.value - b.stime.value) * 86400000.0 >= 1.0)
        return a.stime.value > b.stime.value;
    return QString::localeAwareCompare(a.title, b.title) > 0;
}

namespace {
bool takesPart(const TArrangeItem& item, int32_t group)
{
    return !item.anchored && (group == -1 || item.group == group);
}
} // namespace

QList<TPlacement> CascadePlacements(const QList<TArrangeItem>& items, const TArrangeParams& p,
                                    int32_t group, const QRect& area)
{
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    QList<TPlacement> out;
    int t = p.Top;
    int l = p.Left;
    for (int i = items.size() - 1; i >= 0; --i) {
        if (!takesPart(items[i], group))
            continue;
        if (t + p.Height > bottom)
            t = bottom - p.Height;
        if (l + p.Width > right)
            l = right - p.Width;
        out << TPlacement{i, QRect(l, t, p.Width, p.Height)};
        t += p.DH;
        l += p.DW;
    }
    return out;
}

QList<TPlacement> TilePlacements(const QList<TArrangeItem>& items, const TArrangeParams& p,
                                 int32_t group, const QRect& area)
{
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    int n = 0;
    for (const TArrangeItem& item : items)
        if (group == -1 || (item.group == group && !item.anchored))
            ++n;
    const int perRow = RoundHalfEven(std::sqrt(double(n)) + 1.0);
    QList<TPlacement> out;
    int t = p.Top;
    int l = p.Left;
    int i = 0;
    for (int k = 0; k < items.size(); ++k) {
        if (!takesPart(items[k], group))
            continue;
        ++i;
        if (l + p.Width > right || i > perRow) {
            l = p.Left;
            t += p.Height + p.DH;
            i = 1;
        }
        if (t + p.Height > bottom)
            t = bottom - p.Height;
        out << TPlacement{k, QRect(l, t, p.Width, p.Height)};
        l += p.Width + p.DW;
    }
    return out;
}

TArrangeParams CascadeHereParams(TArrangeParams p, const QRect& note, bool anchored)
{
    p.Top = note.y();
    p.Left = note.x();
    p.Width = note.width();
    p.Height = note.height();
    if (anchored) {
        p.Top += p.DH;
        p.Left += p.DW;
    }
    return p;
}

TArrangeParams TileHereParams(TArrangeParams p, const QRect& note, bool anchored)
{
    p.Top = note.y();
    p.Left = note.x();
    p.Width = note.width();
    p.Height = note.height();
    if (anchored)
        p.Left = note.x() + note.width() + p.DW;
    return p;
}

QPoint LinkedNotePosition(const QRect& from, const QRect& area)
{
    const int spaceBelow = area.y() + area.height() - (from.y() + from.height());
    const int spaceRight = area.x() + area.width() - (from.x() + from.width());
    if (spaceBelow < spaceRight)
        return QPoint(from.x() + from.width(), from.y());
    return QPoint(from.x(), from.y() + from.height());
}
