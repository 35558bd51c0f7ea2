#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <QByteArray>
#include <QString>

// The page file's extension block: what the 25716-byte record cannot hold exactly (a text or
// name with characters outside Windows-1252, or longer than its field), whole, in UTF-8. It
// follows the record, where readers that know only the record never look.
//
// Layout, little-endian, at the end of the record:
//   0  8 bytes  signature "VelmoraX"
//   8  uint16   version, 1
//  10  uint16   flags, 0 (a reader of version 1 ignores them)
//  12  uint32   length of the body in bytes, at most MaxBodySize
//  16  uint32   CRC-32 (IEEE, as zlib's crc32) of the body
//  20  body: fields one after the other, each
//        uint16 tag, uint32 length, that many bytes (UTF-8 for every tag known today)
// A tag is kind * 256 + line: kind 1 title text, 2 wave file, 3 picture file, 4 font name; line
// 1..3. Tags a reader does not know are skipped, so later versions can add fields; a block of
// another version, a wrong signature, length or checksum, or a field running past the body is
// ignored whole, and the record's values stand.
namespace velmora {

namespace pageext {
constexpr char Signature[8] = {'V', 'e', 'l', 'm', 'o', 'r', 'a', 'X'};
constexpr std::uint16_t Version = 1;
constexpr int HeaderSize = 20;
constexpr int FieldHeaderSize = 6;
constexpr std::uint32_t MaxBodySize = 1u << 20;
enum class Kind : std::uint8_t { Text = 1, WaveFile = 2, BitmapFile = 3, FontName = 4 };
constexpr std::uint16_t tag(Kind kind, int line) {
    return std::uint16_t(std::uint16_t(kind) << 8 | line);
}
} // namespace pageext

// The fields of a block by tag; unknown tags are kept as read, so nothing is lost in passing.
struct PageExtension {
    std::map<std::uint16_t, QByteArray> fields;

    bool empty() const { return fields.empty(); }
    void set(pageext::Kind kind, int line, const QString& value) {
        fields[pageext::tag(kind, line)] = value.toUtf8();
    }
    // The field as text; nothing when absent or not well-formed UTF-8.
    std::optional<QString> text(pageext::Kind kind, int line) const;
};

// The size in bytes of the body the fields make: what MaxBodySize bounds.
std::uint64_t encodedBodySize(const PageExtension& ext);

// The block for the fields; empty for no fields.
QByteArray encodePageExtension(const PageExtension& ext);
// The block at the start of the data (what follows a record), and its size in bytes; nothing
// when the data holds no well-formed block of a known version.
std::optional<PageExtension> decodePageExtension(const QByteArray& data,
                                                 qsizetype* size = nullptr);

std::uint32_t crc32(const char* data, std::size_t size);

} // namespace velmora
