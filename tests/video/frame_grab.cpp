// Writes chosen frames of a video as PNG pictures: frame_grab VIDEO OUTPREFIX K...
#include <cstdio>

#include "decoded_video.h"

int main(int argc, char** argv) {

    if (argc < 4) {
        std::fputs("usage: frame_grab VIDEO OUTPREFIX FRAME...\n", stderr);
        return 1;
    }
    std::vector<std::int64_t> keep;
    for (int i = 3; i < argc; ++i)
        keep.push_back(std::atoll(argv[i]));
    const testsupport::DecodedVideo v =
        testsupport::decodeVideo(QString::fromLocal8Bit(argv[1]), keep);
    std::printf("%s %s %dx%d %s alpha=%d fps=%.3f frames=%lld duration=%.3f audio=%s %d Hz %d ch "
                "first=%.4f\n",
                qPrintable(v.container), qPrintable(v.videoCodec), v.width, v.height,
                qPrintable(v.pixelFormat), v.alpha, v.fps, (long long)v.frames, v.duration,
                qPrintable(v.audioCodec), v.audioRate, v.audioChannels, v.firstSound);
    for (std::size_t i = 0; i < v.kept.size(); ++i)
        v.kept[i].save(
            QStringLiteral("%1%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(keep[i]));
    return v.ok ? 0 : 1;
}
