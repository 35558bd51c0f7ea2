#include "export/exporter.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>

#include "model/page_file.h"
#include "platform/WaveFile.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace velmora {

// Products of times and rates that would overflow 64 bits.
__extension__ typedef __int128 Wide;

namespace {

// One wave as 48 kHz stereo float samples.
std::optional<std::vector<float>> resampled(const platform::WaveSound& sound, QString* error) {
    const QByteArray s16 = platform::toInt16Samples(sound);
    const int inFrames = int(s16.size() / 2 / std::max(1, sound.channels));
    if (inFrames == 0) return std::vector<float>{};
    AVChannelLayout in, out = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_default(&in, sound.channels);
    SwrContext* swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, AudioRate, &in, AV_SAMPLE_FMT_S16,
                            sound.sampleRate, 0, nullptr) < 0 ||
        swr_init(swr) < 0) {
        swr_free(&swr);
        if (error) *error = QStringLiteral("cannot resample a wave of %1 Hz").arg(sound.sampleRate);
        return std::nullopt;
    }
    const int capacity = swr_get_out_samples(swr, inFrames) + 64;
    std::vector<float> samples(std::size_t(capacity) * 2);
    const std::uint8_t* src = reinterpret_cast<const std::uint8_t*>(s16.constData());
    std::uint8_t* dst = reinterpret_cast<std::uint8_t*>(samples.data());
    int got = swr_convert(swr, &dst, capacity, &src, inFrames);
    int total = std::max(got, 0);
    // What the resampler still holds.
    while (got > 0 && total < capacity) {
        dst = reinterpret_cast<std::uint8_t*>(samples.data() + std::size_t(total) * 2);
        got = swr_convert(swr, &dst, capacity - total, nullptr, 0);
        total += std::max(got, 0);
    }
    swr_free(&swr);
    samples.resize(std::size_t(total) * 2);
    return samples;
}

std::int64_t samplesAt(std::int64_t nanos) {
    return std::int64_t(Wide(nanos) * AudioRate / 1000000000);
}

bool removeAll(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return QDir(path).removeRecursively();
    return !info.exists() || QFile::remove(path);
}

} // namespace

std::optional<AudioTrack> mixWaves(const std::vector<ShowWave>& waves, std::int64_t duration,
                                   QString* error) {
    AudioTrack track;
    track.samples.assign(std::size_t(samplesAt(duration)) * 2, 0.0f);
    for (const ShowWave& w : waves) {
        QString why;
        const std::optional<platform::WaveSound> sound = platform::readWaveFile(w.file, &why);
        if (!sound) {
            if (error) *error = QStringLiteral("cannot read the wave: %1").arg(why);
            return std::nullopt;
        }
        const std::optional<std::vector<float>> s = resampled(*sound, error);
        if (!s) return std::nullopt;
        const std::int64_t from = samplesAt(w.start);
        const std::int64_t until = std::min(samplesAt(w.stop), track.frames());
        const std::int64_t n = std::min(until - from, std::int64_t(s->size() / 2));
        for (std::int64_t i = 0; i < n; ++i) {
            track.samples[std::size_t(from + i) * 2] += (*s)[std::size_t(i) * 2];
            track.samples[std::size_t(from + i) * 2 + 1] += (*s)[std::size_t(i) * 2 + 1];
        }
    }
    return track;
}

QString outputRefused(const QString& output, VideoFormat format) {
    const QFileInfo info(output);
    const QString name = info.fileName();
    if (info.suffix().compare(QLatin1String("kvt"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("%1 is a project file: give another name").arg(output);
    static const QRegularExpression pageName(QStringLiteral("^(.+)\\.(\\d{3})$"));
    const QRegularExpressionMatch m = pageName.match(name);
    if (m.hasMatch()) {
        const QStringList projects =
            info.dir().entryList({QStringLiteral("*.kvt")}, QDir::Files | QDir::Hidden);
        for (const QString& p : projects)
            if (StripKVT(p).compare(m.captured(1), Qt::CaseInsensitive) == 0)
                return QStringLiteral("%1 is a page of the project %2: give another name")
                    .arg(output, p);
    }
    // lstat: a link is refused whatever it points at (renaming over it would replace it).
    struct stat st;
    if (lstat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) != 0) return {};
    if (format == VideoFormat::Png) {
        if (S_ISDIR(st.st_mode) && QDir(output).isEmpty()) return {};
        return QStringLiteral("%1 is there already and is not an empty folder").arg(output);
    }
    if (S_ISREG(st.st_mode)) return {};
    const char* what = S_ISDIR(st.st_mode)                          ? "a folder"
                       : S_ISLNK(st.st_mode)                        ? "a link"
                       : S_ISFIFO(st.st_mode)                       ? "a pipe"
                       : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                    : "not a regular file";
    return QStringLiteral("cannot write %1: it is %2").arg(output, QLatin1String(what));
}

QString partialFileName(const QString& output, qint64 pid) {
    const QFileInfo out(output);
    return QDir(out.absolutePath())
        .filePath(QStringLiteral(".%1.partial-%2").arg(out.fileName()).arg(pid));
}

void removeStalePartials(const QString& output) {
    const QFileInfo out(output);
    const QString prefix = QStringLiteral(".%1.partial-").arg(out.fileName());
    const QDir folder(out.absolutePath());
    const QStringList found =
        folder.entryList({QStringLiteral(".*.partial-*")}, QDir::Files | QDir::Dirs | QDir::Hidden |
                                                               QDir::NoDotAndDotDot | QDir::System |
                                                               QDir::CaseSensitive);
    for (const QString& f : found) {
        if (!f.startsWith(prefix)) continue;
        bool number = false;
        const qint64 pid = f.mid(prefix.size()).toLongLong(&number);
        if (!number || pid <= 0 || pid > std::numeric_limits<pid_t>::max()) continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue; // alive, or not ours to tell
        removeAll(folder.filePath(f));
    }
}

std::optional<VideoFormat> formatOfOutput(const QString& output) {
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix.isEmpty()) return VideoFormat::Png;
    return videoFormatNamed(suffix);
}

ExportResult exportShow(const ExportOptions& options, const ExportProgress& progress,
                        const std::atomic<bool>* cancel) {
    ExportResult result;
    auto fail = [&result](const QString& why) {
        result.error = why;
        return result;
    };
    if (options.alpha && options.format == VideoFormat::Mp4)
        return fail(QStringLiteral("mp4 (H.264) keeps no transparency: use --alpha with mov, "
                                   "webm or png"));
    QString error;
    const std::optional<ShowProject> project = loadShowProject(options.project, &error);
    if (!project) return fail(error);
    if (options.show.firstPage && *options.show.firstPage >= int(project->pages.size()))
        return fail(QStringLiteral("the project has no page %1").arg(*options.show.firstPage));

    av_log_set_level(AV_LOG_ERROR);
    // The timeline first: the length of the show and where its waves start.
    const ShowRun timeline = renderShow(*project, options.show, {}, cancel);
    if (!timeline.error.isEmpty()) return fail(timeline.error);
    if (timeline.cancelled) {
        result.cancelled = true;
        return fail(QStringLiteral("cancelled"));
    }
    std::optional<AudioTrack> audio;
    if (!timeline.waves.empty()) {
        audio = mixWaves(timeline.waves, timeline.duration, &error);
        if (!audio) return fail(error);
    }

    // The file is written under a temporary name beside the output.
    const QFileInfo out(options.output);
    const QString folder = out.absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("cannot write %1: no folder %2").arg(options.output, folder));
    const bool sequence = options.format == VideoFormat::Png;
    if (const QString refused = outputRefused(options.output, options.format); !refused.isEmpty())
        return fail(refused);
    removeStalePartials(options.output);
    const QString temp = partialFileName(options.output, QCoreApplication::applicationPid());
    removeAll(temp);
    if (sequence && !QDir().mkpath(temp))
        return fail(QStringLiteral("cannot write %1: cannot make a folder in %2")
                        .arg(options.output, folder));

    ShowRenderOptions show = options.show;
    resolveFrameSize(show, *project);
    VideoSettings settings;
    settings.format = options.format;
    settings.width = show.width;
    settings.height = show.height;
    settings.rate = options.show.rate;
    settings.alpha = options.alpha;
    settings.audio = audio ? &*audio : nullptr;
    settings.writeLimit = options.writeLimit;
    std::unique_ptr<FrameWriter> writer = openFrameWriter(temp, settings, &error);
    // The user knows the file by its own name.
    auto named = [&](QString why) { return why.replace(temp, options.output); };
    if (!writer) {
        removeAll(temp);
        return fail(named(error));
    }
    const std::int64_t total = timeline.frames;
    show.coverage = options.alpha;
    result.run = renderShow(
        *project, show,
        [&](std::int64_t k, const ShowFrame& frame) {
            if (!writer->write(k, frame)) return false;
            if (progress) progress(k + 1, total);
            return true;
        },
        cancel);
    const bool written = writer->error().isEmpty() && !result.run.cancelled;
    if (!written || !writer->finish()) {
        result.cancelled = result.run.cancelled && writer->error().isEmpty();
        const QString why = result.cancelled ? QStringLiteral("cancelled") : named(writer->error());
        writer.reset();
        removeAll(temp);
        return fail(why);
    }
    writer.reset();
    // An empty folder of that name gives way to the sequence.
    if (sequence && out.exists()) QDir().rmdir(out.absoluteFilePath());
    if (std::rename(QFile::encodeName(temp).constData(),
                    QFile::encodeName(out.absoluteFilePath()).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        removeAll(temp);
        return fail(QStringLiteral("cannot write %1: %2").arg(options.output, why));
    }
    result.ok = true;
    return result;
}

} // namespace velmora
