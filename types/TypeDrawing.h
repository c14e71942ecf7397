#pragma once

#include "types/TypeRecord.h"

#include <QFont>
#include <QImage>
#include <QSize>

// The type editor's two pictures: the priority curve as a schematic and a
// note in the type's colours. Both draw over the whole of the given image.
inline constexpr QSize PriorityGraphSize{360, 65};
inline constexpr QSize SampleSize{180, 77};

// Row of priority v in a graph of the given height: 100 on the top row, low
// values near the bottom. Never below the last row, so a curve that ends at
// priority 0 stays visible.
int ValueToY(int value, int height);

// White ground; below the row of lowPriority (when above 0) a silver band for
// the priorities that are not shown automatically; the start date-time as a
// red line at x = 150 and, with showEnd, the end as a blue line at x = 210;
// the curve in black with one pixel per day of ramp, at most 100.
void DrawPriorityGraph(QImage& image, const TTypeRecord& type, bool showEnd, int lowPriority);

// The type's note colours: body and link text on BGCOLOR under a header
// tinted by ShadeColor at headerLevel (127-255) with a two-tone frame.
void DrawSample(QImage& image, const TTypeRecord& type, int headerLevel, const QFont& font);
