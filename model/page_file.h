#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <QByteArray>
#include <QString>
#include <set>

#include "model/page_extension.h"
#include "model/page_record.h"

namespace velmora {

// One page file holds exactly one record of this many bytes.
constexpr int PageRecordSize = 25716;

// Byte offsets of the page record's fields. Index 0 of each array is line 1. A string field of
// N characters takes N + 1 bytes: a length byte, then the characters.
namespace pagelayout {
constexpr int Reserved = 0; // string[64], never interpreted and never written
constexpr int ReservedChars = 64;
constexpr int Text[3] = {65, 146, 227};
constexpr int TextChars = 80;
constexpr int BlurOn[3] = {308, 309, 310};
constexpr int GradientOn[3] = {311, 312, 313};
constexpr int FadeDelay16 = 314; // low 16 bits of fadedelay, unsigned
constexpr int ZeroBlock1 = 316;  // 6 bytes, written as zero
constexpr int ZeroBlock1Size = 6;
constexpr int MPause = 322;
constexpr int ZeroBlock2 = 323; // 3 bytes, written as zero
constexpr int ZeroBlock2Size = 3;
constexpr int Padding1 = 326; // 2 bytes no field covers
constexpr int GradientStartColor[3] = {328, 332, 336};
constexpr int WaveFile[3] = {340, 421, 502};
constexpr int BitmapFile[3] = {583, 664, 745};
constexpr int FileNameChars = 80;
constexpr int InDirection[3] = {826, 827, 828};
constexpr int OutDirection[3] = {829, 830, 831};
constexpr int FontSize[3] = {832, 836, 840};
constexpr int FontColor[3] = {844, 848, 852};
constexpr int ShadowColor[3] = {856, 860, 864};
constexpr int FontSizeCopy[3] = {868, 872, 876}; // written, never read
constexpr int PauseTime = 880;
constexpr int FadeDelay = 884; // the full value; wins over the 16-bit copy
constexpr int PosX[3] = {888, 892, 896};
constexpr int PosY[3] = {900, 904, 908};
constexpr int FontStyle[3] = {912, 913, 914};
constexpr int FontName[3] = {915, 1171, 1427};
constexpr int FontNameChars = 255;
constexpr int ShadowOn[3] = {1683, 1684, 1685};
constexpr int PageNumber = 1686; // string[3], written, never read
constexpr int PageNumberChars = 3;
constexpr int Padding2 = 1690; // 2 bytes no field covers
constexpr int InPathLastIndex[3] = {1692, 9700, 17708};
constexpr int OutPathLastIndex[3] = {1696, 9704, 17712};
constexpr int InPathPoints[3] = {1700, 9708, 17716};
constexpr int OutPathPoints[3] = {5700, 13708, 21716};
constexpr int PathPointSize = 4; // unsigned 16-bit x, then unsigned 16-bit y
} // namespace pagelayout

// The ranges of the page's controls. Reading a page brings its numbers into them.
constexpr std::int32_t MaxFadeDelay = 6000; // "Fade" and "Movement"
constexpr std::int32_t MaxPauseTime = 60;   // "Pause", seconds
constexpr std::int32_t MinFontSize = 1;
constexpr std::int32_t MaxFontSize = 200; // the font chooser's largest size
// A line's resting position, in screen pixels either way: as far as a path's slots reach
// (0..65535), where the align screen may leave a line. A move travels to it pixel by pixel.
constexpr std::int32_t MaxRestingPos = 65535;

// Strings in page files are single-byte Windows-1252. A character that Windows-1252 cannot hold
// becomes '?'; the five bytes Windows-1252 leaves undefined map to the control characters of the
// same value, both ways.
QByteArray toWindows1252(const QString& text);
QString fromWindows1252(const std::uint8_t* bytes, int count);
// The nearest Windows-1252 form of a text, for readers that know only the record: the text is
// composed first (NFC), so a letter typed with its mark apart ("e" U+0301) is the one letter
// Windows-1252 has ("é"); a character Windows-1252 lacks becomes its decomposition's letters
// where Windows-1252 has them ("ő" "o", "ﬁ" "fi"), else '?'. Texts Windows-1252 holds come out
// as toWindows1252 gives them.
QByteArray nearestWindows1252(const QString& text);
// The characters of a text as a person counts them: its grapheme clusters. An emoji, a flag or
// a letter with its marks is one, however many UTF-16 units it takes.
int perceivedLength(const QString& text);
// The text's first `count` characters as a person counts them.
QString leftPerceived(const QString& text, int count);
// Whether a field of that many characters holds the text exactly.
bool heldExactly(const QString& text, int maxChars);

// Removes surrounding blanks and control characters (everything up to U+0020) from both ends.
QString trimBlanks(const QString& text);

// The one page record buffer of the program's run. It starts as all zeros and holds the record
// as last read or written: encoding writes only the bytes a field covers, so the reserved
// field, the padding and the unused tails of string fields keep what the last read left there.
// Beside the record it holds the extension block (page_extension.h) of the texts and names the
// record cannot hold exactly; a field of the block counts only while the record's field still
// holds that text's nearest Windows-1252 form, so a record rewritten by a program that knows
// nothing of the block is read as that program left it.
class PageBuffer {
public:
    using Bytes = std::array<std::uint8_t, PageRecordSize>;

    PageBuffer() { bytes_.fill(0); }

    // How much of a page encode kept. A block is never larger than its reader takes
    // (pageext::MaxBodySize): the fields a later version wrote give way first, largest first
    // (LaterFieldsLeftOut); when the page's own texts and names pass the limit even so, the
    // buffer holds no block and refuses to be written (TooLarge).
    enum class Stored { Whole, LaterFieldsLeftOut, TooLarge };
    // Fills the record from the page in file order. Texts are taken as they are (the caller
    // trims them); strings longer than their fields are cut to the field's length, and those
    // the fields cannot hold exactly go whole into the extension block.
    Stored encode(const PageImage& page, const QString& pageNumber);
    // Whether the last encode could not keep the page's texts and names: writePageFile refuses.
    bool tooLarge() const { return tooLarge_; }
    // Reads every stored field into the page; the derived flags (InUse, the path arming) are left
    // as they are. fadedelay, the pause, the font sizes and the resting positions are brought
    // into the ranges above.
    // Every byte pattern is a readable record, so this always succeeds.
    bool decode(PageImage& out) const;
    // Copies the first record of the data, and the extension block after it when one is there
    // and well formed; false, with the buffer unchanged, when the data is shorter than one
    // record.
    bool loadFrom(const QByteArray& data);

    const Bytes& bytes() const { return bytes_; }
    // The extension block as last read or written; empty when there is none.
    const QByteArray& extension() const { return extension_; }
    // The page file's contents: the record, then the extension block if any.
    QByteArray toByteArray() const;

    // Little-endian reads at a byte offset, for the diagnostics window.
    std::int32_t int32At(int offset) const;
    std::uint16_t uint16At(int offset) const;

private:
    void putByte(int offset, std::uint8_t value) { bytes_[offset] = value; }
    void putUint16(int offset, std::uint16_t value);
    void putInt32(int offset, std::int32_t value);
    void putString(int offset, int maxChars, const QString& text);
    QString getString(int offset, int maxChars) const;
    // The block's text for a field, when it has one and the record's field still holds its
    // nearest Windows-1252 form.
    std::optional<QString> extended(const PageExtension& ext, pageext::Kind kind, int line,
                                    int offset, int maxChars) const;
    // Sets the block of the fields, within the reader's limit (Stored above); ownTags are the
    // fields this version writes, which never give way.
    Stored keepWithinLimit(PageExtension& ext, const std::set<std::uint16_t>& ownTags);
    void putPath(int lastIndexOffset, int pointsOffset, const Path& path);
    void getPath(int lastIndexOffset, int pointsOffset, Path& path) const;

    Bytes bytes_;
    QByteArray extension_;
    bool tooLarge_ = false;
};

// The three-digit page-number text of a number: 7 gives "007", 42 "042", -1 "0-1". A text
// longer than three characters ("Page Number is beyond 999") or an empty one ("Page Number is
// very empty") cannot name a page: the result is empty and the message is stored in
// *haltMessage when given.
std::optional<QString> pageNumberText(int number, QString* haltMessage = nullptr);

// The base name of a project's page files: the project file name trimmed, in upper case, and
// cut before the first ".KVT".
QString StripKVT(const QString& name);

// dpath (ending in '/', or empty) + base + "." + number.
QString pageFileName(const QString& dpath, const QString& base, const QString& number);

// Whether a page file is present at the path (a directory of that name is not a page).
bool pageFileExists(const QString& path);

// Whether the project's page of that number exists; false for an empty project name and for a
// number that has no three-digit text.
bool PageValid(const QString& dpath, const QString& projectName, int number);

// The three-digit number of the last page of the unbroken run from 000, "NEW" when page 000 is
// missing, nothing when all pages 000 to 999 exist.
std::optional<QString> GetNumberOFPages(const QString& dpath, const QString& base);

// The first page number without a file; nothing when all 000 to 999 are taken.
std::optional<QString> GetNextPageNumber(const QString& dpath, const QString& base);

// Writes the record to a temporary file beside the page file and renames it over the page file,
// so a failed or interrupted save leaves the previous page as it was. False on any failure, and
// for a buffer whose page did not fit (PageBuffer::tooLarge), which is not written at all.
bool writePageFile(const QString& path, const PageBuffer& buffer);

enum class RegularRead { Ok, Missing, NotRegular, Unreadable };

// Reads at most maxBytes of a regular file into data. Anything else at the path (a FIFO, a
// device, a folder) is NotRegular and is never opened in a way that could block: a FIFO
// without a writer would hold its reader for good, a device may never end. The check is made
// again on the opened descriptor, so a file swapped for a FIFO meanwhile is refused too.
RegularRead readRegularFile(const QString& path, qint64 maxBytes, QByteArray& data);

enum class PageReadResult { Ok, Missing, NotRegular, Unreadable };

// Reads the first record of a page file into the buffer, with the extension block after it.
// Missing when there is no such file, NotRegular when it is a pipe, a device or a folder (it is
// not opened for reading), Unreadable when it cannot be opened or holds less than one record; on
// failure the buffer is unchanged.
PageReadResult readPageFile(const QString& path, PageBuffer& buffer);

// Closes the gap a deleted page leaves: for each page above it, up to 999, moves the file one
// number down and reports the new number. Stops at the first missing page or failed rename.
void renumberPagesAbove(const QString& dpath, const QString& base, int deleted,
                        const std::function<void(const QString& newNumber)>& onRenamed);

// Opens, closes and deletes a page file; false when any of these fails, or when it is not a
// regular file (the file is kept).
bool deletePageFile(const QString& path);

} // namespace velmora
