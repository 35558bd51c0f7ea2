#pragma once
#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QString>

namespace velmora::platform {

// A PCM wave: its format and its sample bytes as stored (little-endian, interleaved; 8-bit
// samples unsigned, wider ones signed).
struct WaveSound {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    QByteArray samples;

    int frameBytes() const { return channels * bitsPerSample / 8; }
};

// Reads a RIFF WAVE file of PCM samples (8, 16, 24 or 32 bits, one or two channels). A data
// chunk longer than the file is cut to what is there. Nothing, with the reason, when the bytes
// are no such wave.
std::optional<WaveSound> parseWave(const QByteArray& bytes, QString* reason = nullptr);

// The largest wave file opened: 1 GiB, about an hour and a half of CD sound. A larger file is
// refused from its size, before anything of it is read.
constexpr qint64 MaxWaveFileBytes = qint64(1) << 30;

// Opens and parses a wave file. Nothing when it cannot be opened, is too large or is no such
// wave; the error then names the file and says why ("<file> is not a wave file").
std::optional<WaveSound> readWaveFile(const QString& fileName, QString* error = nullptr);

// The samples as signed 16-bit ones, the same channels and rate.
QByteArray toInt16Samples(const WaveSound& sound);

} // namespace velmora::platform
