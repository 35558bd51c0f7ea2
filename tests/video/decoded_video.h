#pragma once
#include <cstdint>
#include <QImage>
#include <QString>
#include <vector>

// A video file read back with FFmpeg's libraries, as a player would see it.
namespace testsupport {

struct DecodedVideo {
    bool ok = false;
    QString error;
    QString container; // the demuxer's name
    QString videoCodec;
    int width = 0, height = 0;
    QString pixelFormat;
    // The colour tags as ffprobe names them ("bt709", "tv", ...; "unknown" when untagged).
    QString colourPrimaries, colourTransfer, colourMatrix, colourRange;
    bool alpha = false; // the decoded pixels carry an alpha channel
    double fps = 0;
    std::int64_t frames = 0; // frames decoded
    double duration = 0;     // seconds, from the container
    bool hasAudio = false;
    QString audioCodec;
    int audioRate = 0, audioChannels = 0;
    // The first audio sample louder than 1/100 of full scale, in seconds; -1 when silent.
    double firstSound = -1;
    std::vector<QImage> kept; // the frames asked for, as RGBA pictures
};

// Decodes every frame; keeps those whose numbers are listed, converted to RGB as a player does:
// with the matrix and range the stream is tagged with, an untagged one as BT.709 when it is
// higher than 576 lines (BT.601 else) and in the limited range.
DecodedVideo decodeVideo(const QString& file, const std::vector<std::int64_t>& keep = {});

} // namespace testsupport
