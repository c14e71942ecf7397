#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

// The group icons: a group's ICONNUM is an index into this list. It starts
// with a built-in set of 16 and can be replaced by a bitmap strip the user
// puts beside the program.
class TGroupIcons
{
public:
    static constexpr int IconSize = 16;
    static constexpr int BuiltInCount = 16;

    TGroupIcons();

    // Replaces the icons with "GroupIcons.bmp" from dir cut into 16-pixel-wide
    // images, masked by "GroupIconsMask.bmp" (white transparent, black opaque)
    // when that exists too, else transparent where a pixel has the colour of
    // the bitmap's bottom-left pixel. Keeps the current icons and returns
    // false when the bitmap is missing, unreadable or narrower than one icon.
    bool loadGroupIcons(const QString& dir);

    int count() const { return static_cast<int>(FImages.size()); }
    bool contains(int index) const { return index >= 0 && index < count(); }
    // Null for an index outside the list; -1 is how a group says "no icon".
    QImage image(int index) const;
    QPixmap pixmap(int index) const;
    QIcon icon(int index) const;

    static QList<QImage> builtInImages();

private:
    QList<QImage> FImages;
    mutable QList<QPixmap> FPixmaps; // made on first use: pixmaps need the GUI
};
