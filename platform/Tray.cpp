#include "Tray.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap drawNote(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, size >= 22);

    const qreal s = size;
    const qreal m = s >= 32 ? s / 16.0 : 1.0; // margin
    const qreal fold = qRound(s * 0.3);       // folded corner's edge
    const QRectF note(m, m, s - 2 * m, s - 2 * m);

    // The sheet without its bottom-right corner.
    QPainterPath sheet;
    sheet.moveTo(note.topLeft());
    sheet.lineTo(note.right(), note.top());
    sheet.lineTo(note.right(), note.bottom() - fold);
    sheet.lineTo(note.right() - fold, note.bottom());
    sheet.lineTo(note.left(), note.bottom());
    sheet.closeSubpath();

    const QColor paper(0xFF, 0xE4, 0x4D);
    const QColor edge(0xB0, 0x8A, 0x10);
    if (size >= 32) {
        // A faint shadow lifts the note off light panels.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 50));
        p.drawPath(sheet.translated(m / 2, m / 2));
    }
    p.setPen(QPen(edge, s >= 48 ? 1.5 : 1.0));
    p.setBrush(paper);
    p.drawPath(sheet);

    // The coloured header strip every Kwil note has.
    const qreal header = qMax<qreal>(2, qRound(s * 0.16));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF0, 0x9A, 0x1A));
    p.drawRect(QRectF(note.left() + 1, note.top() + 1, note.width() - 2, header));

    // Lines of writing, where there is room for them.
    if (size >= 22) {
        p.setPen(QPen(QColor(0x8A, 0x70, 0x20), qMax<qreal>(1, s / 32)));
        const qreal left = note.left() + s * 0.14;
        const qreal step = s * 0.15;
        for (qreal y = note.top() + header + step; y < note.bottom() - fold * 0.9; y += step)
            p.drawLine(QPointF(left, y), QPointF(note.right() - s * 0.14, y));
    }

    // The folded corner.
    QPainterPath flap;
    flap.moveTo(note.right(), note.bottom() - fold);
    flap.lineTo(note.right() - fold, note.bottom() - fold);
    flap.lineTo(note.right() - fold, note.bottom());
    flap.closeSubpath();
    p.setPen(QPen(edge, s >= 48 ? 1.5 : 1.0));
    p.setBrush(QColor(0xE0, 0xBA, 0x2A));
    p.drawPath(flap);
    return pm;
}

} // namespace

TTray::TTray(QObject* parent) : QObject(parent), FIcon(new QSystemTrayIcon(this))
{
    FIcon->setIcon(programIcon());
    FIcon->setToolTip(QString());
    connect(FIcon, &QSystemTrayIcon::activated, this, &TTray::iconActivated);
}

TTray::~TTray() = default;

void TTray::setMenu(QMenu* menu)
{
    // QSystemTrayIcon opens its context menu at the pointer on a right click,
    // and hands it to the tray host where the host draws menus itself.
    FIcon->setContextMenu(menu);
}

QMenu* TTray::menu() const
{
    return FIcon->contextMenu();
}

void TTray::show()
{
    FIcon->show();
}

void TTray::hide()
{
    FIcon->hide();
}

bool TTray::isVisible() const
{
    return FIcon->isVisible();
}

bool TTray::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QIcon TTray::programIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64})
        icon.addPixmap(drawNote(size));
    return icon;
}

void TTray::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A single click and the middle button do nothing; the context menu is
    // Qt's to open.
    if (reason == QSystemTrayIcon::DoubleClick)
        Q_EMIT doubleClicked();
}
