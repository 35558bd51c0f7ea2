// The page file's extension block: texts and names the record cannot hold kept whole after it,
// a record alone read as before, and a damaged block read as no block.
#include <gtest/gtest.h>

#include "model/page_extension.h"
#include "model/page_file.h"
#include "model_support.h"
#include "test_support.h"

using namespace velmora;
using modeltest::decodedFrom;

namespace {

struct Script {
    const char* name;
    QString text;
};

// Titles and names in ten scripts.
const Script scripts[] = {
    {"Western European", QStringLiteral("Grüße, Ærø & façade")},
    {"Cyrillic", QStringLiteral("Привет, мир")},
    {"Greek", QStringLiteral("Ελλάδα")},
    {"Arabic", QStringLiteral("مرحبا بالعالم")},
    {"Hebrew", QStringLiteral("שלום עולם")},
    {"Devanagari", QStringLiteral("नमस्ते दुनिया")},
    {"Thai", QStringLiteral("สวัสดีชาวโลก")},
    {"CJK", QStringLiteral("東京 서울 北京")},
    {"emoji", QString::fromUcs4(U"Show \U0001F3AC\U0001F600 \u2764\uFE0F")},
    {"combining marks", QStringLiteral("e\u0301 a\u0308 Z\u0335\u0327")},
    {"a zero-width no-break space first", QStringLiteral("\uFEFFAnna")},
};

// A page whose line 1 text, line 2 picture and line 3 wave and font are outside the record.
PageImage russianPage() {
    PageImage p;
    p.lines[0].Text = QStringLiteral("Фильм");
    p.lines[1].attrs.BitmapFile = QStringLiteral("картинки/логотип.bmp");
    p.lines[2].attrs.WaveFile = QStringLiteral("звук.wav");
    p.lines[2].attrs.FontName = QStringLiteral("Noto Sans CJK JP");
    return p;
}

} // namespace

TEST(PageExtension, TitlesAndNamesInTenScriptsComeBackExactly) {
    for (const Script& s : scripts) {
        SCOPED_TRACE(s.name);
        PageImage p;
        p.lines[0].Text = s.text;
        p.lines[1].Text = s.text + QStringLiteral(" 2");
        p.lines[2].attrs.WaveFile = QStringLiteral("sounds/") + s.text + QStringLiteral(".wav");
        p.lines[0].attrs.BitmapFile = s.text + QStringLiteral("/title.png");
        p.lines[1].attrs.FontName = s.text;
        PageBuffer b;
        b.encode(p, QStringLiteral("000"));
        const PageImage back = decodedFrom(b.toByteArray());
        EXPECT_EQ(back.lines[0].Text, p.lines[0].Text);
        EXPECT_EQ(back.lines[1].Text, p.lines[1].Text);
        EXPECT_EQ(back.lines[2].attrs.WaveFile, p.lines[2].attrs.WaveFile);
        EXPECT_EQ(back.lines[0].attrs.BitmapFile, p.lines[0].attrs.BitmapFile);
        EXPECT_EQ(back.lines[1].attrs.FontName, p.lines[1].attrs.FontName);
        // Fields the record holds exactly stay out of the block.
        EXPECT_EQ(back.lines[2].Text, QString());
        EXPECT_EQ(back.lines[0].attrs.FontName, QStringLiteral("Arial"));
    }
}

TEST(PageExtension, APageTheRecordHoldsIsOneRecordAsBefore) {
    PageImage p;
    p.lines[0].Text = QStringLiteral("Caf\u00e9 \u20ac5 \u0178"); // all in Windows-1252
    p.lines[1].attrs.BitmapFile = QString(80, QChar('b'));       // exactly the field
    PageBuffer b;
    b.encode(p, QStringLiteral("001"));
    EXPECT_TRUE(b.extension().isEmpty());
    EXPECT_EQ(b.toByteArray().size(), PageRecordSize);

    // A page that needed a block and no longer does loses it.
    PageImage wide = p;
    wide.lines[2].Text = QStringLiteral("Ελλάδα");
    b.encode(wide, QStringLiteral("001"));
    EXPECT_FALSE(b.extension().isEmpty());
    b.encode(p, QStringLiteral("001"));
    EXPECT_EQ(b.toByteArray().size(), PageRecordSize);
}

TEST(PageExtension, TheRecordKeepsTheNearestWindows1252Form) {
    const struct {
        QString text;
        QByteArray record;
    } cases[] = {
        {QStringLiteral("Grüße"), "Gr\xfc\xdf"
                                  "e"},
        {QStringLiteral("Łódź Őr"), "?\xf3"
                                    "dz Or"}, // Ł has no parts
        {QStringLiteral("\ufb01ne"), "fine"}, // a ligature: its letters
        {QStringLiteral("Привет"), "??????"},
        {QString::fromUcs4(U"a\U0001F600b"), "a?b"},
        {QStringLiteral("what?"), "what?"},
        {QStringLiteral("Cafe\u0301 a\u0308"), "Caf\xe9 \xe4"}, // typed decomposed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nearestWindows1252(c.text), c.record) << c.text.toStdString();
        PageImage p;
        p.lines[0].Text = c.text;
        PageBuffer b;
        b.encode(p, QStringLiteral("000"));
        const auto& bytes = b.bytes();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&bytes[66]), bytes[65]), c.record);
    }
    EXPECT_TRUE(heldExactly(QStringLiteral("Caf\u00e9"), 4));
    EXPECT_FALSE(heldExactly(QStringLiteral("Caf\u00e9"), 3));
    EXPECT_FALSE(heldExactly(QStringLiteral("\u0141"), 80));
}

// Each field of the block damaged in turn: the record's values stand, nothing else changes.
TEST(PageExtension, ADamagedBlockIsIgnoredWhole) {
    PageBuffer b;
    b.encode(russianPage(), QStringLiteral("000"));
    const QByteArray good = b.toByteArray();
    const QByteArray block = good.mid(PageRecordSize);
    ASSERT_GE(block.size(), pageext::HeaderSize + pageext::FieldHeaderSize);
    const PageImage whole = decodedFrom(good);
    ASSERT_EQ(whole.lines[0].Text, QStringLiteral("Фильм"));
    const PageImage recordOnly = decodedFrom(good.left(PageRecordSize));
    ASSERT_EQ(recordOnly.lines[0].Text, QStringLiteral("?????"));

    auto with = [&](qsizetype at, char value) {
        QByteArray d = good;
        d[PageRecordSize + at] = value;
        return d;
    };
    const struct {
        const char* what;
        QByteArray data;
    } damaged[] = {
        {"signature", with(0, 'v')},
        {"version 2", with(8, 2)},
        {"body length too long", with(12, char(block.size()))},
        {"body length beyond the limit", with(15, char(0x7F))},
        {"checksum", with(16, char(block[16] ^ 1))},
        {"a field's tag (checksum now wrong)", with(20, char(block[20] ^ 4))},
        {"a field's length past the body", with(22, char(0x7F))},
        {"cut in the header", good.left(PageRecordSize + 10)},
        {"cut in the body", good.left(good.size() - 3)},
        {"garbage instead", good.left(PageRecordSize) + QByteArray(64, '\xA5')},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.what);
        PageBuffer read;
        ASSERT_TRUE(read.loadFrom(d.data));
        EXPECT_TRUE(read.extension().isEmpty());
        PageImage p;
        read.decode(p);
        EXPECT_EQ(p.lines[0].Text, recordOnly.lines[0].Text);
        EXPECT_EQ(p.lines[1].attrs.BitmapFile, recordOnly.lines[1].attrs.BitmapFile);
        EXPECT_EQ(p.lines[2].attrs.FontName, recordOnly.lines[2].attrs.FontName);
    }

    // Flags this version does not know are no damage; nor is anything after the block.
    PageBuffer read;
    ASSERT_TRUE(read.loadFrom(with(10, 1) + QByteArray("trailing")));
    PageImage p;
    read.decode(p);
    EXPECT_EQ(p.lines[0].Text, QStringLiteral("Фильм"));
    EXPECT_EQ(read.toByteArray().size(), good.size());
}

TEST(PageExtension, WellFormedButStrangeFieldsAreSkippedOneByOne) {
    // Valid checksums around a field of a kind not known today, invalid UTF-8 in line 1's text
    // and a line number outside 1..3.
    PageBuffer b;
    b.encode(russianPage(), QStringLiteral("000"));
    PageExtension ext = *decodePageExtension(b.extension());
    ext.fields[pageext::tag(pageext::Kind::Text, 1)] = QByteArray("\xC3\x28 broken");
    ext.fields[0x7F02] = QByteArray("a later version's field");
    ext.fields[pageext::tag(pageext::Kind::Text, 9)] = QByteArray("no line 9");
    const QByteArray data = b.toByteArray().left(PageRecordSize) + encodePageExtension(ext);
    PageBuffer read;
    ASSERT_TRUE(read.loadFrom(data));
    PageImage p;
    read.decode(p);
    EXPECT_EQ(p.lines[0].Text, QStringLiteral("?????"));
    EXPECT_EQ(p.lines[1].attrs.BitmapFile, QStringLiteral("картинки/логотип.bmp"));

    // Saved again, the field a later version wrote goes with the page.
    read.encode(p, QStringLiteral("000"));
    const PageExtension again = *decodePageExtension(read.extension());
    EXPECT_EQ(again.fields.at(0x7F02), QByteArray("a later version's field"));
}

// A program that knows only the record rewrote line 1's text and left the old block behind:
// the record's new text wins over the stale one.
TEST(PageExtension, AFieldCountsOnlyWhileTheRecordStillHoldsItsForm) {
    PageBuffer b;
    b.encode(russianPage(), QStringLiteral("000"));
    QByteArray data = b.toByteArray();
    data[65] = 3;
    data.replace(66, 3, "New");
    const PageImage p = decodedFrom(data);
    EXPECT_EQ(p.lines[0].Text, QStringLiteral("New"));
    EXPECT_EQ(p.lines[2].attrs.WaveFile, QStringLiteral("звук.wav"));
}

// A record written before titles were composed held "Cafe?" for a title typed decomposed: its
// block's text still counts.
TEST(PageExtension, ARecordOfTheEarlierFallbackKeepsItsText) {
    PageExtension ext;
    ext.set(pageext::Kind::Text, 1, QStringLiteral("Cafe\u0301"));
    QByteArray data(PageRecordSize, '\0');
    data[65] = 5;
    data.replace(66, 5, "Cafe?");
    EXPECT_EQ(decodedFrom(data + encodePageExtension(ext)).lines[0].Text,
              QStringLiteral("Cafe\u0301"));
}

// Many fields of a later version read with a page, and the page's own names added to them,
// would pass the reader's limit: the later fields give way, largest first, and the texts stay
// whole. A page whose own names pass the limit is not written at all.
TEST(PageExtension, AWrittenBlockStaysWithinTheReadersLimit) {
    PageExtension later;
    const qsizetype room = pageext::MaxBodySize - 2 * pageext::FieldHeaderSize - 50;
    later.fields[0x7F01] = QByteArray(room / 2 + 1, 'a');
    later.fields[0x7F02] = QByteArray(room / 2 - 1, 'b');
    PageBuffer b;
    ASSERT_TRUE(b.loadFrom(QByteArray(PageRecordSize, '\0') + encodePageExtension(later)));
    ASSERT_FALSE(b.extension().isEmpty());
    EXPECT_EQ(b.encode(russianPage(), QStringLiteral("000")),
              PageBuffer::Stored::LaterFieldsLeftOut);
    PageBuffer read;
    ASSERT_TRUE(read.loadFrom(b.toByteArray()));
    PageImage p;
    read.decode(p);
    const PageImage want = russianPage();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.lines[i].Text, want.lines[i].Text) << i;
        EXPECT_EQ(p.lines[i].attrs.BitmapFile, want.lines[i].attrs.BitmapFile) << i;
        EXPECT_EQ(p.lines[i].attrs.WaveFile, want.lines[i].attrs.WaveFile) << i;
    }
    const std::optional<PageExtension> kept = decodePageExtension(read.extension());
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->fields.count(0x7F01));
    EXPECT_EQ(kept->fields.at(0x7F02), later.fields.at(0x7F02));
    EXPECT_EQ(read.encode(p, QStringLiteral("000")), PageBuffer::Stored::Whole);

    testsupport::TempDir dir;
    const QString file = dir.file("SHOW.000");
    ASSERT_TRUE(writePageFile(file, read));
    PageImage huge;
    huge.lines[1].attrs.FontName = QString(pageext::MaxBodySize / 2 + 1, QChar(0x0416));
    PageBuffer h;
    EXPECT_EQ(h.encode(huge, QStringLiteral("000")), PageBuffer::Stored::TooLarge);
    EXPECT_FALSE(writePageFile(file, h));
    PageBuffer again;
    ASSERT_EQ(readPageFile(file, again), PageReadResult::Ok);
    EXPECT_EQ(again.toByteArray(), read.toByteArray());
}

TEST(PageExtension, TheChecksumIsTheUsualCrc32) {
    EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc32("", 0), 0u);
}
