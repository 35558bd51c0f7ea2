#include "main/page_file.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "test_support.h"

using namespace velmora;

namespace {

// A page record assembled by hand at the offsets of the file layout. The offsets here are
// written out as numbers on purpose, independent of the codec's own constants.
struct RawRecord {
    std::vector<std::uint8_t> b = std::vector<std::uint8_t>(25716, 0);

    // Every byte a recognisable non-zero value, so bytes no field covers can be followed.
    void fillPattern() {
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    void u8(int at, std::uint8_t v) { b[at] = v; }
    void le16(int at, std::uint16_t v) {
        b[at] = v & 0xFF;
        b[at + 1] = v >> 8;
    }
    void le32(int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void str(int at, const QByteArray& chars) {
        b[at] = static_cast<std::uint8_t>(chars.size());
        for (int i = 0; i < chars.size(); ++i)
            b[at + 1 + i] = static_cast<std::uint8_t>(chars[i]);
    }
    std::uint32_t get32(int at) const {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(b[at + i]) << (8 * i);
        return v;
    }
    QByteArray bytes() const {
        return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
    }
};

const int TextAt[3] = {65, 146, 227};
const int WaveAt[3] = {340, 421, 502};
const int BitmapAt[3] = {583, 664, 745};
const int FontNameAt[3] = {915, 1171, 1427};
const int InLastAt[3] = {1692, 9700, 17708};
const int OutLastAt[3] = {1696, 9704, 17712};
const int InPointsAt[3] = {1700, 9708, 17716};
const int OutPointsAt[3] = {5700, 13708, 21716};

// Distinct values for every field of line i, so a field read from a neighbour's place shows.
std::uint16_t pointX(int line, bool in, int i) {
    return static_cast<std::uint16_t>(line * 20000 + (in ? 0 : 10000) + i);
}
std::uint16_t pointY(int line, bool in, int i) {
    return static_cast<std::uint16_t>(65535 - line * 3000 - (in ? 0 : 1500) - i);
}

// Writes every field of the layout into the record with values derived from the line number.
void writeFields(RawRecord& r) {
    for (int i = 0; i < 3; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        r.str(TextAt[i], "Title " + n);
        r.u8(308 + i, i == 1 ? 0 : 1);        // BlurOn
        r.u8(311 + i, i == 2 ? 1 : 0);        // GradientOn
        r.le32(328 + 4 * i, 0x02102030u + i); // GradientStartColor, top byte kept
        r.str(WaveAt[i], "/snd/w" + n + ".wav");
        r.str(BitmapAt[i], "/pic/b" + n + ".bmp");
        r.u8(826 + i, static_cast<std::uint8_t>(-1 - i));           // InDirection -1, -2, -3
        r.u8(829 + i, static_cast<std::uint8_t>(11 + i));           // OutDirection 11, 12, 13
        r.le32(832 + 4 * i, static_cast<std::uint32_t>(-(10 + i))); // FontSize, negative
        r.le32(844 + 4 * i, 0x00A0B0C0u + i);                       // FontColor
        r.le32(856 + 4 * i, 0x00405060u + i);                       // ShadowColor
        r.le32(868 + 4 * i, 999u); // second FontSize copy, not read
        r.le32(888 + 4 * i, static_cast<std::uint32_t>(-100 * (i + 1))); // PosX
        r.le32(900 + 4 * i, 0x12345 + i);                                // PosY
        r.u8(912 + i, static_cast<std::uint8_t>(1 << i | 8));            // FontStyle
        r.str(FontNameAt[i], "Font " + n);
        r.u8(1683 + i, i == 0 ? 1 : 0); // ShadowOn
        r.le32(InLastAt[i], static_cast<std::uint32_t>(i == 0 ? -1 : 500 + i));
        r.le32(OutLastAt[i], static_cast<std::uint32_t>(998 - i));
        for (int p = 0; p < 1000; ++p) {
            r.le16(InPointsAt[i] + 4 * p, pointX(i, true, p));
            r.le16(InPointsAt[i] + 4 * p + 2, pointY(i, true, p));
            r.le16(OutPointsAt[i] + 4 * p, pointX(i, false, p));
            r.le16(OutPointsAt[i] + 4 * p + 2, pointY(i, false, p));
        }
    }
    r.le16(314, 1);     // 16-bit fadedelay, loses to the full value
    r.u8(322, 1);       // mpause
    r.le32(880, 45);    // PauseTime
    r.le32(884, 70000); // fadedelay
    r.str(1686, "042"); // page number, not read
}

PageImage sampleImage() {
    PageImage p;
    for (int i = 0; i < 3; ++i) {
        auto& l = p.lines[i];
        l.Text = QStringLiteral("Line %1").arg(i + 1);
        l.FontStyle = static_cast<std::uint8_t>(0x0F >> i);
        l.PosX = -5 - i;
        l.PosY = 1000 * (i + 1);
        l.attrs.FontName = QStringLiteral("Face%1").arg(i + 1);
        l.attrs.FontSize = 60 - 10 * i;
        l.attrs.FontColor = 0x00112233u * (i + 1);
        l.attrs.ShadowColor = 0x02000000u | (0x0000FFu << (8 * i));
        l.attrs.ShadowOn = i != 1;
        l.attrs.GradientOn = i == 1;
        l.attrs.GradientStartColor = 0x00ABCDEFu - i;
        l.attrs.BlurOn = i == 2;
        l.attrs.InDirection = i == 0 ? -7 : 11;
        l.attrs.OutDirection = 13 - i;
        l.attrs.BitmapFile = i == 2 ? QStringLiteral("/p/x.bmp") : QString();
        l.attrs.WaveFile = QStringLiteral("/w/%1.wav").arg(i);
        l.InPath.LastIndex = 3 + i;
        l.OutPath.LastIndex = -1;
        for (int k = 0; k < 1000; ++k) {
            l.InPath.Points[k] = {pointX(i, true, k), pointY(i, true, k)};
            l.OutPath.Points[k] = {pointX(i, false, k), pointY(i, false, k)};
        }
    }
    p.settings.fadedelay = 70000;
    p.settings.PauseTime = 60;
    p.settings.mpause = true;
    return p;
}

QByteArray latin(const char* s) {
    return QByteArray(s);
}

void writeRaw(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray readRaw(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// A record whose first bytes name the page, to follow files through renaming.
QByteArray taggedRecord(const QByteArray& tag) {
    QByteArray r(25716, '\0');
    r.replace(0, tag.size(), tag);
    return r;
}

} // namespace

// --- Layout -------------------------------------------------------------------------------

TEST(PageRecordLayout, BufferIsOneZeroedRecord) {
    EXPECT_EQ(PageRecordSize, 25716);
    const PageBuffer buf;
    EXPECT_EQ(buf.bytes().size(), 25716u);
    EXPECT_EQ(buf.toByteArray(), QByteArray(25716, '\0'));
}

TEST(PageRecordLayout, DecodesEveryFieldOfAHandBuiltRecord) {
    RawRecord r;
    r.fillPattern();
    writeFields(r);
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    ASSERT_TRUE(buf.decode(p));

    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i + 1);
        const auto& l = p.lines[i];
        const QString n = QString::number(i + 1);
        EXPECT_EQ(l.Text, "Title " + n);
        EXPECT_EQ(l.attrs.BlurOn, i != 1);
        EXPECT_EQ(l.attrs.GradientOn, i == 2);
        EXPECT_EQ(l.attrs.GradientStartColor, 0x02102030u + i);
        EXPECT_EQ(l.attrs.WaveFile, "/snd/w" + n + ".wav");
        EXPECT_EQ(l.attrs.BitmapFile, "/pic/b" + n + ".bmp");
        EXPECT_EQ(l.attrs.InDirection, -1 - i);
        EXPECT_EQ(l.attrs.OutDirection, 11 + i);
        EXPECT_EQ(l.attrs.FontSize, -(10 + i)); // from 832, not the copy at 868
        EXPECT_EQ(l.attrs.FontColor, 0x00A0B0C0u + i);
        EXPECT_EQ(l.attrs.ShadowColor, 0x00405060u + i);
        EXPECT_EQ(l.PosX, -100 * (i + 1));
        EXPECT_EQ(l.PosY, 0x12345 + i);
        EXPECT_EQ(l.FontStyle, (1 << i) | 8);
        EXPECT_EQ(l.attrs.FontName, "Font " + n);
        EXPECT_EQ(l.attrs.ShadowOn, i == 0);
        EXPECT_EQ(l.InPath.LastIndex, i == 0 ? -1 : 500 + i);
        EXPECT_EQ(l.OutPath.LastIndex, 998 - i);
        for (int k : {0, 1, 500, 998, 999}) {
            EXPECT_EQ(l.InPath.Points[k].x, pointX(i, true, k));
            EXPECT_EQ(l.InPath.Points[k].y, pointY(i, true, k));
            EXPECT_EQ(l.OutPath.Points[k].x, pointX(i, false, k));
            EXPECT_EQ(l.OutPath.Points[k].y, pointY(i, false, k));
        }
    }
    EXPECT_TRUE(p.settings.mpause);
    EXPECT_EQ(p.settings.PauseTime, 45);
    EXPECT_EQ(p.settings.fadedelay, 70000); // 884 wins over the 1 at 314
}

TEST(PageRecordLayout, EncodesEveryFieldAtItsOffset) {
    const PageImage p = sampleImage();
    PageBuffer buf;
    buf.encode(p, QStringLiteral("007"));
    RawRecord r;
    for (int i = 0; i < 25716; ++i)
        r.b[i] = buf.bytes()[i];

    auto strAt = [&](int at) {
        return QByteArray(reinterpret_cast<const char*>(&r.b[at + 1]), r.b[at]);
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i + 1);
        const auto& l = p.lines[i];
        EXPECT_EQ(strAt(TextAt[i]), l.Text.toLatin1());
        EXPECT_EQ(r.b[308 + i], l.attrs.BlurOn ? 1 : 0);
        EXPECT_EQ(r.b[311 + i], l.attrs.GradientOn ? 1 : 0);
        EXPECT_EQ(r.get32(328 + 4 * i), l.attrs.GradientStartColor);
        EXPECT_EQ(strAt(WaveAt[i]), l.attrs.WaveFile.toLatin1());
        EXPECT_EQ(strAt(BitmapAt[i]), l.attrs.BitmapFile.toLatin1());
        EXPECT_EQ(static_cast<std::int8_t>(r.b[826 + i]), l.attrs.InDirection);
        EXPECT_EQ(r.b[829 + i], l.attrs.OutDirection);
        EXPECT_EQ(static_cast<std::int32_t>(r.get32(832 + 4 * i)), l.attrs.FontSize);
        EXPECT_EQ(r.get32(844 + 4 * i), l.attrs.FontColor);
        EXPECT_EQ(r.get32(856 + 4 * i), l.attrs.ShadowColor);
        EXPECT_EQ(static_cast<std::int32_t>(r.get32(868 + 4 * i)), l.attrs.FontSize);
        EXPECT_EQ(static_cast<std::int32_t>(r.get32(888 + 4 * i)), l.PosX);
        EXPECT_EQ(static_cast<std::int32_t>(r.get32(900 + 4 * i)), l.PosY);
        EXPECT_EQ(r.b[912 + i], l.FontStyle);
        EXPECT_EQ(strAt(FontNameAt[i]), l.attrs.FontName.toLatin1());
        EXPECT_EQ(r.b[1683 + i], l.attrs.ShadowOn ? 1 : 0);
        EXPECT_EQ(static_cast<std::int32_t>(r.get32(InLastAt[i])), l.InPath.LastIndex);
        EXPECT_EQ(static_cast<std::int32_t>(r.get32(OutLastAt[i])), l.OutPath.LastIndex);
        for (int k : {0, 1, 500, 999}) {
            const std::uint32_t in = r.get32(InPointsAt[i] + 4 * k);
            const std::uint32_t out = r.get32(OutPointsAt[i] + 4 * k);
            EXPECT_EQ(in & 0xFFFF, l.InPath.Points[k].x);
            EXPECT_EQ(in >> 16, l.InPath.Points[k].y);
            EXPECT_EQ(out & 0xFFFF, l.OutPath.Points[k].x);
            EXPECT_EQ(out >> 16, l.OutPath.Points[k].y);
        }
    }
    // The direction -7 is the byte 0xF9.
    EXPECT_EQ(r.b[826], 0xF9);
    // fadedelay 70000 = 0x11170: the 16-bit copy keeps 0x1170, the full copy all of it.
    EXPECT_EQ(r.b[314], 0x70);
    EXPECT_EQ(r.b[315], 0x11);
    EXPECT_EQ(r.get32(884), 70000u);
    EXPECT_EQ(r.b[322], 1);
    EXPECT_EQ(r.get32(880), 60u);
    EXPECT_EQ(strAt(1686), latin("007"));
}

TEST(PageRecordLayout, DecodeEncodeKeepsUncoveredBytesAndStringTails) {
    RawRecord r;
    r.fillPattern();
    writeFields(r);
    // What a save must change in this record: the zero blocks, the 16-bit fadedelay copy, the
    // second font-size copies and the page number. Everything else comes back as it was read.
    RawRecord expected = r;
    for (int at = 316; at <= 321; ++at)
        expected.b[at] = 0;
    for (int at = 323; at <= 325; ++at)
        expected.b[at] = 0;
    expected.le16(314, 70000 & 0xFFFF);
    for (int i = 0; i < 3; ++i)
        expected.le32(868 + 4 * i, static_cast<std::uint32_t>(-(10 + i)));
    expected.str(1686, "005");

    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    buf.decode(p);
    buf.encode(p, QStringLiteral("005"));

    const QByteArray got = buf.toByteArray();
    const QByteArray want = expected.bytes();
    ASSERT_EQ(got.size(), want.size());
    for (int i = 0; i < want.size(); ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(got[i]), static_cast<std::uint8_t>(want[i]))
            << "byte " << i;
    // The pattern really sits in the reserved field, the padding and a string tail.
    EXPECT_NE(got[3], 0);
    EXPECT_NE(got[326], 0);
    EXPECT_NE(got[1691], 0);
    EXPECT_NE(got[65 + 1 + 7 + 5], 0); // beyond "Title 1"
}

TEST(PageRecordLayout, ShorterStringLeavesTheRestOfItsFieldAlone) {
    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    p.lines[0].Text = QStringLiteral("Hi");
    buf.encode(p, QStringLiteral("000"));
    EXPECT_EQ(buf.bytes()[65], 2);
    EXPECT_EQ(buf.bytes()[66], 'H');
    EXPECT_EQ(buf.bytes()[67], 'i');
    for (int at = 68; at < 146; ++at)
        ASSERT_EQ(buf.bytes()[at], r.b[at]) << "byte " << at;
    // Nor does encoding touch the reserved field.
    for (int at = 0; at < 65; ++at)
        ASSERT_EQ(buf.bytes()[at], r.b[at]) << "byte " << at;
}

TEST(PageRecordLayout, EncodeZeroesTheTwoUnreadBlocksButNotMpause) {
    RawRecord r;
    for (int at = 316; at < 328; ++at)
        r.u8(at, 0xAA);
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    p.settings.mpause = false;
    buf.encode(p, QStringLiteral("000"));
    for (int at = 316; at <= 321; ++at)
        EXPECT_EQ(buf.bytes()[at], 0) << at;
    EXPECT_EQ(buf.bytes()[322], 0);
    for (int at = 323; at <= 325; ++at)
        EXPECT_EQ(buf.bytes()[at], 0) << at;
    EXPECT_EQ(buf.bytes()[326], 0xAA);
    EXPECT_EQ(buf.bytes()[327], 0xAA);
}

TEST(PageRecordLayout, FadeDelayAtItsEdges) {
    for (const std::int32_t value : {0, 6000, 65535, 65536, -1}) {
        SCOPED_TRACE(value);
        PageImage p;
        p.settings.fadedelay = value;
        PageBuffer buf;
        buf.encode(p, QStringLiteral("000"));
        EXPECT_EQ(buf.uint16At(314), static_cast<std::uint16_t>(value & 0xFFFF));
        EXPECT_EQ(buf.int32At(884), value);
        PageImage back;
        buf.decode(back);
        EXPECT_EQ(back.settings.fadedelay, value);
    }
}

TEST(PageRecordLayout, DirectionBytesAreSigned) {
    RawRecord r;
    r.u8(826, 0x80);
    r.u8(827, 0x7F);
    r.u8(828, 0xFF);
    r.u8(829, 0);
    r.u8(830, 13);
    r.u8(831, 0xF3);
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    buf.decode(p);
    EXPECT_EQ(p.lines[0].attrs.InDirection, -128);
    EXPECT_EQ(p.lines[1].attrs.InDirection, 127);
    EXPECT_EQ(p.lines[2].attrs.InDirection, -1);
    EXPECT_EQ(p.lines[0].attrs.OutDirection, 0);
    EXPECT_EQ(p.lines[1].attrs.OutDirection, 13);
    EXPECT_EQ(p.lines[2].attrs.OutDirection, -13);
}

// --- Strings ------------------------------------------------------------------------------

TEST(PageRecordStrings, TextsAndFileNamesKeepTheirFirst80Characters) {
    QString longText;
    for (int i = 0; i < 100; ++i)
        longText += QChar('A' + i % 26);
    PageImage p;
    p.lines[1].Text = longText;
    p.lines[0].attrs.WaveFile = longText;
    p.lines[2].attrs.BitmapFile = longText;
    PageBuffer buf;
    buf.encode(p, QStringLiteral("000"));
    EXPECT_EQ(buf.bytes()[146], 80);
    EXPECT_EQ(buf.bytes()[340], 80);
    EXPECT_EQ(buf.bytes()[745], 80);
    // The 80th character is the last byte of the field; the next field starts right after.
    EXPECT_EQ(buf.bytes()[146 + 80], longText.toLatin1()[79]);
    EXPECT_EQ(buf.bytes()[227], 0); // line 3's length byte untouched

    PageImage back;
    buf.decode(back);
    EXPECT_EQ(back.lines[1].Text, longText.left(80));
    EXPECT_EQ(back.lines[0].attrs.WaveFile, longText.left(80));
    EXPECT_EQ(back.lines[2].attrs.BitmapFile, longText.left(80));
}

TEST(PageRecordStrings, FontNamesKeep255AndThePageNumberThree) {
    const QString name(300, QChar('f'));
    PageImage p;
    p.lines[0].attrs.FontName = name;
    PageBuffer buf;
    buf.encode(p, QStringLiteral("12345"));
    EXPECT_EQ(buf.bytes()[915], 255);
    EXPECT_EQ(buf.bytes()[1170], 'f');
    EXPECT_EQ(buf.bytes()[1171], 5); // line 2's "Arial"
    EXPECT_EQ(buf.bytes()[1686], 3);
    EXPECT_EQ(buf.bytes()[1689], '3');
    PageImage back;
    buf.decode(back);
    EXPECT_EQ(back.lines[0].attrs.FontName, name.left(255));
}

TEST(PageRecordStrings, OversizeLengthByteReadsOnlyItsOwnField) {
    RawRecord r;
    r.fillPattern();
    r.u8(65, 200); // text of line 1 claims 200 characters
    for (int at = 66; at < 146; ++at)
        r.u8(at, 'x');
    r.str(146, "second");
    r.u8(340, 255); // a wave file name claiming 255
    for (int at = 341; at < 421; ++at)
        r.u8(at, 'w');
    r.str(421, "zz");
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    buf.decode(p);
    EXPECT_EQ(p.lines[0].Text, QString(80, QChar('x')));
    EXPECT_EQ(p.lines[1].Text, QStringLiteral("second"));
    EXPECT_EQ(p.lines[0].attrs.WaveFile, QString(80, QChar('w')));
}

TEST(PageRecordStrings, LoadTrimsTextsAndFileNamesButNotFontNames) {
    RawRecord r;
    r.str(65, "  centred  ");
    r.str(340, " /a b.wav\t");
    r.str(583, "  /c.bmp ");
    r.str(915, " Odd Face ");
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    PageImage p;
    buf.decode(p);
    EXPECT_EQ(p.lines[0].Text, QStringLiteral("centred"));
    EXPECT_EQ(p.lines[0].attrs.WaveFile, QStringLiteral("/a b.wav"));
    EXPECT_EQ(p.lines[0].attrs.BitmapFile, QStringLiteral("/c.bmp"));
    EXPECT_EQ(p.lines[0].attrs.FontName, QStringLiteral(" Odd Face "));
}

TEST(PageRecordStrings, Windows1252BothWays) {
    PageImage p;
    p.lines[0].Text = QStringLiteral("Caf\u00e9 \u20ac5");
    p.lines[1].Text = QStringLiteral("A\u6f22B");               // CJK
    p.lines[2].Text = QString::fromUcs4(U"x\U0001F600y");       // outside the BMP
    p.lines[0].attrs.FontName = QStringLiteral("\u0081\u0178"); // undefined byte, Ÿ
    PageBuffer buf;
    buf.encode(p, QStringLiteral("000"));
    const auto& b = buf.bytes();
    EXPECT_EQ(b[65], 7);
    EXPECT_EQ(b[69], 0xE9);
    EXPECT_EQ(b[71], 0x80);
    EXPECT_EQ(b[146], 3);
    EXPECT_EQ(b[148], '?');
    EXPECT_EQ(b[227], 3);
    EXPECT_EQ(b[229], '?');
    EXPECT_EQ(b[230], 'y');
    EXPECT_EQ(b[915], 2);
    EXPECT_EQ(b[916], 0x81);
    EXPECT_EQ(b[917], 0x9F);

    PageImage back;
    buf.decode(back);
    EXPECT_EQ(back.lines[0].Text, QStringLiteral("Caf\u00e9 \u20ac5"));
    EXPECT_EQ(back.lines[1].Text, QStringLiteral("A?B"));
    EXPECT_EQ(back.lines[2].Text, QStringLiteral("x?y"));
    EXPECT_EQ(back.lines[0].attrs.FontName, QStringLiteral("\u0081\u0178"));
}

TEST(PageRecordStrings, EveryByteDecodesAndEncodesBackToItself) {
    std::uint8_t all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    const QString text = fromWindows1252(all, 256);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xE9], QChar(0x00E9));
    EXPECT_EQ(toWindows1252(text), QByteArray(reinterpret_cast<const char*>(all), 256));
    // Control characters of the C1 range that 1252 replaces are not representable.
    EXPECT_EQ(toWindows1252(QString(QChar(0x0080))), latin("?"));
}

// --- Buffer loading -----------------------------------------------------------------------

TEST(PageBufferLoad, ShortDataIsRefusedAndLeavesTheBuffer) {
    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    const QByteArray before = buf.toByteArray();
    EXPECT_FALSE(buf.loadFrom(QByteArray(25715, 'z')));
    EXPECT_FALSE(buf.loadFrom(QByteArray()));
    EXPECT_EQ(buf.toByteArray(), before);
}

// --- Page numbers and names ---------------------------------------------------------------

TEST(PageNumbers, ThreeDigitTexts) {
    EXPECT_EQ(pageNumberText(0), QStringLiteral("000"));
    EXPECT_EQ(pageNumberText(7), QStringLiteral("007"));
    EXPECT_EQ(pageNumberText(42), QStringLiteral("042"));
    EXPECT_EQ(pageNumberText(999), QStringLiteral("999"));
    EXPECT_EQ(pageNumberText(-1), QStringLiteral("0-1"));
    EXPECT_EQ(pageNumberText(-99), QStringLiteral("-99"));
}

TEST(PageNumbers, TooLongNumbersHaltWithTheirMessage) {
    QString message;
    EXPECT_FALSE(pageNumberText(1000, &message).has_value());
    EXPECT_EQ(message, QStringLiteral("Page Number is beyond 999"));
    message.clear();
    EXPECT_FALSE(pageNumberText(-100, &message).has_value());
    EXPECT_EQ(message, QStringLiteral("Page Number is beyond 999"));
    EXPECT_FALSE(pageNumberText(1000).has_value()); // without a message slot
    message = QStringLiteral("untouched");
    ASSERT_TRUE(pageNumberText(5, &message).has_value());
    EXPECT_EQ(message, QStringLiteral("untouched"));
}

TEST(PageNames, StripKVT) {
    EXPECT_EQ(StripKVT(QStringLiteral("show.kvt")), QStringLiteral("SHOW"));
    EXPECT_EQ(StripKVT(QStringLiteral("show.txt")), QStringLiteral("SHOW.TXT"));
    EXPECT_EQ(StripKVT(QStringLiteral(" My.Kvt ")), QStringLiteral("MY"));
    EXPECT_EQ(StripKVT(QStringLiteral("a.kvt.kvt")), QStringLiteral("A"));
    EXPECT_EQ(StripKVT(QStringLiteral("Show")), QStringLiteral("SHOW"));
    EXPECT_EQ(StripKVT(QStringLiteral(".kvt")), QString());
    EXPECT_EQ(StripKVT(QString()), QString());
}

TEST(PageNames, FileNameJoinsDirectoryBaseAndNumber) {
    EXPECT_EQ(pageFileName(QStringLiteral("/p/"), QStringLiteral("SHOW"), QStringLiteral("001")),
              QStringLiteral("/p/SHOW.001"));
    EXPECT_EQ(pageFileName(QString(), QStringLiteral("SHOW.TXT"), QStringLiteral("000")),
              QStringLiteral("SHOW.TXT.000"));
}

// --- Page files on disk -------------------------------------------------------------------

class PageFiles : public ::testing::Test {
protected:
    testsupport::TempDir tmp;
    QString dpath = tmp.path() + '/';

    QString page(int n, const QString& base = QStringLiteral("SHOW")) const {
        return pageFileName(dpath, base, *pageNumberText(n));
    }
    void makePage(int n, const QByteArray& tag = QByteArray()) {
        writeRaw(page(n), taggedRecord(tag.isEmpty() ? pageNumberText(n)->toLatin1() : tag));
    }
    QByteArray tagOf(int n) const { return readRaw(page(n)).left(3); }
    QStringList listing() const {
        return QDir(tmp.path())
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(PageFiles, PageValid) {
    makePage(0);
    EXPECT_TRUE(PageValid(dpath, QStringLiteral("show.kvt"), 0));
    EXPECT_TRUE(PageValid(dpath, QStringLiteral(" Show.KVT"), 0));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), 1));
    EXPECT_FALSE(PageValid(dpath, QString(), 0));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("other.kvt"), 0));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), -1));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), 1000));
    ASSERT_TRUE(QDir().mkdir(page(1)));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), 1)); // a directory is no page
}

TEST_F(PageFiles, NumberOfPagesAndNextNumberWithGaps) {
    const QString base = QStringLiteral("SHOW");
    EXPECT_EQ(GetNumberOFPages(dpath, base), QStringLiteral("NEW"));
    EXPECT_EQ(GetNextPageNumber(dpath, base), QStringLiteral("000"));

    for (int n : {0, 1, 3})
        makePage(n);
    EXPECT_EQ(GetNumberOFPages(dpath, base), QStringLiteral("001"));
    EXPECT_EQ(GetNextPageNumber(dpath, base), QStringLiteral("002"));

    for (int n : {2, 4, 6})
        makePage(n);
    EXPECT_EQ(GetNumberOFPages(dpath, base), QStringLiteral("004"));
    EXPECT_EQ(GetNextPageNumber(dpath, base), QStringLiteral("005"));

    // Pages of another project do not count.
    EXPECT_EQ(GetNumberOFPages(dpath, QStringLiteral("OTHER")), QStringLiteral("NEW"));
}

TEST_F(PageFiles, WithoutPageZeroTheProjectIsNew) {
    for (int n : {1, 2})
        makePage(n);
    EXPECT_EQ(GetNumberOFPages(dpath, QStringLiteral("SHOW")), QStringLiteral("NEW"));
    EXPECT_EQ(GetNextPageNumber(dpath, QStringLiteral("SHOW")), QStringLiteral("000"));
}

TEST_F(PageFiles, AllThousandNumbersTaken) {
    for (int n = 0; n <= 999; ++n) {
        QFile f(page(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(GetNumberOFPages(dpath, QStringLiteral("SHOW")).has_value());
    EXPECT_FALSE(GetNextPageNumber(dpath, QStringLiteral("SHOW")).has_value());
    ASSERT_TRUE(QFile::remove(page(999)));
    EXPECT_EQ(GetNumberOFPages(dpath, QStringLiteral("SHOW")), QStringLiteral("998"));
    EXPECT_EQ(GetNextPageNumber(dpath, QStringLiteral("SHOW")), QStringLiteral("999"));
}

TEST_F(PageFiles, WriteThenReadGivesTheSameRecord) {
    RawRecord r;
    r.fillPattern();
    PageBuffer out;
    ASSERT_TRUE(out.loadFrom(r.bytes()));
    out.encode(sampleImage(), QStringLiteral("003"));
    ASSERT_TRUE(writePageFile(page(3), out));
    EXPECT_EQ(QFileInfo(page(3)).size(), 25716);
    EXPECT_EQ(readRaw(page(3)), out.toByteArray());

    PageBuffer in;
    ASSERT_EQ(readPageFile(page(3), in), PageReadResult::Ok);
    EXPECT_EQ(in.toByteArray(), out.toByteArray());
    EXPECT_EQ(listing(), QStringList{QStringLiteral("SHOW.003")}); // no temporary left
}

TEST_F(PageFiles, RewritingALongerFileLeavesExactlyOneRecord) {
    writeRaw(page(0), QByteArray(30000, 'o'));
    PageBuffer buf;
    ASSERT_TRUE(writePageFile(page(0), buf));
    EXPECT_EQ(readRaw(page(0)), QByteArray(25716, '\0'));
}

TEST_F(PageFiles, MissingFileLeavesTheBuffer) {
    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    EXPECT_EQ(readPageFile(page(5), buf), PageReadResult::Missing);
    EXPECT_EQ(buf.toByteArray(), r.bytes());
}

TEST_F(PageFiles, ShortFileIsUnreadableAndLeavesTheBuffer) {
    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    writeRaw(page(0), QByteArray(25715, 'q'));
    EXPECT_EQ(readPageFile(page(0), buf), PageReadResult::Unreadable);
    writeRaw(page(1), QByteArray());
    EXPECT_EQ(readPageFile(page(1), buf), PageReadResult::Unreadable);
    ASSERT_TRUE(QDir().mkdir(page(2)));
    EXPECT_EQ(readPageFile(page(2), buf), PageReadResult::Unreadable);
    EXPECT_EQ(buf.toByteArray(), r.bytes());
}

TEST_F(PageFiles, LongerFileReadsItsFirstRecord) {
    QByteArray data = taggedRecord("abc") + QByteArray(100, 'x');
    writeRaw(page(0), data);
    PageBuffer buf;
    ASSERT_EQ(readPageFile(page(0), buf), PageReadResult::Ok);
    EXPECT_EQ(buf.toByteArray(), data.left(25716));
}

// --- Failed saves -------------------------------------------------------------------------

TEST_F(PageFiles, SaveIntoMissingDirectoryFails) {
    PageBuffer buf;
    EXPECT_FALSE(writePageFile(dpath + QStringLiteral("gone/SHOW.000"), buf));
    EXPECT_TRUE(listing().isEmpty());
}

TEST_F(PageFiles, SaveOverADirectoryFailsAndKeepsIt) {
    ASSERT_TRUE(QDir().mkdir(page(0)));
    writeRaw(page(0) + QStringLiteral("/inside"), latin("keep"));
    PageBuffer buf;
    EXPECT_FALSE(writePageFile(page(0), buf));
    EXPECT_TRUE(QFileInfo(page(0)).isDir());
    EXPECT_EQ(readRaw(page(0) + QStringLiteral("/inside")), latin("keep"));
    EXPECT_EQ(listing(), QStringList{QStringLiteral("SHOW.000")});
}

TEST_F(PageFiles, InterruptedSaveKeepsTheOldPage) {
    // A file-size limit below one record makes the write fail part way, as a full disk would;
    // the limit binds every user, root included.
    makePage(0, "old");
    const QByteArray before = readRaw(page(0));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    const bool ok = writePageFile(page(0), buf);

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(readRaw(page(0)), before);
    EXPECT_EQ(listing(), QStringList{QStringLiteral("SHOW.000")});
}

TEST_F(PageFiles, SaveIntoReadOnlyDirectoryKeepsTheOldPage) {
    makePage(0, "old");
    const QByteArray before = readRaw(page(0));
    ASSERT_TRUE(QFile::setPermissions(tmp.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool permissionsBind = access(QFile::encodeName(tmp.path()).constData(), W_OK) != 0;
    bool ok = false;
    if (permissionsBind) {
        PageBuffer buf;
        ok = writePageFile(page(0), buf);
    }
    QFile::setPermissions(tmp.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!permissionsBind) GTEST_SKIP() << "directory permissions do not bind for this user";
    EXPECT_FALSE(ok);
    EXPECT_EQ(readRaw(page(0)), before);
}

// --- Deleting and renumbering -------------------------------------------------------------

class Renumbering : public PageFiles {
protected:
    QStringList renamed;
    // Deletes the page and closes the gap as the delete command does.
    void deleteAndRenumber(int n) {
        ASSERT_TRUE(deletePageFile(page(n)));
        renumberPagesAbove(dpath, QStringLiteral("SHOW"), n,
                           [this](const QString& number) { renamed << number; });
    }
    QStringList pages() const {
        return QDir(tmp.path()).entryList({QStringLiteral("SHOW.*")}, QDir::Files, QDir::Name);
    }
};

TEST_F(Renumbering, MiddlePageOfFive) {
    for (int n = 0; n <= 4; ++n)
        makePage(n);
    deleteAndRenumber(2);
    EXPECT_EQ(pages(), QStringList({"SHOW.000", "SHOW.001", "SHOW.002", "SHOW.003"}));
    EXPECT_EQ(renamed, QStringList({"002", "003"}));
    EXPECT_EQ(tagOf(1), latin("001"));
    EXPECT_EQ(tagOf(2), latin("003"));
    EXPECT_EQ(tagOf(3), latin("004"));
    EXPECT_TRUE(PageValid(dpath, QStringLiteral("show.kvt"), 1)); // the page shown next
}

TEST_F(Renumbering, FirstPageOfFour) {
    for (int n = 0; n <= 3; ++n)
        makePage(n);
    deleteAndRenumber(0);
    EXPECT_EQ(pages(), QStringList({"SHOW.000", "SHOW.001", "SHOW.002"}));
    EXPECT_EQ(renamed, QStringList({"000", "001", "002"}));
    EXPECT_EQ(tagOf(0), latin("001"));
    EXPECT_EQ(tagOf(1), latin("002")); // the page shown next: old 002
    EXPECT_EQ(tagOf(2), latin("003"));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), -1));
}

TEST_F(Renumbering, OnlyPage) {
    makePage(0);
    deleteAndRenumber(0);
    EXPECT_TRUE(pages().isEmpty());
    EXPECT_TRUE(renamed.isEmpty());
}

TEST_F(Renumbering, PagesBeyondAFurtherGapKeepTheirNumbers) {
    for (int n : {0, 1, 2, 3, 5})
        makePage(n);
    deleteAndRenumber(1);
    EXPECT_EQ(pages(), QStringList({"SHOW.000", "SHOW.001", "SHOW.002", "SHOW.005"}));
    EXPECT_EQ(renamed, QStringList({"001", "002"}));
    EXPECT_EQ(tagOf(1), latin("002"));
    EXPECT_EQ(tagOf(2), latin("003"));
    EXPECT_EQ(tagOf(5), latin("005"));
}

TEST_F(Renumbering, LastNumberMovesDown) {
    makePage(998);
    makePage(999);
    deleteAndRenumber(998);
    EXPECT_EQ(pages(), QStringList({"SHOW.998"}));
    EXPECT_EQ(tagOf(998), latin("999"));
    EXPECT_EQ(renamed, QStringList({"998"}));
}

TEST_F(Renumbering, FailedRenameStops) {
    for (int n = 0; n <= 3; ++n)
        makePage(n);
    ASSERT_TRUE(deletePageFile(page(1)));
    // Something else now holds the freed name, so the first move cannot happen.
    ASSERT_TRUE(QDir().mkdir(page(1)));
    renumberPagesAbove(dpath, QStringLiteral("SHOW"), 1,
                       [this](const QString& number) { renamed << number; });
    EXPECT_TRUE(renamed.isEmpty());
    EXPECT_EQ(pages(), QStringList({"SHOW.000", "SHOW.002", "SHOW.003"}));
    EXPECT_EQ(tagOf(2), latin("002"));
    EXPECT_EQ(tagOf(3), latin("003"));
}

TEST_F(Renumbering, NothingDeletedNothingMoves) {
    for (int n : {1, 2})
        makePage(n);
    renumberPagesAbove(dpath, QStringLiteral("SHOW"), -1, {});
    EXPECT_EQ(pages(), QStringList({"SHOW.001", "SHOW.002"}));
}

TEST_F(PageFiles, DeletePageFile) {
    makePage(0);
    EXPECT_TRUE(deletePageFile(page(0)));
    EXPECT_FALSE(QFileInfo::exists(page(0)));
    EXPECT_FALSE(deletePageFile(page(0)));
    ASSERT_TRUE(QDir().mkdir(page(1)));
    EXPECT_FALSE(deletePageFile(page(1)));
    EXPECT_TRUE(QFileInfo(page(1)).isDir());
}
