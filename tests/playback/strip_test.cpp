#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <tuple>
#include <vector>

#include "main/page_record.h"
#include "platform/Screen.h"
#include "playback/strip.h"
#include "render/Dynarray32.h"
#include "render/effects.h"
#include "test_support.h"

namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::TColor;
using velmora::StripInput;
using velmora::StripResult;
using velmora::Tbmp;
using velmora::TitleLine;

// The line's font as text is drawn with it: pixel height from points at the screen's dpi.
QFont lineFont(const TitleLine& line) {
    QFont f(line.FontName);
    f.setPixelSize(
        (line.FontSize * qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) + 36) /
        72);
    return f;
}

// The line drawn straight with Qt on black, as the strip should show it before any effect.
Bitmap drawnByHand(const TitleLine& line, const QString& text, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(lineFont(line));
    const int ascent = QFontMetrics(lineFont(line)).ascent();
    auto draw = [&](int at, TColor c) {
        p.setPen(QColor(platform::redOf(c), platform::greenOf(c), platform::blueOf(c)));
        p.drawText(at, at + ascent, text);
    };
    if (line.ShadowOn) {
        draw(6, line.ShadowColor);
        draw(3, line.FontColor);
    } else {
        draw(2, line.FontColor);
    }
    return Bitmap::fromQImage(img, PixelFormat::Bits32);
}

QRect pixelsOf(const Bitmap& b, TColor c) {
    QRect r;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == c) r |= QRect(x, y, 1, 1);
    return r;
}

bool samePixels(const Bitmap& a, const Bitmap& b) {
    bool same = a.width() == b.width() && a.height() == b.height();
    for (int y = 0; same && y < a.height(); ++y)
        for (int x = 0; same && x < a.width(); ++x)
            same = a.pixel(x, y) == b.pixel(x, y);
    return same;
}

class StripRendering : public ::testing::Test {
protected:
    void SetUp() override { platform::Screen::setVirtual(1280, 720, 32); }
    void TearDown() override { platform::Screen::clearVirtual(); }

    StripInput input(const QString& text, const TitleLine& line,
                     PixelFormat format = PixelFormat::Bits32) {
        StripInput in;
        in.text = text;
        in.line = &line;
        in.stripFormat = format;
        in.restX = 100;
        in.restY = 200;
        return in;
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

TEST_F(StripRendering, MarginsAreFourOrSizeDiv16PlusEight) {
    Bitmap b(1, 1);
    platform::Canvas canvas(b);
    const QString text = QStringLiteral("Titles");
    for (int size : {15, 16, 40, 100}) {
        canvas.font.size = size;
        const int w = canvas.textWidth(text), h = canvas.textHeight(text);
        EXPECT_EQ(velmora::StripWidth(text, canvas, false), w + 4);
        EXPECT_EQ(velmora::StripHeight(text, canvas, false), h + 4);
        EXPECT_EQ(velmora::StripWidth(text, canvas, true), w + size / 16 + 8);
        EXPECT_EQ(velmora::StripHeight(text, canvas, true), h + size / 16 + 8);
    }
}

TEST_F(StripRendering, TextAtTwoTwoOrShadowAtSixSixUnderTextAtThreeThree) {
    for (bool shadow : {false, true}) {
        TitleLine line;
        line.FontSize = 40;
        line.FontColor = 0x00FFFF;
        line.ShadowOn = shadow;
        line.ShadowColor = 0x0000C0;
        const QString text = QStringLiteral("Good evening");
        Tbmp strip(nullptr, PixelFormat::Bits32);
        EXPECT_EQ(
            velmora::renderTitleStrip(strip, input(text + QString(300, QLatin1Char(' ')), line)),
            StripResult::Text);

        const QFontMetrics fm(lineFont(line));
        const int margin = shadow ? 40 / 16 + 8 : 4;
        const Bitmap& pic = strip.picture;
        // The text was cut to 255 characters: its trailing blanks count in the width.
        const QString cut = (text + QString(300, QLatin1Char(' '))).left(255);
        ASSERT_EQ(pic.width(), fm.horizontalAdvance(cut) + margin);
        ASSERT_EQ(pic.height(), fm.height() + margin);
        EXPECT_TRUE(samePixels(pic, drawnByHand(line, cut, pic.width(), pic.height())));
        const QRect ink = pixelsOf(pic, 0x00FFFF);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), shadow ? 3 : 2);
        EXPECT_LE(ink.bottom(), pic.height() - (shadow ? 1 + 3 : 1 + 2));
        if (shadow) {
            EXPECT_EQ(pixelsOf(pic, 0x0000C0).bottomRight(), ink.bottomRight() + QPoint(3, 3));
        }
        EXPECT_EQ(QPoint(strip.Left, strip.Top), QPoint(100, 200));
        EXPECT_EQ(strip.size(), QSize(pic.width(), pic.height()));
    }
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StripRendering, BlurThenGradientOnTheStripFormat) {
    TitleLine line;
    line.FontSize = 24;
    line.FontColor = 0x00FF00;
    line.ShadowOn = true;
    line.ShadowColor = 0x808080;
    const QString text = QStringLiteral("Smooth");
    for (PixelFormat format : {PixelFormat::Bits24, PixelFormat::Bits32}) {
        Tbmp plain(nullptr, PixelFormat::Bits24);
        velmora::renderTitleStrip(plain, input(text, line, format));
        Bitmap want = plain.picture;
        want.setPixelFormat(format);
        if (format == PixelFormat::Bits32) {
            effects::GradientFill32(effects::BlurBitmap32(want), 0xFF0000, 0x00FF00);
        } else {
            effects::GradientFill24(effects::BlurBitmap24(want), 0xFF0000, 0x00FF00);
        }
        TitleLine fx = line;
        fx.BlurOn = fx.GradientOn = true;
        fx.GradientStartColor = 0xFF0000;
        Tbmp strip(nullptr, PixelFormat::Bits24);
        velmora::renderTitleStrip(strip, input(text, fx, format));
        EXPECT_EQ(strip.picture.pixelFormat(), format);
        EXPECT_TRUE(samePixels(strip.picture, want));
        EXPECT_EQ(plain.picture.pixelFormat(), PixelFormat::Bits24); // no effect, no conversion
    }
    // A grid that cannot be had leaves the rendering.
    line.BlurOn = true;
    Dynarray32::FailAllocation = [](std::int64_t) { return true; };
    Tbmp strip(nullptr, PixelFormat::Bits32);
    EXPECT_THROW(velmora::renderTitleStrip(strip, input(text, line)), Dynarray32::ENotEnoughMemory);
    Dynarray32::FailAllocation = nullptr;
}

TEST_F(StripRendering, AlignModeCallsTheFrameHookWithTheLineColour) {
    TitleLine line;
    StripInput in = input(QStringLiteral("Align"), line);
    in.alignColor = 0xFFFFFF;
    std::vector<std::tuple<int, int, TColor>> calls;
    in.drawalign = [&](platform::Canvas& canvas, int w, int h, TColor colour) {
        calls.emplace_back(w - canvas.width(), h - canvas.height(), colour);
    };
    Tbmp strip(nullptr, PixelFormat::Bits32);
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
        Tbmp strip(nullptr, PixelFormat::Bits32);
        EXPECT_EQ(velmora::renderTitleStrip(strip, in), StripResult::Bitmap);
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
        EXPECT_EQ(QPoint(strip.Left, strip.Top), QPoint(100, 200));
    }
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

TEST_F(StripRendering, UnreadableBitmapIsReportedMissingOneFallsBackToText) {
    TitleLine line;
    line.BitmapFile = dir.file(QStringLiteral("broken.bmp"));
    QFile f(line.BitmapFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is not a picture");
    f.close();
    line.BlurOn = true;
    Tbmp strip(nullptr, PixelFormat::Bits32);
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
        Tbmp text(nullptr, PixelFormat::Bits32);
        EXPECT_EQ(velmora::renderTitleStrip(text, input(QStringLiteral("Fallback"), line)),
                  StripResult::Text);
        EXPECT_FALSE(pixelsOf(text.picture, 0xFFFFFF).isEmpty());
    }
    EXPECT_TRUE(seams.dialogs.asked.empty());
}

// Three lines as a page shows them, composed onto one screen; the picture is kept for a look.
TEST_F(StripRendering, ThreeLinesOnOneScreen) {
    TitleLine l1, l2, l3;
    l1.FontColor = 0xFFFFFF;
    l2.FontName = QStringLiteral("Times New Roman");
    l2.FontColor = 0x00D0FF;
    l2.ShadowOn = l2.BlurOn = l2.GradientOn = true;
    l2.ShadowColor = 0x603000;
    l2.GradientStartColor = 0x0000FF;
    l3.BitmapFile = writeBmp(120, 40);
    Tbmp s1(nullptr, PixelFormat::Bits32), s2(nullptr, PixelFormat::Bits32),
        s3(nullptr, PixelFormat::Bits32);
    const std::pair<Tbmp*, StripInput> lines[] = {
        {&s1, input(QStringLiteral("Velmora Pro"), l1)},
        {&s2, input(QStringLiteral("Smooth gradient"), l2)},
        {&s3, input(QString(), l3)}};
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
    ASSERT_TRUE(screen.toQImage().save(QStringLiteral("/tmp/velmora-strip.png")));

    EXPECT_TRUE(QRect(22, 12, s1.picture.width() - 4, s1.picture.height() - 4)
                    .contains(pixelsOf(screen, 0xFFFFFF)));
    // Line 2: the shadow's own colour is gone under the gradient; a lit row has one colour,
    // between the red top and the font colour at the bottom.
    EXPECT_TRUE(pixelsOf(screen, 0x603000).isEmpty());
    const int mid = s2.Top + s2.picture.height() / 2;
    TColor rowColour = 0;
    for (int x = 20; x < 20 + s2.picture.width(); ++x) {
        const TColor c = screen.pixel(x, mid);
        if (c != 0 && rowColour == 0) rowColour = c;
        ASSERT_TRUE(c == 0 || c == rowColour) << x;
    }
    EXPECT_EQ(platform::redOf(rowColour), 255);
    EXPECT_GT(platform::greenOf(rowColour), 0);
    EXPECT_LT(platform::greenOf(rowColour), 0xD0);
    // Line 3: the picture inside its black frame.
    EXPECT_EQ(screen.pixel(20, s3.Top), 0u);
    EXPECT_EQ(screen.pixel(21, s3.Top + 1), s3.picture.pixel(1, 1));
    EXPECT_NE(s3.picture.pixel(1, 1), 0u);
}

} // namespace
