#include "ColorButton.h"

#include "platform/Colors.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {
constexpr QSize SwatchSize{40, 14};
}

TColorButton::TColorButton(QWidget* parent) : QToolButton(parent)
{
    setIconSize(SwatchSize);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    updateSwatch();
    connect(this, &QToolButton::clicked, this, &TColorButton::chooseColor);
}

void TColorButton::setColor(uint32_t color)
{
    color &= 0xFFFFFF;
    if (color == FColor)
        return;
    FColor = color;
    updateSwatch();
    Q_EMIT colorChanged(FColor);
}

void TColorButton::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(WinColorToQColor(FColor), this, FDialogTitle);
    if (chosen.isValid()) // invalid when the user cancelled
        setColor(QColorToWinColor(chosen));
}

void TColorButton::updateSwatch()
{
    QPixmap swatch(SwatchSize);
    swatch.fill(WinColorToQColor(FColor));
    QPainter p(&swatch);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    setIcon(QIcon(swatch));
}
