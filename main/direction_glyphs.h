#pragma once
#include <QIcon>
#include <QImage>

namespace velmora {

// The pictures of the direction tool bar, 16 x 16 each, on the key colour that the buttons
// leave transparent (the colour of the bottom-left pixel, as button glyphs have it):
//   0..12   the direction codes 1..13: red arrows down-right, up-left, up-right, down-left,
//           right, left, down, up; a bar at the left with an arrow leaving it to the right;
//           a bar at the right with an arrow leaving it to the left; a pencil; a grey letter F;
//           a walking figure on a cyan and yellow ground
//   13..18  a blurred blue A (smoothing), a blue gradient, a blue S with a shadow, an F in
//           several colours (font colour), the font chooser's picture, and the picture of the
//           button that hides the tool bar
// Any other index gives a picture of the key colour alone.
constexpr int ImageList2Count = 19;
QImage imageList2(int index);

// The red question mark the IN and OUT buttons show until they show a code.
QImage questionGlyph();

// A button face from a glyph: the colour of its bottom-left pixel becomes transparent.
QIcon glyphIcon(const QImage& glyph);

} // namespace velmora
