#pragma once

#include <QColor>
#include <cstdint>

// Colours are stored and exchanged as Windows colour values, 0x00BBGGRR with
// red in the low byte; these convert at the edge where Qt draws them.
QColor WinColorToQColor(uint32_t color);
// Alpha is dropped: stored colours are always opaque.
uint32_t QColorToWinColor(const QColor& color);
