#include "model/page_extension.h"

#include <array>
#include <cstring>
#include <QStringDecoder>

namespace velmora {

namespace {

void putU16(QByteArray& out, std::uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void putU32(QByteArray& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

std::uint16_t u16At(const QByteArray& d, qsizetype at) {
    return std::uint16_t(std::uint8_t(d[at]) | std::uint8_t(d[at + 1]) << 8);
}

std::uint32_t u32At(const QByteArray& d, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(std::uint8_t(d[at + i])) << (8 * i);
    return v;
}

std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

} // namespace

std::uint32_t crc32(const char* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = makeCrcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ std::uint8_t(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::optional<QString> PageExtension::text(pageext::Kind kind, int line) const {
    const auto it = fields.find(pageext::tag(kind, line));
    if (it == fields.end()) return std::nullopt;
    // A title may start with U+FEFF; a decoder left to its default would drop it as a
    // byte-order mark, and the text would no longer be the one written.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString s = utf8(it->second);
    if (utf8.hasError()) return std::nullopt;
    return s;
}

std::uint64_t encodedBodySize(const PageExtension& ext) {
    std::uint64_t size = 0;
    for (const auto& field : ext.fields)
        size += std::uint64_t(pageext::FieldHeaderSize) + std::uint64_t(field.second.size());
    return size;
}

QByteArray encodePageExtension(const PageExtension& ext) {
    if (ext.empty()) return {};
    QByteArray body;
    for (const auto& [tag, value] : ext.fields) {
        putU16(body, tag);
        putU32(body, std::uint32_t(value.size()));
        body.append(value);
    }
    QByteArray out(pageext::Signature, sizeof pageext::Signature);
    putU16(out, pageext::Version);
    putU16(out, 0);
    putU32(out, std::uint32_t(body.size()));
    putU32(out, crc32(body.constData(), std::size_t(body.size())));
    return out + body;
}

std::optional<PageExtension> decodePageExtension(const QByteArray& data, qsizetype* size) {
    if (data.size() < pageext::HeaderSize) return std::nullopt;
    if (std::memcmp(data.constData(), pageext::Signature, sizeof pageext::Signature) != 0)
        return std::nullopt;
    if (u16At(data, 8) != pageext::Version) return std::nullopt;
    const std::uint32_t length = u32At(data, 12);
    if (length > pageext::MaxBodySize || length > std::uint64_t(data.size() - pageext::HeaderSize))
        return std::nullopt;
    const QByteArray body = data.mid(pageext::HeaderSize, qsizetype(length));
    if (crc32(body.constData(), std::size_t(body.size())) != u32At(data, 16)) return std::nullopt;

    PageExtension ext;
    qsizetype at = 0;
    while (at < body.size()) {
        if (body.size() - at < pageext::FieldHeaderSize) return std::nullopt;
        const std::uint16_t tag = u16At(body, at);
        const std::uint32_t fieldSize = u32At(body, at + 2);
        at += pageext::FieldHeaderSize;
        if (fieldSize > std::uint64_t(body.size() - at)) return std::nullopt;
        ext.fields[tag] = body.mid(at, qsizetype(fieldSize));
        at += qsizetype(fieldSize);
    }
    if (size) *size = pageext::HeaderSize + body.size();
    return ext;
}

} // namespace velmora
