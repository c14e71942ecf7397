#pragma once

#include <QIcon>

// The pictures of a note's header buttons, drawn in code so they stay sharp
// at any scale. The anchor and completed buttons have four states: up, down
// (the note is anchored or completed), the pointer over either, and disabled.
namespace FusenGlyphs {

constexpr int Size = 15;

QIcon edit();
QIcon anchor();
QIcon completed();
QIcon peelOff();

} // namespace FusenGlyphs
