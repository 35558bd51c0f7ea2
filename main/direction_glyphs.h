#pragma once
#include <QPixmap>

namespace velmora {

// The picture of a direction code (1..13) for the IN/OUT buttons and the direction tool bar:
// arrows for the straight and diagonal movements, stretch marks, a pen, a fade and a dot.
// Glyph index = code - 1; anything else gives an empty button face.
QPixmap directionGlyph(int glyphIndex, int size = 24);

} // namespace velmora
