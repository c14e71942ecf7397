#include "Colors.h"

QColor WinColorToQColor(uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

uint32_t QColorToWinColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return static_cast<uint32_t>(rgb.red()) | (static_cast<uint32_t>(rgb.green()) << 8) |
           (static_cast<uint32_t>(rgb.blue()) << 16);
}
