#include "platform/WaveFile.h"

#include <algorithm>
#include <cstring>
#include <QFile>
#include <QFileInfo>

namespace velmora::platform {

namespace {

std::uint32_t le32(const char* p) {
    const auto* u = reinterpret_cast<const std::uint8_t*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}
std::uint16_t le16(const char* p) {
    const auto* u = reinterpret_cast<const std::uint8_t*>(p);
    return std::uint16_t(u[0] | u[1] << 8);
}

std::optional<WaveSound> fail(QString* reason, const QString& text) {
    if (reason) *reason = text;
    return std::nullopt;
}

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

} // namespace

std::optional<WaveSound> parseWave(const QByteArray& bytes, QString* reason) {
    const char* d = bytes.constData();
    const qsizetype size = bytes.size();
    if (size < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0)
        return fail(reason, QStringLiteral("not a wave file"));
    WaveSound sound;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= size) {
        const char* id = d + at;
        const qsizetype length = le32(d + at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = std::min<qsizetype>(length, size - body);
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (available < 16) return fail(reason, QStringLiteral("not a wave file"));
            const std::uint16_t format = le16(d + body);
            sound.channels = le16(d + body + 2);
            sound.sampleRate = int(le32(d + body + 4));
            sound.bitsPerSample = le16(d + body + 14);
            if (format == FormatExtensible && available >= 26)
                if (le16(d + body + 24) != FormatPcm)
                    return fail(reason, QStringLiteral("not a PCM wave"));
            if (format != FormatPcm && format != FormatExtensible)
                return fail(reason, QStringLiteral("not a PCM wave"));
            const int bits = sound.bitsPerSample;
            if ((sound.channels != 1 && sound.channels != 2) ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32) || sound.sampleRate < 1 ||
                sound.sampleRate > 768000)
                return fail(reason, QStringLiteral("a wave format that cannot be played"));
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (!haveFormat) return fail(reason, QStringLiteral("not a wave file"));
            const qsizetype whole = available / sound.frameBytes() * sound.frameBytes();
            sound.samples = bytes.mid(body, whole);
            return sound;
        }
        // Chunks are padded to an even length.
        at = body + length + (length & 1);
    }
    return fail(reason, QStringLiteral("not a wave file"));
}

std::optional<WaveSound> readWaveFile(const QString& fileName, QString* error) {
    // A pipe or a device would hold the reader until something writes to it, if ever.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        if (error) *error = fileName + QStringLiteral(" is not a regular file");
        return std::nullopt;
    }
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot open ") + fileName;
        return std::nullopt;
    }
    if (f.size() > MaxWaveFileBytes) {
        if (error) *error = fileName + QStringLiteral(" is too large to play");
        return std::nullopt;
    }
    QString reason;
    std::optional<WaveSound> sound = parseWave(f.read(MaxWaveFileBytes), &reason);
    if (!sound && error) *error = fileName + QStringLiteral(" is ") + reason;
    return sound;
}

QByteArray toInt16Samples(const WaveSound& sound) {
    const int bytes = sound.bitsPerSample / 8;
    if (bytes < 1) return {};
    const qsizetype count = sound.samples.size() / bytes;
    QByteArray out(count * 2, Qt::Uninitialized);
    const auto* s = reinterpret_cast<const std::uint8_t*>(sound.samples.constData());
    auto* o = reinterpret_cast<std::uint8_t*>(out.data());
    for (qsizetype i = 0; i < count; ++i, s += bytes, o += 2) {
        // The two most significant bytes; 8-bit samples are unsigned around 128.
        const std::int16_t v = bytes == 1 ? std::int16_t((int(s[0]) - 128) * 256)
                                          : std::int16_t(s[bytes - 2] | s[bytes - 1] << 8);
        o[0] = std::uint8_t(v & 0xFF);
        o[1] = std::uint8_t((v >> 8) & 0xFF);
    }
    return out;
}

} // namespace velmora::platform
