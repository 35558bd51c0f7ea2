// The video export on the demo project at 1920 x 1080, 30 frames a second: frames generated
// (the show played and each frame handed over, no encoder) and an H.264 file written. Counters:
// frames a second, the ratio to real time (seconds of show per second of work), and one frame's
// time against a memcpy of one frame.
//
// Then the export against the general tool: one shadowed line of 53 pixels crossing the black
// screen, written by the export and drawn by `ffmpeg`'s drawtext filter into the same encoder
// with the same settings, one after the other in the same run. Counters: the seconds of each and
// `ratio`, ffmpeg's time divided by ours (above 1: the export is faster).
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "bench_support.h"
#include "export/exporter.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "tools/demo_project.h"

namespace {

struct Demo {
    QTemporaryDir dir;
    QString project;
    Demo() {
        velmora::demo::writeDemo(dir.path() + QLatin1Char('/'));
        project = dir.filePath(QStringLiteral("demo.kvt"));
    }
};

Demo& demo() {
    static Demo d;
    return d;
}

velmora::ShowRenderOptions fullHd() {
    velmora::ShowRenderOptions o;
    o.width = 1920;
    o.height = 1080;
    o.rate = {30, 1};
    // The stepped show, as every project from before smooth motion plays (bench/smooth_bench
    // measures the smooth one).
    o.motion = velmora::Motion::Stepped;
    return o;
}

void report(benchmark::State& state, std::int64_t frames, double showSeconds, double workSeconds) {
    const double perFrame = workSeconds / double(frames);
    state.counters["fps"] = double(frames) / workSeconds;
    state.counters["x_realtime"] = showSeconds / workSeconds;
    state.counters["frame_vs_memcpy"] = perFrame / benchsupport::memcpySeconds(1920u * 1080u * 4u);
    state.counters["frames"] = double(frames);
}

void BM_ExportFramesRaw(benchmark::State& state) {
    const std::optional<velmora::ShowProject> project =
        velmora::loadShowProject(demo().project, nullptr);
    std::int64_t frames = 0;
    double show = 0, work = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const velmora::ShowRun run = velmora::renderShow(
            *project, fullHd(), [](std::int64_t, const velmora::ShowFrame& frame) {
                benchmark::DoNotOptimize(frame.pixels.scanLine(540)[960]);
                return true;
            });
        work += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        frames += run.frames;
        show += double(run.duration) / 1e9;
    }
    report(state, frames, show, work);
}
BENCHMARK(BM_ExportFramesRaw)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportH264(benchmark::State& state) {
    velmora::ExportOptions o;
    o.project = demo().project;
    o.output = demo().dir.filePath(QStringLiteral("bench.mp4"));
    o.format = velmora::VideoFormat::Mp4;
    o.show = fullHd();
    std::int64_t frames = 0;
    double show = 0, work = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const velmora::ExportResult r = velmora::exportShow(o);
        work += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!r.ok) {
            state.SkipWithError(qPrintable(r.error));
            return;
        }
        frames += r.run.frames;
        show += double(r.run.duration) / 1e9;
    }
    report(state, frames, show, work);
}
BENCHMARK(BM_ExportH264)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- One line crossing the screen, against ffmpeg ----------------------------------------

// The line: Arial 40 points (53 pixels) in white with a silver shadow, moving in from the left
// edge to the middle and on out at the right edge without a pause, one pixel every 4.49 ms:
// 363 frames at 30 a second.
constexpr const char* CrossingText = "Velmora Pro crosses the screen";
constexpr int CrossingY = 500;
constexpr int CrossingStepMicros = 4490;

struct Crossing {
    QTemporaryDir dir;
    QString project;
    Crossing() {
        velmora::PageImage page;
        velmora::PageImage::Line& line = page.lines[0];
        line.Text = QString::fromLatin1(CrossingText);
        line.PosX = 760;
        line.PosY = CrossingY;
        line.attrs.FontName = QStringLiteral("Arial");
        line.attrs.FontSize = 40;
        line.attrs.FontColor = 0xFFFFFF;
        line.attrs.ShadowOn = true;
        line.attrs.ShadowColor = 0xC0C0C0;
        line.attrs.InDirection = 5;
        line.attrs.OutDirection = 5;
        page.settings.fadedelay = CrossingStepMicros;
        page.settings.PauseTime = 0;
        velmora::PageBuffer buffer;
        buffer.encode(page, QStringLiteral("000"));
        const QString folder = dir.path() + QLatin1Char('/');
        velmora::writePageFile(
            velmora::pageFileName(folder, QStringLiteral("CROSS"), QStringLiteral("000")), buffer);
        project = dir.filePath(QStringLiteral("cross.kvt"));
        velmora::writeProjectFile(project, QStringLiteral("Velmora-32"), QStringLiteral("1.30"),
                                  QStringLiteral("cross.kvt"),
                                  QStringLiteral("2026-01-01 10:00:00"), QStringLiteral("000"),
                                  false, false, 10, 32, 0);
    }
};

Crossing& crossing() {
    static Crossing c;
    return c;
}

struct CrossingFormat {
    velmora::VideoFormat format;
    const char* file;
    bool alpha;
    const char* pixels; // the encoder's, in which ffmpeg draws
    // ffmpeg's output options: the encoder and the settings the export gives it.
    const char* encoder;
};

const CrossingFormat CrossingFormats[] = {
    {velmora::VideoFormat::Mp4, "cross.mp4", false, "yuv420p",
     "-c:v libx264 -preset veryfast -crf 18 -g 60"},
    {velmora::VideoFormat::Mov, "cross.mov", true, "yuva444p10le",
     "-c:v prores_ks -profile:v 4444"},
    {velmora::VideoFormat::Webm, "cross.webm", true, "yuva420p",
     "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 -tile-columns 6 -crf 32 -b:v 0 "
     "-g 60"},
};

// The same show as a filter graph: the line's left edge at -width + t / step, its text 3 pixels
// inside the strip, the shadow 3 pixels right of and below the text.
QStringList ffmpegArguments(const CrossingFormat& f, std::int64_t frames, const QString& out) {
    const QString draw =
        QStringLiteral("drawtext=fontfile=/usr/share/fonts/truetype/liberation2/"
                       "LiberationSans-Regular.ttf:text='%1':fontsize=53:fontcolor=white:"
                       "shadowcolor=0xC0C0C0:shadowx=3:shadowy=3:x='-tw-7+t*1000000/%2':y=%3")
            .arg(QString::fromLatin1(CrossingText))
            .arg(CrossingStepMicros)
            .arg(CrossingY + 3);
    QStringList args = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                        QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i")};
    // The screen black, transparent with transparency, in the encoder's own pixels: drawtext
    // draws in them, so ffmpeg converts nothing.
    args << QStringLiteral("color=c=black%1:s=1920x1080:r=30,format=%2")
                .arg(f.alpha ? QStringLiteral("@0.0") : QString(), QString::fromLatin1(f.pixels));
    args << QStringLiteral("-vf") << draw << QStringLiteral("-frames:v") << QString::number(frames);
    args << QString::fromLatin1(f.encoder).split(QLatin1Char(' ')) << out;
    return args;
}

// The two take turns, three times; each keeps its best time, so that another program's burst
// on the machine weighs on neither.
constexpr int CrossingRounds = 3;

void BM_CrossingAgainstFfmpeg(benchmark::State& state) {
    const CrossingFormat& f = CrossingFormats[state.range(0)];
    velmora::ExportOptions o;
    o.project = crossing().project;
    o.output = crossing().dir.filePath(QString::fromLatin1(f.file));
    o.format = f.format;
    o.alpha = f.alpha;
    o.show = fullHd();
    o.show.leaders = false;
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    double ours = 1e9, theirs = 1e9;
    std::int64_t frames = 0;
    for (auto _ : state) {
        for (int round = 0; round < CrossingRounds; ++round) {
            QElapsedTimer t;
            t.start();
            const velmora::ExportResult r = velmora::exportShow(o);
            ours = std::min(ours, double(t.nsecsElapsed()) / 1e9);
            if (!r.ok) {
                state.SkipWithError(qPrintable(r.error));
                return;
            }
            frames = r.run.frames;
            if (ffmpeg.isEmpty()) continue;
            QProcess p;
            t.restart();
            p.start(ffmpeg,
                    ffmpegArguments(f, frames,
                                    crossing().dir.filePath(QStringLiteral("ffmpeg-") + f.file)));
            if (!p.waitForFinished(-1) || p.exitCode() != 0) {
                state.SkipWithError(qPrintable(QStringLiteral("ffmpeg failed: ") +
                                               QString::fromLocal8Bit(p.readAllStandardError())));
                return;
            }
            theirs = std::min(theirs, double(t.nsecsElapsed()) / 1e9);
        }
    }
    state.counters["frames"] = double(frames);
    state.counters["ours_s"] = ours;
    if (ffmpeg.isEmpty()) {
        state.SetLabel("no ffmpeg command (install the package ffmpeg): ratio left out");
        return;
    }
    state.counters["ffmpeg_s"] = theirs;
    state.counters["ratio"] = theirs / ours;
}
BENCHMARK(BM_CrossingAgainstFfmpeg)
    ->ArgName("format")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return benchsupport::runBenchmarks(argc, argv);
}
