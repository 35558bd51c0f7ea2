// The page file's extension block: a record followed by any bytes, read as the program reads a
// page. The first byte of an input chooses whether the rest stands as it is or has its header's
// length and checksum made right for its body, so the field parser is reached past the checksum.
// Promises: a block is kept only when well formed; every text is the record's or a whole UTF-8
// field, and a field the record vouches for (its nearest form) is read whole, a leading U+FEFF
// and all; writing the page back over what was read (later fields included) stays within the
// reader's limit, and reading it again gives the same page, texts exactly; nothing of a kept
// block lies beyond its stated length.
#include <cstdint>
#include <cstring>
#include <QStringDecoder>

#include "fuzz/fuzz_support.h"
#include "model/page_extension.h"
#include "model/page_file.h"

using namespace velmora;

namespace {

// A record whose title, name and font fields hold the nearest forms of texts in other scripts,
// so that the fields of a fuzzed block can stand for them.
const QByteArray& baseRecord() {
    static const QByteArray record = [] {
        PageImage page;
        page.lines[0].Text = QStringLiteral("Привет мир");
        page.lines[1].Text = QStringLiteral("東京");
        page.lines[2].Text = QStringLiteral("שלום");
        page.lines[0].attrs.BitmapFile = QStringLiteral("картинки/логотип.bmp");
        page.lines[1].attrs.WaveFile = QStringLiteral("音楽.wav");
        page.lines[2].attrs.FontName = QStringLiteral("Noto Sans CJK JP");
        PageBuffer b;
        b.encode(page, QStringLiteral("000"));
        return b.toByteArray().left(PageRecordSize);
    }();
    return record;
}

// A field's text with nothing dropped; nothing when it is not UTF-8.
std::optional<QString> wholeText(const QByteArray& field) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString s = utf8(field);
    if (utf8.hasError()) return std::nullopt;
    return s;
}

// Whether the base record's title field of line i holds the bytes.
bool recordHolds(int i, const QByteArray& form) {
    const QByteArray& r = baseRecord();
    const int at = pagelayout::Text[i];
    const QByteArray field = form.left(pagelayout::TextChars);
    return std::uint8_t(r[at]) == field.size() &&
           std::memcmp(r.constData() + at + 1, field.constData(), std::size_t(field.size())) == 0;
}

void putU32(QByteArray& d, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        d[at + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    QByteArray tail(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if ((data[0] & 1) && tail.size() >= pageext::HeaderSize) {
        const QByteArray body = tail.mid(pageext::HeaderSize);
        putU32(tail, 12, std::uint32_t(body.size()));
        putU32(tail, 16, crc32(body.constData(), std::size_t(body.size())));
    }
    const QByteArray file = baseRecord() + tail;

    PageBuffer buffer;
    fuzzsupport::require(buffer.loadFrom(file), "a whole record always reads");
    const QByteArray& kept = buffer.extension();
    fuzzsupport::require(kept.isEmpty() || (decodePageExtension(kept) && tail.startsWith(kept)),
                         "a kept block is well formed and is what followed the record");
    fuzzsupport::require(kept.size() <= pageext::HeaderSize + qsizetype(pageext::MaxBodySize),
                         "a kept block within its limit");

    PageImage page;
    buffer.decode(page);
    PageBuffer recordOnly;
    recordOnly.loadFrom(baseRecord());
    PageImage plain;
    recordOnly.decode(plain);
    const std::optional<PageExtension> ext = decodePageExtension(kept);
    for (int i = 0; i < 3; ++i) {
        const QString& text = page.lines[i].Text;
        std::optional<QString> whole;
        if (ext)
            if (const auto f = ext->fields.find(pageext::tag(pageext::Kind::Text, i + 1));
                f != ext->fields.end())
                whole = wholeText(f->second);
        const bool fromBlock = whole && trimBlanks(*whole) == text;
        fuzzsupport::require(text == plain.lines[i].Text || fromBlock,
                             "a title is the record's or its block field's");
        if (whole && recordHolds(i, nearestWindows1252(*whole)))
            fuzzsupport::require(fromBlock, "a title the record vouches for is read whole");
    }

    // Written over what was read, as the editor saves a loaded page: later fields go along.
    PageBuffer again = buffer;
    fuzzsupport::require(again.encode(page, QStringLiteral("000")) != PageBuffer::Stored::TooLarge,
                         "a page read is never too large to write");
    const QByteArray written = again.toByteArray();
    fuzzsupport::require(written.size() - PageRecordSize <=
                             pageext::HeaderSize + qsizetype(pageext::MaxBodySize),
                         "a written block within the reader's limit");
    PageBuffer reread;
    fuzzsupport::require(reread.loadFrom(written), "a written page reads");
    fuzzsupport::require(reread.extension() == again.extension(),
                         "the reader keeps the block written");
    PageImage back;
    reread.decode(back);
    fuzzsupport::require(back == page, "a page written and read again is the same page");
    return 0;
}
