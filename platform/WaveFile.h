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

// The samples as signed 16-bit ones, the same channels and rate.
QByteArray toInt16Samples(const WaveSound& sound);

} // namespace velmora::platform
