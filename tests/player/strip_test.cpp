#include <gtest/gtest.h>

#include <array>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QGlyphRun>
#include <QRawFont>
#include <QScreen>
#include <QTextLayout>
#include <tuple>
#include <vector>

#include "model/page_record.h"
#include "platform/Screen.h"
#include "player/strip.h"
#include "render/effects.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::TColor;
using velmora::StripInput;
using velmora::StripResult;
using velmora::Strip;
using velmora::TitleLine;

using testsupport::pixelsOf;

bool samePixels(const Bitmap& a, const Bitmap& b) {
    bool same = a.width() == b.width() && a.height() == b.height();
    for (int y = 0; same && y < a.height(); ++y)
        for (int x = 0; same && x < a.width(); ++x)
            same = a.pixel(x, y) == b.pixel(x, y);
    return same;
}

// The colours of a strip, without the alpha byte.
std::vector<TColor> ink(const Bitmap& b) {
    std::vector<TColor> out;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            out.push_back(b.pixel(x, y) & 0xFFFFFF);
    return out;
}

// The smallest rectangle holding every pixel of the strip that is not black.
QRect inkRect(const Bitmap& b) {
    QRect r;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if ((b.pixel(x, y) & 0xFFFFFF) != 0) r |= QRect(x, y, 1, 1);
    return r;
}

// Whether a strip moved one pixel a step, from each side in turn, leaves anything of itself
// behind: the last copy alone must be all there is.
bool leavesATrail(const Bitmap& strip) {
    const int w = strip.width(), h = strip.height();
    for (const QPoint step : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
        Bitmap moved(w + 8, h + 8, PixelFormat::Bits32), last(w + 8, h + 8, PixelFormat::Bits32);
        platform::Canvas m(moved), l(last);
        QPoint at(4, 4);
        for (int i = 0; i < 4; ++i, at += step)
            m.draw(at.x() - 2 * step.x(), at.y() - 2 * step.y(), strip);
        l.draw(at.x() - step.x() - 2 * step.x(), at.y() - step.y() - 2 * step.y(), strip);
        if (!samePixels(moved, last)) return true;
    }
    return false;
}

class StripRendering : public ::testing::Test {
protected:
    void SetUp() override { platform::Screen::setVirtual(1280, 720, 32); }
    void TearDown() override { platform::Screen::clearVirtual(); }

    StripInput input(const QString& text, const TitleLine& line,
                     PixelFormat format = PixelFormat::Bits32) {
        return {.text = text,
                .line = &line,
                .stripFormat = format,
                .view = platform::StageView::fit(1280, 720, 1280, 720),
                .restX = 100,
                .restY = 200,
                .drawalign = {}};
    }

    // A colour ramp written as a BMP file.
    QString writeBmp(int w, int h) {
        QImage img(w, h, QImage::Format_RGB888);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixelColor(x, y, QColor(x * 255 / w, y * 255 / h, 90));
        const QString name = dir.file(QStringLiteral("picture.bmp"));
        EXPECT_TRUE(img.save(name, "BMP"));
        return name;
    }

    testsupport::Seams seams;
    testsupport::TempDir dir;
};

// The strip is the text's extent plus margins of 4, or (size div 16) + 8 with a shadow, and shows
// the text at (2, 2), or the shadow at (6, 6) under the text at (3, 3), as Qt draws it on black.
TEST_F(StripRendering, TextAndShadowInTheirMargins) {
    const QString text = QStringLiteral("Good evening") + QString(300, QLatin1Char(' '));
    const QString cut = text.left(255); // trailing blanks count in the width
    for (int size : {15, 16, 40})
        for (bool shadow : {false, true}) {
            SCOPED_TRACE(testing::Message() << size << (shadow ? " shadow" : ""));
            TitleLine line;
            line.FontSize = size;
            line.FontColor = 0x00FFFF;
            line.ShadowOn = shadow;
            line.ShadowColor = 0x0000C0;
            Strip strip(PixelFormat::Bits32);
            EXPECT_EQ(velmora::renderTitleStrip(strip, input(text, line)), StripResult::Text);
            EXPECT_EQ(QPoint(strip.Left, strip.Top), QPoint(100, 200));

            QFont font(line.FontName);
            font.setPixelSize(
                (size * qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) + 36) / 72);
            const QFontMetrics fm(font);
            const int margin = shadow ? size / 16 + 8 : 4;
            const Bitmap& pic = strip.picture;
            ASSERT_EQ(pic.width(), fm.horizontalAdvance(cut) + margin);
            ASSERT_EQ(pic.height(), fm.height() + margin);

            QImage img(pic.width(), pic.height(), QImage::Format_RGB32);
            img.fill(Qt::black);
            QPainter p(&img);
            p.setFont(font);
            auto draw = [&](int at, TColor c) {
                p.setPen(QColor(platform::redOf(c), platform::greenOf(c), platform::blueOf(c)));
                p.drawText(at, at + fm.ascent(), cut);
            };
            if (shadow) draw(6, line.ShadowColor);
            draw(shadow ? 3 : 2, line.FontColor);
            p.end();
            EXPECT_TRUE(samePixels(pic, Bitmap::fromQImage(img, PixelFormat::Bits32)));
            EXPECT_FALSE(pixelsOf(pic, 0x00FFFF).isEmpty());
        }
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StripRendering, AlignModeCallsTheFrameHookWithTheLineColour) {
    TitleLine line;
    StripInput in = input(QStringLiteral("Align"), line);
    in.alignColor = 0xFFFFFF;
    std::vector<std::tuple<int, int, TColor>> calls;
    in.drawalign = [&](platform::Canvas& canvas, int w, int h, TColor colour) {
        calls.emplace_back(w - canvas.width(), h - canvas.height(), colour);
    };
    Strip strip(PixelFormat::Bits32);
    velmora::renderTitleStrip(strip, in);
    EXPECT_TRUE(calls.empty()); // not in align mode
    in.alignMode = true;
    velmora::renderTitleStrip(strip, in);
    EXPECT_EQ(calls, (std::vector<std::tuple<int, int, TColor>>{{0, 0, 0xFFFFFF}}));
    in.drawalign = nullptr; // an empty hook is allowed
    EXPECT_EQ(velmora::renderTitleStrip(strip, in), StripResult::Text);
}

TEST_F(StripRendering, BitmapStripIsFramedBlackInPlaybackAndRedWhileAligning) {
    TitleLine line;
    line.BitmapFile = writeBmp(24, 12);
    const QImage file(line.BitmapFile);
    for (bool align : {false, true}) {
        StripInput in = input(QStringLiteral("ignored"), line);
        in.alignMode = align;
        Strip strip(PixelFormat::Bits32);
        EXPECT_EQ(velmora::renderTitleStrip(strip, in), StripResult::Bitmap);
        EXPECT_EQ(QPoint(strip.Left, strip.Top), QPoint(100, 200));
        ASSERT_EQ(QSize(strip.picture.width(), strip.picture.height()), QSize(24, 12));
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 24; ++x) {
                const QColor c = file.pixelColor(x, y);
                const bool edge = x == 0 || y == 0 || x == 23 || y == 11;
                ASSERT_EQ(strip.picture.pixel(x, y),
                          edge ? (align ? platform::clRed : platform::clBlack)
                               : platform::rgb(c.red(), c.green(), c.blue()))
                    << x << "," << y;
            }
    }
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StripRendering, UnreadableBitmapIsReportedMissingOneFallsBackToText) {
    TitleLine line;
    line.BitmapFile = dir.file(QStringLiteral("broken.bmp"));
    ASSERT_TRUE(testsupport::writeFile(line.BitmapFile, "BM this is not a picture"));
    line.BlurOn = true;
    Strip strip(PixelFormat::Bits32);
    EXPECT_EQ(velmora::renderTitleStrip(strip, input(QStringLiteral("text"), line)),
              StripResult::BitmapFailed);
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_EQ(seams.dialogs.asked[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(seams.dialogs.asked[0].text,
              QStringLiteral("Error opening file: ") + line.BitmapFile);
    EXPECT_EQ(seams.dialogs.asked[0].buttons, platform::MsgButtons::OK);
    EXPECT_TRUE(strip.picture.isEmpty());
    EXPECT_EQ(QPoint(strip.Left, strip.Top), QPoint(1281, 721)); // still beyond the screen's corner

    seams.dialogs.clear();
    line.FontColor = 0xFFFFFF;
    for (const QString& name : {dir.file(QStringLiteral("not-there.bmp")), dir.path()}) {
        line.BitmapFile = name;
        Strip text(PixelFormat::Bits32);
        EXPECT_EQ(velmora::renderTitleStrip(text, input(QStringLiteral("Fallback"), line)),
                  StripResult::Text);
        EXPECT_FALSE(pixelsOf(text.picture, 0xFFFFFF).isEmpty());
    }
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

// A strip beyond four screens on a side is refused before it is allocated: a picture by its
// stored size, a text by its extent. The screen is 1280 x 720, so the limits are 5120 x 2880.
TEST_F(StripRendering, StripsBeyondFourScreensAreRefused) {
    EXPECT_FALSE(velmora::StripTooLarge(5120, 2880, 1280, 720));
    EXPECT_TRUE(velmora::StripTooLarge(5121, 1, 1280, 720));
    EXPECT_TRUE(velmora::StripTooLarge(1, 2881, 1280, 720));

    TitleLine line;
    for (const QSize size : {QSize(5121, 2), QSize(2, 2881), QSize(5120, 2)}) {
        SCOPED_TRACE(size.width());
        seams.dialogs.clear();
        line.BitmapFile = dir.file(QStringLiteral("wide.png"));
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::white);
        ASSERT_TRUE(img.save(line.BitmapFile));
        Strip strip(PixelFormat::Bits32);
        const StripResult r = velmora::renderTitleStrip(strip, input(QStringLiteral("x"), line));
        if (size.width() == 5120) {
            EXPECT_EQ(r, StripResult::Bitmap);
            EXPECT_TRUE(seams.dialogs.asked.empty());
            continue;
        }
        EXPECT_EQ(r, StripResult::TooLarge);
        EXPECT_TRUE(strip.picture.isEmpty());
        ASSERT_EQ(seams.dialogs.asked.size(), 1u);
        EXPECT_EQ(seams.dialogs.asked[0].text,
                  QStringLiteral("The picture %1 is too large to show (%2 x %3 pixels).")
                      .arg(line.BitmapFile)
                      .arg(size.width())
                      .arg(size.height()));
    }

    // 80 characters at size 200 reach far beyond four screens.
    seams.dialogs.clear();
    line.BitmapFile.clear();
    line.FontSize = 200;
    const QString text(80, QLatin1Char('W'));
    Strip strip(PixelFormat::Bits32);
    EXPECT_EQ(velmora::renderTitleStrip(strip, input(text, line)), StripResult::TooLarge);
    EXPECT_TRUE(strip.picture.isEmpty());
    ASSERT_EQ(seams.dialogs.asked.size(), 1u);
    EXPECT_TRUE(seams.dialogs.asked[0].text.startsWith(QStringLiteral("The title \"WWW")));
}

// A smoothed line looks the same at every size it is shown at: the smoothing works in stage
// pixels, so the mean colour of its ink, weighed by brightness, stays near the stage's own.
TEST_F(StripRendering, ASmoothedLineKeepsItsColourAtEverySize) {
    TitleLine line;
    line.FontSize = 44;
    line.FontColor = 0x80FF80;
    line.BlurOn = true;
    auto meanInk = [&](std::int64_t num, std::int64_t den) {
        StripInput in = input(QStringLiteral("in every direction"), line);
        in.view = platform::StageView::scaled(1280, 720, num, den);
        Strip s(PixelFormat::Bits32);
        EXPECT_EQ(velmora::renderTitleStrip(s, in), StripResult::Text);
        double sum[3] = {0, 0, 0};
        double n = 0;
        for (int y = 0; y < s.picture.height(); ++y)
            for (int x = 0; x < s.picture.width(); ++x) {
                const TColor c = s.picture.pixel(x, y);
                const int r = platform::redOf(c), g = platform::greenOf(c),
                          b = platform::blueOf(c), w = std::max({r, g, b});
                n += w;
                sum[0] += r * w;
                sum[1] += g * w;
                sum[2] += b * w;
            }
        EXPECT_GT(n, 100 * 255);
        // The export's coverage is smoothed and resampled alike: it covers the ink (of what the
        // resampling rounds apart, the export keeps the brightest channel as opaque anyway).
        const velmora::StripCoverage cover = velmora::renderTitleCoverage(in);
        EXPECT_EQ(QSize(cover.width, cover.height), QSize(s.picture.width(), s.picture.height()));
        int uncovered = 0;
        for (int y = 0; y < cover.height; ++y)
            for (int x = 0; x < cover.width; ++x)
                uncovered += ((s.picture.pixel(x, y) & 0xF0F0F0) != 0) > (cover.at(x, y) != 0);
        EXPECT_EQ(uncovered, 0);
        return std::array<double, 3>{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    const std::array<double, 3> stage = meanInk(1, 1);
    for (const auto& [num, den] : {std::pair{1, 2}, std::pair{5, 8}, std::pair{3, 2},
                                  std::pair{3, 1}}) {
        const std::array<double, 3> shown = meanInk(num, den);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(shown[i], stage[i], 12.0) << num << "/" << den << " channel " << i;
    }
}

// Three lines as a page shows them, composed onto one screen, for each strip format. Line 2 is
// blurred, then given the gradient from its start colour to the font colour, on the routines of
// the strip format; lines without effects keep the control's format.
TEST_F(StripRendering, ThreeLinesOnOneScreen) {
    TitleLine l1, l2, l3;
    l1.FontColor = 0xFFFFFF;
    l2.FontName = QStringLiteral("Times New Roman");
    l2.FontColor = 0x00D0FF;
    l2.ShadowOn = true;
    l2.ShadowColor = 0x603000;
    const TitleLine plain = l2;
    l2.BlurOn = l2.GradientOn = true;
    l2.GradientStartColor = 0x0000FF;
    l3.BitmapFile = writeBmp(120, 40);
    const QString text2 = QStringLiteral("Smooth gradient");
    for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
        SCOPED_TRACE(format == PixelFormat::Bits32 ? "32" : "24");
        Strip s1(PixelFormat::Bits24), s2(PixelFormat::Bits24),
            s3(PixelFormat::Bits24), s2plain(PixelFormat::Bits24);
        const std::pair<Strip*, StripInput> lines[] = {
            {&s1, input(QStringLiteral("Velmora Pro"), l1, format)},
            {&s2, input(text2, l2, format)},
            {&s3, input(QString(), l3, format)}};
        Bitmap screen(480, 240, PixelFormat::Bits32);
        platform::Canvas canvas(screen);
        int top = 10;
        for (auto [strip, in] : lines) {
            in.restX = 20;
            in.restY = top;
            velmora::renderTitleStrip(*strip, in);
            canvas.draw(strip->Left, strip->Top, strip->picture);
            top += strip->picture.height() + 10;
        }
        EXPECT_EQ(s1.picture.pixelFormat(), PixelFormat::Bits24);
        EXPECT_TRUE(QRect(22, 12, s1.picture.width() - 4, s1.picture.height() - 4)
                        .contains(pixelsOf(screen, 0xFFFFFF)));

        velmora::renderTitleStrip(s2plain, input(text2, plain, format));
        Bitmap want = s2plain.picture;
        want.setPixelFormat(format);
        if (format == PixelFormat::Bits32)
            effects::GradientFill32(effects::BlurBitmap32(want), 0x0000FF, 0x00D0FF);
        else
            effects::GradientFill24(effects::BlurBitmap24(want), 0x0000FF, 0x00D0FF);
        EXPECT_EQ(s2.picture.pixelFormat(), format);
        EXPECT_TRUE(samePixels(s2.picture, want));
        EXPECT_TRUE(pixelsOf(screen, 0x603000).isEmpty()); // the shadow is under the gradient
        EXPECT_EQ(screen.pixel(20 + s2.picture.width() / 2, s2.Top + s2.picture.height() / 2),
                  s2.picture.pixel(s2.picture.width() / 2, s2.picture.height() / 2));

        // Line 3: the picture inside its black frame.
        EXPECT_EQ(screen.pixel(20, s3.Top), 0u);
        EXPECT_EQ(screen.pixel(21, s3.Top + 1), s3.picture.pixel(1, 1));
        EXPECT_NE(s3.picture.pixel(1, 1), 0u);
    }
}

// Arabic is shaped: joined letters take another width than the same letters apart, and the
// strip is as wide as the shaped line.
TEST_F(StripRendering, AnArabicLineIsShapedAndItsStripIsAsWideAsTheShapedText) {
    TitleLine line;
    line.FontSize = 40;
    const QString arabic = QStringLiteral("مرحبا بالعالم");
    Strip s(PixelFormat::Bits32);
    ASSERT_EQ(velmora::renderTitleStrip(s, input(arabic, line)), StripResult::Text);
    platform::Bitmap b(1, 1, PixelFormat::Bits32);
    platform::Canvas c(b);
    c.font.name = line.FontName;
    c.font.size = 40;
    const int shaped = c.textWidth(arabic);
    EXPECT_EQ(s.picture.width(), shaped + 4);
    int apart = 0;
    for (const QChar ch : arabic)
        apart += c.textWidth(QString(ch));
    EXPECT_NE(shaped, apart);
    // Every letter drawn: ink from near the left edge to near the right one.
    EXPECT_LT(inkRect(s.picture).left(), 8);
    EXPECT_GT(inkRect(s.picture).right(), s.picture.width() - 10);
}

// Hebrew runs right to left: the line looks like its letters in reverse order forced left to
// right, and not like them in their own order forced so; its first letter is at the right.
TEST_F(StripRendering, AHebrewLineRunsRightToLeft) {
    TitleLine line;
    line.FontSize = 40;
    const QString hebrew = QStringLiteral("שלום");
    QString reversed;
    for (auto it = hebrew.crbegin(); it != hebrew.crend(); ++it)
        reversed += *it;
    const QChar lro(0x202D), pdf(0x202C);
    Strip word(PixelFormat::Bits32), visual(PixelFormat::Bits32), logical(PixelFormat::Bits32);
    ASSERT_EQ(velmora::renderTitleStrip(word, input(hebrew, line)), StripResult::Text);
    velmora::renderTitleStrip(visual, input(lro + reversed + pdf, line));
    velmora::renderTitleStrip(logical, input(lro + hebrew + pdf, line));
    ASSERT_EQ(word.picture.width(), visual.picture.width());
    EXPECT_TRUE(ink(word.picture) == ink(visual.picture));
    EXPECT_FALSE(ink(word.picture) == ink(logical.picture));

    // The first letter alone, drawn at the right end of the line, finds the word's ink there.
    Strip first(PixelFormat::Bits32);
    velmora::renderTitleStrip(first, input(hebrew.left(1), line));
    const int w = word.picture.width(), fw = first.picture.width();
    int same = 0, inked = 0;
    for (int y = 0; y < first.picture.height(); ++y)
        for (int x = 0; x < fw - 4; ++x) {
            const TColor a = first.picture.pixel(x, y) & 0xFFFFFF;
            if (!a) continue;
            ++inked;
            same += (word.picture.pixel(w - fw + x, y) & 0xFFFFFF) != 0;
        }
    ASSERT_GT(inked, 20);
    EXPECT_GT(same, inked * 9 / 10);
}

// Scripts whose glyphs the chosen face lacks are drawn from an installed face that has them,
// and nothing of them is cut at the strip's edges, above, below, before or after the advance:
// the strip's border is black, so a moving line leaves no trail on any side, and the export's
// coverage covers the same pixels.
TEST_F(StripRendering, EveryScriptIsDrawnFromAFaceThatHasItAndNothingIsCut) {
    const struct {
        QString text;
        QString face = QStringLiteral("Arial");
        std::uint8_t style = 0;
    } rows[] = {
        {QStringLiteral("Grüße Привет Ελλάδα 東京")}, {QStringLiteral("नमस्ते שלום")},
        {QStringLiteral("สวัสดีชาวโลก")}, {QStringLiteral("안녕하세요")},
        {QStringLiteral("e\u0301 a\u0308 Z\u0335\u0327")}, {QString::fromUcs4(U"\U0001F3AC\U0001F600")},
        {QStringLiteral("A\u0302\u0303\u0301\u0303\u0302\u0303 g\u0323\u0324\u0325\u0323")},
        {QStringLiteral("ཀྵྐྵྐྵ")}, {QStringLiteral("ញ៉ុំ")}, // stacks far beyond the ascent
        {QStringLiteral("नमस्ते दुनिया")}, // the headline bar reaches past the advance
        {QStringLiteral("ʃʃ")}, {QStringLiteral("مَرْحَبًا بِالْعَالَمِ")},
        {QStringLiteral("f"), QStringLiteral("Liberation Serif"),
         platform::fsBold | platform::fsItalic},
        {QStringLiteral("fjord f"), QStringLiteral("Liberation Serif"), platform::fsItalic}};

    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        TitleLine line;
        line.FontSize = 40;
        line.FontName = row.face;
        Strip s(PixelFormat::Bits32);
        StripInput in = input(row.text, line);
        in.fontStyle = row.style;
        ASSERT_EQ(velmora::renderTitleStrip(s, in), StripResult::Text);
        const Bitmap& b = s.picture;
        // No ink on the border: what was drawn lies inside the strip.
        EXPECT_TRUE(QRect(1, 1, b.width() - 2, b.height() - 2).contains(inkRect(b)));
        EXPECT_FALSE(leavesATrail(b));
        const velmora::StripCoverage cover = velmora::renderTitleCoverage(in);
        ASSERT_EQ(QSize(cover.width, cover.height), QSize(b.width(), b.height()));
        bool same = true;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                same = same && (cover.at(x, y) != 0) == ((b.pixel(x, y) & 0xFFFFFF) != 0);
        EXPECT_TRUE(same);
        // Drawn, not boxes: no glyph is a face's "missing" glyph (index 0).
        QTextLayout layout(row.text, QFont(line.FontName, 40));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        int glyphs = 0;
        for (const QGlyphRun& run : layout.glyphRuns())
            for (const quint32 index : run.glyphIndexes()) {
                ++glyphs;
                EXPECT_NE(index, 0u) << run.rawFont().familyName().toStdString();
            }
        EXPECT_GT(glyphs, 0);
        EXPECT_GT(inkRect(b).width(), 1);
    }
}

} // namespace
