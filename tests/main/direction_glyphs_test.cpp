// The direction tool bar's pictures: each straight arrow points the way of its code, and the
// two stretches have their bar on the side the text stretches from.
#include <array>
#include <gtest/gtest.h>
#include <QImage>

#include "main/direction_glyphs.h"

namespace {

bool isRed(QRgb p) {
    return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90;
}

// The pure red pixels in each column (across) or each row (down) of a 16 x 16 picture.
std::array<int, 16> redLines(const QImage& img, bool across) {
    std::array<int, 16> count{};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (isRed(img.pixel(x, y))) ++count[across ? x : y];
    return count;
}

enum class Bar { None, Start, End };

} // namespace

TEST(DirectionGlyphs, TheStraightArrowsPointTheirWayAndTheStretchesHaveTheirBar) {
    // `across`: the arrow lies left to right (else top to bottom); `headAtStart`: its head is
    // at the left (or top); `bar`: a bar across the picture's other axis at the start or end.
    const struct {
        int code;
        bool across;
        bool headAtStart;
        Bar bar;
    } cases[] = {
        {5, true, false, Bar::None},  // right
        {6, true, true, Bar::None},   // left
        {7, false, false, Bar::None}, // down
        {8, false, true, Bar::None},  // up
        {9, true, false, Bar::Start}, // a bar at the left with an arrow leaving it to the right
        {10, true, true, Bar::End},   // an arrow pointing left from a bar at the right
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const QImage glyph = velmora::imageList2(c.code - 1); // picture k - 1 is code k's
        ASSERT_EQ(glyph.size(), QSize(16, 16));
        const std::array<int, 16> red = redLines(glyph, c.across);
        // The bar: lines red over most of the picture's height (or width). The head: the arrow's
        // widest line; the shaft: the thin lines, which lie behind the head.
        int widest = -1, shaftLines = 0, shaftSum = 0;
        for (int i = 0; i < 16; ++i) {
            if (red[i] >= 10) {
                EXPECT_NE(c.bar, Bar::None) << "a bar at " << i;
                EXPECT_TRUE(c.bar == Bar::Start ? i <= 2 : i >= 13) << "a bar at " << i;
                continue;
            }
            if (widest < 0 || red[i] > red[widest]) widest = i;
            if (red[i] >= 1 && red[i] <= 2) {
                ++shaftLines;
                shaftSum += i;
            }
        }
        if (c.bar != Bar::None) {
            EXPECT_GE(red[c.bar == Bar::Start ? 1 : 14], 10);
        }
        ASSERT_GE(shaftLines, 3);
        EXPECT_GE(red[widest], 5);
        const double shaftAt = double(shaftSum) / shaftLines;
        EXPECT_EQ(widest < shaftAt, c.headAtStart)
            << "head at " << widest << ", shaft at " << shaftAt;
    }
}
