#pragma once

#include "app/Settings.h"
#include "platform/DateTime.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>

// Where a note window is and where it goes: the pointer zones of its frame,
// snapping, bringing a lost window back on screen, the note order and the
// cascade and tile arrangements. Pure functions over rectangles.

// The zone of a note window under the pointer, in client coordinates.
enum class THitZone
{
    Interior, // moves the window
    BottomRight,
    TopRight,
    BottomLeft,
    TopLeft,
    Left,
    Right,
    Top, // only 3 pixels deep, so a press just below the edge still moves
    Bottom,
};
THitZone NoteHitZone(int x, int y, int clientWidth, int clientHeight);
// The edges a sizing zone drags (none for the interior).
Qt::Edges HitZoneEdges(THitZone zone);
// The pointer shape over a zone; the interior keeps the control's own.
Qt::CursorShape HitZoneCursor(THitZone zone, Qt::CursorShape interior);
// The bounds after dragging the given edges by (dx, dy), holding the
// opposite edges and keeping at least the minimum size.
QRect ResizeByEdges(const QRect& start, Qt::Edges edges, int dx, int dy, QSize minimum);

// A window's position after snapping each of its edges that lies within
// distance pixels of the same edge of the work area onto it.
QPoint SnapToWorkArea(const QRect& r, const QRect& area, int distance = 10);

// A note is reachable when a piece of it at least this large lies inside a
// work area; otherwise it is brought back whole into the nearest one.
constexpr int ReachableWidth = 32;
constexpr int ReachableHeight = 16;
bool IsReachable(const QRect& r, const QList<QRect>& areas);
// r itself when reachable; otherwise r moved (and, if larger, shrunk) the
// shortest way into the nearest work area.
QRect PullBackIntoWorkAreas(const QRect& r, const QList<QRect>& areas);

// --- note order ----------------------------------------------------------

struct TNoteOrderKey
{
    int priority = 0;
    TDateTime stime;
    QString title;
};
// Higher priority first; then the later start (less than a millisecond apart
// counts as equal); then the greater title by the locale's comparison.
bool NoteOrderBefore(const TNoteOrderKey& a, const TNoteOrderKey& b);

// --- arrangements --------------------------------------------------------

// One open note as an arrangement sees it, in the note order.
struct TArrangeItem
{
    QRect bounds;
    bool anchored = false;
    int32_t group = 0;
};
// A note to place: its index among the items and its new bounds, in the
// order the notes are placed (each is sent behind the others as it goes).
struct TPlacement
{
    int index = 0;
    QRect bounds;
    friend bool operator==(const TPlacement&, const TPlacement&) = default;
};

// group -1 arranges every note; anchored notes never move. Positions are
// clipped against the right and bottom edges of the work area.
QList<TPlacement> CascadePlacements(const QList<TArrangeItem>& items, const TArrangeParams& p,
                                    int32_t group, const QRect& area);
QList<TPlacement> TilePlacements(const QList<TArrangeItem>& items, const TArrangeParams& p,
                                 int32_t group, const QRect& area);

// The parameters of an arrangement that starts at a note: the note's bounds
// in place of the setting's, and past the note when the note itself stays put.
TArrangeParams CascadeHereParams(TArrangeParams p, const QRect& note, bool anchored);
TArrangeParams TileHereParams(TArrangeParams p, const QRect& note, bool anchored);

// Where a note opened from a link in another note goes: to the right of it
// when there is more room to the right than below, else below it.
QPoint LinkedNotePosition(const QRect& from, const QRect& area);
