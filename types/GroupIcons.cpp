#include "GroupIcons.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <cmath>

namespace {
enum class Shape
{
    Dot,
    Flag,
    Star,
    Square
};

QPolygonF starPolygon()
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? 7.4 : 3.0;
        const double a = qDegreesToRadians(-90.0 + i * 36.0);
        star << QPointF(8.0 + r * std::cos(a), 8.4 + r * std::sin(a));
    }
    return star;
}

QImage drawIcon(Shape shape, const QColor& color)
{
    QImage image(TGroupIcons::IconSize, TGroupIcons::IconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A darker outline keeps light colours visible on light menus.
    p.setPen(QPen(color.darker(160), 1.0));
    p.setBrush(color);
    switch (shape) {
    case Shape::Dot:
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        break;
    case Shape::Square:
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 1.5, 1.5);
        break;
    case Shape::Star:
        p.drawPolygon(starPolygon());
        break;
    case Shape::Flag:
        p.drawPolygon(QPolygonF({QPointF(4.5, 1.5), QPointF(14.5, 5.0), QPointF(4.5, 8.5)}));
        p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5));
        p.drawLine(QPointF(3.75, 1.0), QPointF(3.75, 15.0));
        break;
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Pixels that count as transparent: white in the mask when there is one, else
// the colour of the strip's bottom-left pixel (unless the strip carries its
// own alpha, which then decides).
QImage applyTransparency(const QImage& strip, const QImage& mask)
{
    QImage result = strip.convertToFormat(QImage::Format_ARGB32);
    // Without a mask the images are drawn as they are: opaque, or with the
    // bitmap's own alpha.
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (mask.isNull())
                continue;
            // Only what the mask covers is masked; grey counts by its
            // lightness, so a mask saved in colour still works.
            if (mask.valid(x, y) && qGray(mask.pixel(x, y)) >= 128)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return result;
}
} // namespace

TGroupIcons::TGroupIcons() : FImages(builtInImages())
{}

QList<QImage> TGroupIcons::builtInImages()
{
    const QColor colors[] = {QColor(0xE5, 0x39, 0x35), QColor(0xFB, 0x8C, 0x00),
                             QColor(0x43, 0xA0, 0x47), QColor(0x1E, 0x88, 0xE5)};
    QList<QImage> images;
    for (Shape shape : {Shape::Dot, Shape::Flag, Shape::Star, Shape::Square})
        for (const QColor& color : colors)
            images << drawIcon(shape, color);
    return images;
}

bool TGroupIcons::loadGroupIcons(const QString& dir)
{
    const QDir folder(dir);
    const QImage strip(folder.filePath(QStringLiteral("GroupIcons.bmp")));
    if (strip.isNull() || strip.width() < IconSize)
        return false;
    const QImage mask(folder.filePath(QStringLiteral("GroupIconsMask.bmp")));
    const QImage masked = applyTransparency(strip, mask);

    QList<QImage> images;
    for (int x = 0; x + IconSize <= masked.width(); x += IconSize) {
        // Rows below a short strip come out transparent.
        images << masked.copy(x, 0, IconSize, IconSize);
    }
    FImages = images;
    FPixmaps.clear();
    return true;
}

QImage TGroupIcons::image(int index) const
{
    return contains(index) ? FImages.at(index) : QImage();
}

QPixmap TGroupIcons::pixmap(int index) const
{
    if (!contains(index))
        return QPixmap();
    if (FPixmaps.size() != FImages.size()) {
        FPixmaps.clear();
        for (const QImage& image : FImages)
            FPixmaps << QPixmap::fromImage(image);
    }
    return FPixmaps.at(index);
}

QIcon TGroupIcons::icon(int index) const
{
    return contains(index) ? QIcon(pixmap(index)) : QIcon();
}
