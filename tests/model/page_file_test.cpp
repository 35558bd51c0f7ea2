#include "model/page_file.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/resource.h>
#include <vector>

#include "model_support.h"
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
    // Little-endian, n bytes.
    void le(int at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void str(int at, const QByteArray& chars) {
        b[at] = static_cast<std::uint8_t>(chars.size());
        for (int i = 0; i < chars.size(); ++i)
            b[at + 1 + i] = static_cast<std::uint8_t>(chars[i]);
    }
    QByteArray bytes() const {
        return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
    }
};

// Distinct x (low half) and y for every point of line i, so a point read from a neighbour's
// place shows.
std::uint32_t point(int line, bool in, int i) {
    return std::uint32_t(line * 20000 + (in ? 0 : 10000) + i) |
           std::uint32_t(65535 - line * 3000 - (in ? 0 : 1500) - i) << 16;
}

// Writes every field of the layout into the record with values derived from the line number.
void writeFields(RawRecord& r) {
    for (int i = 0; i < 3; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        r.str(65 + 81 * i, "Title " + n);
        r.le(308 + i, i == 1 ? 0 : 1, 1);      // BlurOn
        r.le(311 + i, i == 2 ? 1 : 0, 1);      // GradientOn
        r.le(328 + 4 * i, 0x02102030u + i, 4); // GradientStartColor, top byte kept
        r.str(340 + 81 * i, "/snd/w" + n + ".wav");
        r.str(583 + 81 * i, "/pic/b" + n + ".bmp");
        r.le(826 + i, std::uint32_t(-1 - i), 1);             // InDirection -1, -2, -3
        r.le(829 + i, i == 0 ? 0x80 : 11 + i, 1);            // OutDirection -128, 12, 13
        r.le(832 + 4 * i, std::uint32_t(198 + i), 4);        // FontSize 198..200
        r.le(844 + 4 * i, 0x00A0B0C0u + i, 4);               // FontColor
        r.le(856 + 4 * i, 0x00405060u + i, 4);               // ShadowColor
        r.le(868 + 4 * i, 999u, 4);                          // second FontSize copy, not read
        r.le(888 + 4 * i, std::uint32_t(-100 * (i + 1)), 4); // PosX
        r.le(900 + 4 * i, 0xFF00 + i, 4);                    // PosY
        r.le(912 + i, 1 << i | 8, 1);                        // FontStyle
        r.str(915 + 256 * i, "Font " + n);
        r.le(1683 + i, i == 0 ? 1 : 0, 1);                              // ShadowOn
        r.le(1692 + 8008 * i, std::uint32_t(i == 0 ? -1 : 500 + i), 4); // in LastIndex
        r.le(1696 + 8008 * i, std::uint32_t(998 - i), 4);               // out LastIndex
        for (int p = 0; p < 1000; ++p) {
            r.le(1700 + 8008 * i + 4 * p, point(i, true, p), 4);
            r.le(5700 + 8008 * i + 4 * p, point(i, false, p), 4);
        }
    }
    r.le(314, 1, 2);     // 16-bit fadedelay, loses to the full value
    r.le(322, 1, 1);     // mpause
    r.le(880, 45, 4);    // PauseTime
    r.le(884, 5999, 4);  // fadedelay
    r.str(1686, "042");  // page number, not read
}

void writeRaw(const QString& path, const QByteArray& data) {
    ASSERT_TRUE(testsupport::writeFile(path, data));
}

using testsupport::readFile;

// A record whose first bytes name the page, to follow files through renaming.
QByteArray taggedRecord(const QByteArray& tag) {
    QByteArray r(25716, '\0');
    r.replace(0, tag.size(), tag);
    return r;
}

PageImage decoded(const RawRecord& r) {
    return modeltest::decodedFrom(r.bytes());
}

} // namespace

// --- The record ---------------------------------------------------------------------------

TEST(PageRecordLayout, DecodesEveryFieldOfAHandBuiltRecord) {
    RawRecord r;
    r.fillPattern();
    writeFields(r);
    const PageImage p = decoded(r);
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
        EXPECT_EQ(l.attrs.OutDirection, i == 0 ? -128 : 11 + i); // signed bytes
        EXPECT_EQ(l.attrs.FontSize, 198 + i);                    // from 832, not the copy at 868
        EXPECT_EQ(l.attrs.FontColor, 0x00A0B0C0u + i);
        EXPECT_EQ(l.attrs.ShadowColor, 0x00405060u + i);
        EXPECT_EQ(l.PosX, -100 * (i + 1));
        EXPECT_EQ(l.PosY, 0xFF00 + i);
        EXPECT_EQ(l.FontStyle, (1 << i) | 8);
        EXPECT_EQ(l.attrs.FontName, "Font " + n);
        EXPECT_EQ(l.attrs.ShadowOn, i == 0);
        EXPECT_EQ(l.InPath.LastIndex, i == 0 ? -1 : 500 + i);
        EXPECT_EQ(l.OutPath.LastIndex, 998 - i);
        for (int k : {0, 1, 500, 999}) {
            EXPECT_EQ(l.InPath.Points[k].x | l.InPath.Points[k].y << 16, point(i, true, k)) << k;
            EXPECT_EQ(l.OutPath.Points[k].x | l.OutPath.Points[k].y << 16, point(i, false, k)) << k;
        }
    }
    EXPECT_TRUE(p.settings.mpause);
    EXPECT_EQ(p.settings.PauseTime, 45);
    EXPECT_EQ(p.settings.fadedelay, 5999); // 884 wins over the 1 at 314
}

// Encoding the decoded page over a record of the bare pattern must give the hand-built record
// back, except for what a save always writes: the two zero blocks, the 16-bit fadedelay copy,
// the second font-size copies and the page number. Bytes no field covers and string tails keep
// what was there, also when the page is saved over the record it was read from.
TEST(PageRecordLayout, EncodesEveryFieldAtItsOffsetAndKeepsTheRest) {
    EXPECT_EQ(PageBuffer().toByteArray(), QByteArray(25716, '\0'));
    RawRecord pattern;
    pattern.fillPattern();
    RawRecord full = pattern;
    writeFields(full);
    RawRecord expected = full;
    for (int at : {316, 317, 318, 319, 320, 321, 323, 324, 325})
        expected.b[at] = 0;
    expected.le(314, 5999, 2);
    for (int i = 0; i < 3; ++i)
        expected.le(868 + 4 * i, std::uint32_t(198 + i), 4);
    expected.str(1686, "005");

    const PageImage p = decoded(full);
    PageBuffer overPattern, overItself;
    ASSERT_TRUE(overPattern.loadFrom(pattern.bytes()));
    ASSERT_TRUE(overItself.loadFrom(full.bytes()));
    for (PageBuffer* buf : {&overPattern, &overItself}) {
        buf->encode(p, QStringLiteral("005"));
        for (int i = 0; i < 25716; ++i)
            ASSERT_EQ(buf->bytes()[i], expected.b[i]) << "byte " << i;
    }
    overPattern.encode(PageImage(), QStringLiteral("000"));
    EXPECT_EQ(overPattern.bytes()[322], 0); // mpause off
}

// Numbers the controls cannot set are brought into the controls' ranges when a page is read, and
// a save writes the corrected values into both fadedelay copies.
TEST(PageRecordLayout, ReadingBringsNumbersIntoTheControlsRanges) {
    struct Case {
        std::int32_t stored, fadedelay, pause, fontSize;
    };
    // fadedelay 0..6000, pause 0..60, font size 1..200; one past each end, and the hanging page.
    const Case cases[] = {
        {0, 0, 0, 1},           {-1, 0, 0, 1},          {1, 1, 1, 1},
        {60, 60, 60, 60},       {61, 61, 60, 61},       {200, 200, 60, 200},
        {201, 201, 60, 200},    {6000, 6000, 60, 200},  {6001, 6000, 60, 200},
        {1187822442, 6000, 60, 200}, {INT32_MIN, 0, 0, 1}, {15, 15, 15, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RawRecord r;
        r.le(884, std::uint32_t(c.stored), 4);
        r.le(314, 65535, 2);
        r.le(880, std::uint32_t(c.stored), 4);
        for (int i = 0; i < 3; ++i)
            r.le(832 + 4 * i, std::uint32_t(c.stored), 4);
        const PageImage p = decoded(r);
        EXPECT_EQ(p.settings.fadedelay, c.fadedelay);
        EXPECT_EQ(p.settings.PauseTime, c.pause);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(p.lines[i].attrs.FontSize, c.fontSize);

        PageBuffer saved;
        saved.encode(p, QStringLiteral("000"));
        EXPECT_EQ(saved.int32At(884), c.fadedelay);
        EXPECT_EQ(saved.uint16At(314), c.fadedelay);
        EXPECT_EQ(saved.int32At(880), c.pause);
        EXPECT_EQ(saved.int32At(832), c.fontSize);
        EXPECT_EQ(saved.int32At(868), c.fontSize);
    }
}

// A path's counter names the slots its users index: one outside -1..999 reads as no path.
TEST(PageRecordLayout, PathCountersOutsideTheSlotsReadAsNoPath) {
    const struct {
        std::int32_t stored, read;
    } cases[] = {{-1, -1},   {0, 0},      {999, 999},       {-2, -1},       {-50, -1},
                 {1000, -1}, {5000, -1}, {INT32_MIN, -1}, {INT32_MAX, -1}, {2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        RawRecord r;
        for (int offset : {1692, 1696, 9700, 9704, 17708, 17712})
            r.le(offset, std::uint32_t(c.stored), 4);
        const PageImage p = decoded(r);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(p.lines[i].InPath.LastIndex, c.read);
            EXPECT_EQ(p.lines[i].OutPath.LastIndex, c.read);
        }
    }
}

// A move travels to a line's resting position one pixel a step: a position beyond the reach of
// a path's slots (a damaged or hand-made file) reads as the nearest one within it, and is saved
// so.
TEST(PageRecordLayout, RestingPositionsReadWithinTheReachOfAPath) {
    const struct {
        std::int32_t stored, read;
    } cases[] = {
        // clang-format off
        {0, 0}, {-1, -1}, {65535, 65535}, {-65535, -65535}, {65536, 65535}, {-65536, -65535},
        {INT32_MAX, 65535}, {INT32_MIN, -65535}, {-620630525, -65535}, {1000, 1000},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        RawRecord r;
        for (int i = 0; i < 3; ++i) {
            r.le(888 + 4 * i, std::uint32_t(c.stored), 4);
            r.le(900 + 4 * i, std::uint32_t(-c.read), 4);
        }
        const PageImage p = decoded(r);
        PageBuffer saved;
        saved.encode(p, QStringLiteral("000"));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(p.lines[i].PosX, c.read);
            EXPECT_EQ(p.lines[i].PosY, -c.read);
            EXPECT_EQ(saved.int32At(888 + 4 * i), c.read);
            EXPECT_EQ(saved.int32At(900 + 4 * i), -c.read);
        }
    }
}

TEST(PageRecordStrings, LongStringsAreCutToTheirFields) {
    QString longText;
    for (int i = 0; i < 300; ++i)
        longText += QChar('A' + i % 26);
    PageImage p;
    p.lines[1].Text = longText;
    p.lines[2].Text = QStringLiteral("Z");
    p.lines[0].attrs.WaveFile = longText;
    p.lines[2].attrs.BitmapFile = longText;
    p.lines[0].attrs.FontName = longText;
    PageBuffer buf;
    buf.encode(p, QStringLiteral("12345"));
    const auto& b = buf.bytes();
    EXPECT_EQ(b[146], 80);
    EXPECT_EQ(b[146 + 80], 'B'); // the 80th character ends the field ...
    EXPECT_EQ(b[227], 1);        // ... and line 3's text follows intact
    EXPECT_EQ(b[228], 'Z');
    EXPECT_EQ(b[340], 80);
    EXPECT_EQ(b[745], 80);
    EXPECT_EQ(b[915], 255);
    EXPECT_EQ(b[1170], 'U'); // character 255
    EXPECT_EQ(b[1171], 5);   // line 2's "Arial"
    EXPECT_EQ(b[1686], 3);   // the page number keeps three characters
    EXPECT_EQ(b[1689], '3');

    // The record alone, as a reader that knows nothing more reads it: the cut strings. With
    // the extension block after it: the strings whole.
    PageImage back = modeltest::decodedFrom(buf.toByteArray().left(PageRecordSize));
    EXPECT_EQ(back.lines[1].Text, longText.left(80));
    EXPECT_EQ(back.lines[2].attrs.BitmapFile, longText.left(80));
    EXPECT_EQ(back.lines[0].attrs.FontName, longText.left(255));
    buf.decode(back);
    EXPECT_EQ(back.lines[1].Text, longText);
    EXPECT_EQ(back.lines[2].attrs.BitmapFile, longText);
    EXPECT_EQ(back.lines[0].attrs.FontName, longText);
}

TEST(PageRecordStrings, DecodeStaysInsideEachFieldAndTrimsAllButFontNames) {
    RawRecord r;
    r.fillPattern();
    r.b[65] = 200; // text of line 1 claims 200 characters
    std::fill(&r.b[66], &r.b[146], 'x');
    r.str(146, "  centred  ");
    r.b[340] = 255; // a wave file name claiming 255
    std::fill(&r.b[341], &r.b[421], 'w');
    r.str(421, " /a b.wav\t");
    r.str(664, "  /c.bmp ");
    r.str(915, " Odd Face ");
    const PageImage p = decoded(r);
    EXPECT_EQ(p.lines[0].Text, QString(80, QChar('x')));
    EXPECT_EQ(p.lines[1].Text, QStringLiteral("centred"));
    EXPECT_EQ(p.lines[0].attrs.WaveFile, QString(80, QChar('w')));
    EXPECT_EQ(p.lines[1].attrs.WaveFile, QStringLiteral("/a b.wav"));
    EXPECT_EQ(p.lines[1].attrs.BitmapFile, QStringLiteral("/c.bmp"));
    EXPECT_EQ(p.lines[0].attrs.FontName, QStringLiteral(" Odd Face "));
}

TEST(PageRecordStrings, Windows1252BothWays) {
    PageImage p;
    p.lines[0].Text = QStringLiteral("Caf\u00e9 \u20ac5");
    p.lines[1].Text = QStringLiteral("A\u6f22B");               // CJK
    p.lines[2].Text = QString::fromUcs4(U"x\U0001F600y");       // outside the BMP: one '?'
    p.lines[0].attrs.FontName = QStringLiteral("\u0081\u0178"); // undefined byte, Ÿ
    PageBuffer buf;
    buf.encode(p, QStringLiteral("000"));
    auto field = [&](int at, int n) {
        return QByteArray(reinterpret_cast<const char*>(&buf.bytes()[at]), n);
    };
    EXPECT_EQ(field(65, 8), "\007Caf\351 \2005"); // octal: length 7, e9, 80
    EXPECT_EQ(field(146, 4), "\003A?B");
    EXPECT_EQ(field(227, 4), "\003x?y");
    EXPECT_EQ(field(915, 3), "\002\201\237");
    PageImage back = modeltest::decodedFrom(buf.toByteArray().left(PageRecordSize));
    EXPECT_EQ(back.lines[0].Text, p.lines[0].Text);
    EXPECT_EQ(back.lines[1].Text, QStringLiteral("A?B"));
    EXPECT_EQ(back.lines[0].attrs.FontName, p.lines[0].attrs.FontName);
    buf.decode(back);
    EXPECT_EQ(back.lines[1].Text, p.lines[1].Text);
    EXPECT_EQ(back.lines[2].Text, p.lines[2].Text);

    // Every byte decodes and encodes back to itself.
    std::uint8_t all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(toWindows1252(fromWindows1252(all, 256)),
              QByteArray(reinterpret_cast<const char*>(all), 256));
    // Control characters of the C1 range that 1252 replaces are not representable.
    EXPECT_EQ(toWindows1252(QString(QChar(0x0080))), QByteArray("?"));
}

// --- Page numbers and names ---------------------------------------------------------------

TEST(PageNames, ThreeDigitNumbersUpTo999AndStripKVT) {
    const std::pair<int, const char*> texts[] = {{0, "000"},   {7, "007"},  {42, "042"},
                                                 {999, "999"}, {-1, "0-1"}, {-99, "-99"}};
    for (const auto& [n, text] : texts)
        EXPECT_EQ(pageNumberText(n), QString::fromLatin1(text)) << n;
    for (int n : {1000, -100}) {
        QString message;
        EXPECT_FALSE(pageNumberText(n, &message).has_value()) << n;
        EXPECT_EQ(message, QStringLiteral("Page Number is beyond 999")) << n;
    }
    EXPECT_FALSE(pageNumberText(1000).has_value()); // without a message slot

    const std::pair<const char*, const char*> names[] = {
        {"show.kvt", "SHOW"}, {"show.txt", "SHOW.TXT"},
        {" My.Kvt ", "MY"},   {"a.kvt.kvt", "A"},
        {".kvt", ""},         {"", ""}};
    for (const auto& [name, base] : names)
        EXPECT_EQ(StripKVT(QString::fromLatin1(name)), QString::fromLatin1(base)) << name;
}

// --- Page files on disk -------------------------------------------------------------------

class PageFiles : public ::testing::Test {
protected:
    testsupport::TempDir tmp;
    QString dpath = tmp.path() + '/';

    QString page(int n) const {
        return pageFileName(dpath, QStringLiteral("SHOW"), *pageNumberText(n));
    }
    void makePage(int n) { writeRaw(page(n), taggedRecord(pageNumberText(n)->toLatin1())); }
    QStringList listing() const {
        return QDir(dpath).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(PageFiles, PageValidAndNumberOfPagesWithGaps) {
    makePage(0);
    ASSERT_TRUE(QDir().mkdir(page(1))); // a directory is no page
    EXPECT_TRUE(PageValid(dpath, QStringLiteral(" Show.KVT"), 0));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), 1));
    EXPECT_FALSE(PageValid(dpath, QString(), 0));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("other.kvt"), 0));
    EXPECT_FALSE(PageValid(dpath, QStringLiteral("show.kvt"), 1000));
    ASSERT_TRUE(QDir().rmdir(page(1)));
    ASSERT_TRUE(QFile::remove(page(0)));

    auto expectCount = [&](const char* pages, const char* next) {
        EXPECT_EQ(GetNumberOFPages(dpath, QStringLiteral("SHOW")), QString::fromLatin1(pages));
        EXPECT_EQ(GetNextPageNumber(dpath, QStringLiteral("SHOW")), QString::fromLatin1(next));
    };
    expectCount("NEW", "000");
    makePage(1);
    expectCount("NEW", "000"); // without page 000 the project is new
    for (int n : {0, 3})
        makePage(n);
    expectCount("001", "002");
    for (int n : {2, 4, 6})
        makePage(n);
    expectCount("004", "005");
    EXPECT_EQ(GetNumberOFPages(dpath, QStringLiteral("OTHER")), QStringLiteral("NEW"));

    for (int n = 5; n <= 998; ++n)
        writeRaw(page(n), {});
    expectCount("998", "999");
    makePage(999);
    EXPECT_FALSE(GetNumberOFPages(dpath, QStringLiteral("SHOW")).has_value());
    EXPECT_FALSE(GetNextPageNumber(dpath, QStringLiteral("SHOW")).has_value());
}

TEST_F(PageFiles, WriteAndRead) {
    writeRaw(page(3), QByteArray(30000, 'o')); // a longer file is replaced by one record
    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    ASSERT_TRUE(writePageFile(page(3), buf));
    EXPECT_EQ(readFile(page(3)), r.bytes());
    EXPECT_EQ(listing(), QStringList{QStringLiteral("SHOW.003")}); // no temporary left

    // Failed reads leave the buffer as it was.
    EXPECT_FALSE(buf.loadFrom(QByteArray(25715, 'z')));
    EXPECT_EQ(readPageFile(page(5), buf), PageReadResult::Missing);
    writeRaw(page(0), QByteArray(25715, 'q'));
    writeRaw(page(1), QByteArray());
    ASSERT_TRUE(QDir().mkdir(page(2)));
    for (int n : {0, 1})
        EXPECT_EQ(readPageFile(page(n), buf), PageReadResult::Unreadable) << n;
    EXPECT_EQ(readPageFile(page(2), buf), PageReadResult::NotRegular); // a folder
    EXPECT_EQ(buf.toByteArray(), r.bytes());

    // A longer file gives its first record.
    writeRaw(page(4), taggedRecord("abc") + QByteArray(100, 'x'));
    ASSERT_EQ(readPageFile(page(4), buf), PageReadResult::Ok);
    EXPECT_EQ(buf.toByteArray(), taggedRecord("abc"));
    ASSERT_EQ(readPageFile(page(3), buf), PageReadResult::Ok);
    EXPECT_EQ(buf.toByteArray(), r.bytes());
}

TEST_F(PageFiles, FailedSavesKeepWhatWasThere) {
    RawRecord r;
    r.fillPattern();
    PageBuffer buf;
    ASSERT_TRUE(buf.loadFrom(r.bytes()));
    EXPECT_FALSE(writePageFile(dpath + QStringLiteral("gone/SHOW.000"), buf));
    ASSERT_TRUE(QDir().mkdir(page(0)));
    writeRaw(page(0) + QStringLiteral("/inside"), "keep");
    EXPECT_FALSE(writePageFile(page(0), buf));
    EXPECT_EQ(readFile(page(0) + QStringLiteral("/inside")), QByteArray("keep"));
    EXPECT_FALSE(deletePageFile(page(0))); // deleting fails on a directory, which is kept,
    EXPECT_TRUE(QFileInfo(page(0)).isDir());
    EXPECT_FALSE(deletePageFile(page(7))); // and on a missing page

    // A file-size limit below one record makes the write fail part way, as a full disk would;
    // the limit binds every user, root included.
    makePage(1);
    const QByteArray before = readFile(page(1));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = writePageFile(page(1), buf);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(readFile(page(1)), before);
    EXPECT_EQ(listing(), QStringList({"SHOW.000", "SHOW.001"})); // no temporary left
}

// --- Deleting and renumbering -------------------------------------------------------------

// Each remaining page is listed as number:the page it was.
TEST_F(PageFiles, DeleteAndRenumberClosesTheGap) {
    const struct {
        std::vector<int> pages;
        int deleted; // -1: nothing was deleted
        const char *after, *renamed;
        int squatter = -1; // a directory takes the freed name, so no move can happen
    } cases[] = {
        {{0, 1, 2, 3, 4}, 2, "000:000 001:001 002:003 003:004", "002 003"},
        {{0, 1, 2, 3}, 0, "000:001 001:002 002:003", "000 001 002"},
        {{0, 1, 2, 3, 5}, 1, "000:000 001:002 002:003 005:005", "001 002"},
        {{998, 999}, 998, "998:999", "998"},
        {{0}, 0, "", ""},
        {{0, 1}, -1, "000:000 001:001", ""},
        {{0, 1, 2, 3}, 1, "000:000 001: 002:002 003:003", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        testsupport::TempDir dir;
        dpath = dir.path() + '/';
        for (int n : c.pages)
            makePage(n);
        ASSERT_TRUE(c.deleted < 0 || deletePageFile(page(c.deleted)));
        ASSERT_TRUE(c.squatter < 0 || QDir().mkdir(page(c.squatter)));
        QStringList renamed, after;
        renumberPagesAbove(dpath, QStringLiteral("SHOW"), c.deleted,
                           [&](const QString& number) { renamed << number; });
        for (const QString& name : listing())
            after << name.mid(5) + ':' + readFile(dpath + name).left(3);
        EXPECT_EQ(after.join(' '), QString::fromLatin1(c.after));
        EXPECT_EQ(renamed.join(' '), QString::fromLatin1(c.renamed));
    }
}
