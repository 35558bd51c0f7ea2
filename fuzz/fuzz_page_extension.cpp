// The page file's extension block: a record followed by any bytes, read as the program reads a
// page. The first byte of an input chooses whether the rest stands as it is or has its header's
// length and checksum made right for its body, so the field parser is reached past the checksum.
// Promises: a block is kept only when well formed; every text is the record's or a whole UTF-8
// field; writing the page back and reading it again gives the same page; nothing of a kept block
// lies beyond its stated length.
#include <cstdint>

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
        const bool fromBlock = ext && ext->text(pageext::Kind::Text, i + 1) &&
                               trimBlanks(*ext->text(pageext::Kind::Text, i + 1)) == text;
        fuzzsupport::require(text == plain.lines[i].Text || fromBlock,
                             "a title is the record's or its block field's");
    }

    PageBuffer again;
    again.encode(page, QStringLiteral("000"));
    PageBuffer reread;
    fuzzsupport::require(reread.loadFrom(again.toByteArray()), "a written page reads");
    PageImage back;
    reread.decode(back);
    fuzzsupport::require(back == page, "a page written and read again is the same page");
    return 0;
}
