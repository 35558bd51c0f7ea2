// The wave file opener: any bytes, parsed as the wave player parses a file (parseWave) and
// turned into the 16-bit samples it plays. An accepted wave has a playable format and whole
// frames that lie inside the file.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "platform/WaveFile.h"

using namespace velmora::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     qsizetype(size));
    QString reason;
    const std::optional<WaveSound> sound = parseWave(bytes, &reason);
    if (!sound) {
        fuzzsupport::require(!reason.isEmpty(), "a refusal says why");
        return 0;
    }
    fuzzsupport::require(sound->channels == 1 || sound->channels == 2, "one or two channels");
    fuzzsupport::require(sound->frameBytes() > 0 &&
                             sound->samples.size() % sound->frameBytes() == 0,
                         "whole frames");
    fuzzsupport::require(sound->samples.size() <= bytes.size(), "samples lie inside the file");
    const QByteArray samples = toInt16Samples(*sound);
    fuzzsupport::require(samples.size() == sound->samples.size() / (sound->bitsPerSample / 8) * 2,
                         "one 16-bit sample for each sample");
    return 0;
}
