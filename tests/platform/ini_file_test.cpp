#include <gtest/gtest.h>
#include <limits>
#include <QFile>

#include "platform/IniFile.h"
#include "test_support.h"

using platform::IniFile;

namespace {

QString readAll(const QString& path) {
    return QString::fromUtf8(testsupport::readFile(path));
}

void writeAll(const QString& path, const QByteArray& text) {
    ASSERT_TRUE(testsupport::writeFile(path, text));
}

} // namespace

TEST(IniFile, NamesMatchWithoutRegardToCaseAndMissingKeysGiveDefaults) {
    testsupport::TempDir dir;
    const QString path = dir.file("a.ini");
    writeAll(path,
             "; a comment\n[Velmora Options]\nTop = 12 \nName=  Show one  \nQuoted=\"x y\"\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("VELMORA OPTIONS", "top", 0), 12);
    EXPECT_EQ(ini.readString("velmora options", "NAME", "d"), "Show one");
    EXPECT_EQ(ini.readString("Velmora Options", "Quoted", ""), "x y");
    EXPECT_EQ(ini.readString("Velmora Options", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("Other", "Top", "dflt"), "dflt");
    EXPECT_TRUE(ini.sectionExists("velmora OPTIONS"));
    EXPECT_TRUE(ini.valueExists("Velmora Options", "TOP"));
    EXPECT_FALSE(ini.valueExists("Velmora Options", "Left"));

    IniFile missing(dir.file("none.ini"));
    EXPECT_EQ(missing.readInteger("S", "K", 7), 7);
    EXPECT_FALSE(missing.sectionExists("S"));
}

// "-$80000000" used to negate the lowest integer, an overflow that UndefinedBehaviorSanitizer
// stops on (the settings fuzz target's regression input). It reads as that integer.
TEST(IniFile, IntegersReadLikeTheProfileFunctions) {
    const struct {
        const char* text;
        int fallback, read;
    } cases[] = {
        {"42", -1, 42},       {" -17 ", -1, -17},
        {"$1F", -1, 31},      {"0x10", -1, 16},
        {"12abc", -1, -1},    {"abc", 5, 5},
        {"", 9, 9},           {"99999999999", 3, 3},
        {"-$1F", 0, -31},     {"-$80000000", 7, std::numeric_limits<int>::min()},
        {"-$FFFFFFFF", 7, 1}, {"-$7FFFFFFF", 7, -std::numeric_limits<int>::max()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniFile::toInteger(c.text, c.fallback), c.read) << c.text;
    testsupport::TempDir dir;
    QFile::copy(VELMORA_SOURCE_DIR "/tests/data/fuzz/fuzz_settings_file/negated-lowest-hex.ini",
                dir.file("velmora.ini"));
    EXPECT_EQ(IniFile(dir.file("velmora.ini")).readInteger("VELMORA Options", "Top", 0),
              std::numeric_limits<int>::min());

    IniFile ini(dir.file("b.ini"));
    ini.writeString("S", "Flag", "garbage");
    EXPECT_FALSE(ini.readBool("S", "Flag", false));
    EXPECT_TRUE(ini.readBool("S", "Nothing", true));
    ini.writeBool("S", "Flag", true);
    EXPECT_TRUE(ini.readBool("S", "Flag", false));
}

TEST(IniFile, WritesUpdateInPlaceAndKeepEveryOtherLine) {
    testsupport::TempDir dir;
    const QString path = dir.file("c.ini");
    writeAll(path, "[First]\nA=1\n; keep me\nB=2\n\n[Second]\nC=3\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("first", "b", "20"));
    EXPECT_EQ(readAll(path), "[First]\nA=1\n; keep me\nb=20\n\n[Second]\nC=3\n");

    // A new key goes to the end of its section, not of the file.
    ASSERT_TRUE(ini.writeInteger("FIRST", "New", -5));
    EXPECT_EQ(readAll(path), "[First]\nA=1\n; keep me\nb=20\nNew=-5\n\n[Second]\nC=3\n");

    // A new section goes to the end of the file.
    ASSERT_TRUE(ini.writeString("Third", "D", "x"));
    EXPECT_EQ(readAll(path),
              "[First]\nA=1\n; keep me\nb=20\nNew=-5\n\n[Second]\nC=3\n\n[Third]\nD=x\n");
    EXPECT_EQ(ini.readSection("first"), QStringList({"A", "b", "New"}));

    // A write into a missing folder fails and says so.
    EXPECT_FALSE(IniFile(dir.file("no/such/folder/x.ini")).writeString("S", "K", "v"));
}

TEST(IniFile, ErasingASectionRemovesItWholeAndNothingElse) {
    testsupport::TempDir dir;
    const QString path = dir.file("d.ini");
    writeAll(path, "[Keep]\nX=1\n[VELMORA Options]\nTop=1\nLeft=2\n[Also]\nY=2\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.eraseSection("velmora options"));
    EXPECT_EQ(readAll(path), "[Keep]\nX=1\n[Also]\nY=2\n");
    EXPECT_EQ(ini.readInteger("VELMORA Options", "Top", -1), -1);
    EXPECT_TRUE(ini.eraseSection("Not there"));
    EXPECT_EQ(readAll(path), "[Keep]\nX=1\n[Also]\nY=2\n");
}

TEST(IniFile, WindowsLineEndingsAreReadAndKeptByEveryWrite) {
    testsupport::TempDir dir;
    const QString path = dir.file("e.ini");
    writeAll(path, "[S]\r\nK=v\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("S", "K", ""), "v");
    ASSERT_TRUE(ini.writeString("S", "K", "w"));
    ASSERT_TRUE(ini.writeInteger("T", "N", 2));
    EXPECT_EQ(readAll(path), "[S]\r\nK=w\r\n\r\n[T]\r\nN=2\r\n");
    ASSERT_TRUE(ini.eraseSection("T"));
    EXPECT_EQ(readAll(path), "[S]\r\nK=w\r\n\r\n");
    // A new file is written with the line ends of this system.
    IniFile fresh(dir.file("new.ini"));
    ASSERT_TRUE(fresh.writeString("S", "K", "v"));
    EXPECT_EQ(readAll(dir.file("new.ini")), "[S]\nK=v\n");
}
