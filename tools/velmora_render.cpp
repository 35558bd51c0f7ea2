// velmora-render: renders a Velmora show to a video file or a PNG sequence, without a display.
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>
#include <thread>
#include <unistd.h>

#include "export/exporter.h"

namespace {

using velmora::FrameRate;
using velmora::VideoFormat;

constexpr const char* Usage =
    "usage: velmora-render PROJECT.kvt -o OUT [--size WxH] [--fps RATE]\n"
    "                      [--format mp4|mov|webm|png] [--alpha] [--pages FIRST-LAST]\n"
    "                      [--manual-hold SECONDS] [--motion smooth|stepped]\n"
    "                      [--no-leaders] [--quiet]\n"
    "       velmora-render --timeline PROJECT.kvt\n"
    "The lines move as --motion says, else as the project's Motion (Stepped without one).\n"
    "The size is the project's stage unless --size gives one (1920x1080 without a stage;\n"
    "a stage over 7680x4320 is fitted into it). Sizes are even but for png.\n"
    "RATE is 1 to 240 frames a second (30 by default): whole (25), a fraction (30000/1001)\n"
    "or a decimal (12.5); 23.976, 29.97 and 59.94 are 24000/1001, 30000/1001 and 60000/1001.\n"
    "Exit status: 0 written, 1 failed (nothing written), 2 written with parts of the show left\n"
    "out (each named on the error output).\n";

std::atomic<bool> interrupted{false};

// SIGINT, SIGTERM and SIGHUP come to a thread of their own, which asks the render to stop; a
// render that has not stopped a few seconds later (blocked somewhere) is ended there, its
// partial file removed.
class Interruptions {
public:
    Interruptions() {
        sigemptyset(&signals_);
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&signals_, s);
        // Before any other thread starts, so that all of them leave the signals to this one.
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        std::thread([this] { watch(); }).detach();
    }
    // The file being written, removed when the render is ended.
    void writing(const QString& partial) {
        std::lock_guard lock(mutex_);
        partial_ = partial;
    }
    void done() {
        std::lock_guard lock(mutex_);
        done_ = true;
        ended_.notify_all();
    }

private:
    void watch() {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) return;
        interrupted.store(true);
        std::unique_lock lock(mutex_);
        if (ended_.wait_for(lock, std::chrono::seconds(3), [this] { return done_; })) return;
        if (!partial_.isEmpty()) {
            if (QFileInfo(partial_).isDir())
                QDir(partial_).removeRecursively();
            else
                QFile::remove(partial_);
        }
        std::fputs("velmora-render: interrupted; nothing written\n", stderr);
        std::_Exit(1);
    }

    sigset_t signals_;
    std::mutex mutex_;
    std::condition_variable ended_;
    QString partial_;
    bool done_ = false;
};

// Qt's notes about the runtime folder a program without a display may lack are no news here,
// nor that a face lacks the tables of a script (Qt then shapes that text from another face).
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || text.startsWith(QLatin1String("QStandardPaths: ")) ||
        text.trimmed().startsWith(QLatin1String("OpenType support missing for")))
        return;
    std::fprintf(stderr, "velmora-render: %s\n", qPrintable(text));
}

struct Args {
    velmora::ExportOptions options;
    std::optional<VideoFormat> format;
    bool timeline = false;
    bool quiet = false;
};

// Reads the arguments; on a mistake, the message to print.
std::optional<Args> parse(const QStringList& a, QString* error) {
    Args args;
    velmora::ShowRenderOptions& show = args.options.show;
    show.rate = {30, 1};
    auto value = [&](int& i) -> std::optional<QString> {
        if (i + 1 >= a.size()) {
            *error = QStringLiteral("%1 needs a value").arg(a[i]);
            return std::nullopt;
        }
        return a[++i];
    };
    for (int i = 1; i < a.size(); ++i) {
        const QString& arg = a[i];
        if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            args.options.output = *v;
        } else if (arg == QLatin1String("--size")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(*v);
            const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
            const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
            if (w < 16 || h < 16 || w > velmora::MaxFrameWidth || h > velmora::MaxFrameHeight) {
                *error =
                    QStringLiteral("--size %1: give WIDTHxHEIGHT, from 16x16 to 7680x4320").arg(*v);
                return std::nullopt;
            }
            show.width = w;
            show.height = h;
        } else if (arg == QLatin1String("--fps")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            const std::optional<FrameRate> r = velmora::frameRateNamed(*v);
            if (!r) {
                *error = QStringLiteral("--fps %1: a rate from %2 to %3 frames a second, as 25, "
                                        "30000/1001 or 29.97")
                             .arg(*v)
                             .arg(velmora::MinFramesPerSecond)
                             .arg(velmora::MaxFramesPerSecond);
                return std::nullopt;
            }
            show.rate = *r;
        } else if (arg == QLatin1String("--format")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            args.format = velmora::videoFormatNamed(*v);
            if (!args.format) {
                *error = QStringLiteral("unknown format %1: mp4, mov, webm or png").arg(*v);
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--alpha")) {
            args.options.alpha = true;
        } else if (arg == QLatin1String("--pages")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^(\\d{1,3})-(\\d{1,3})$")).match(*v);
            if (!m.hasMatch() || m.captured(1).toInt() > m.captured(2).toInt()) {
                *error = QStringLiteral("--pages %1: give FIRST-LAST, as 0-4").arg(*v);
                return std::nullopt;
            }
            show.firstPage = m.captured(1).toInt();
            show.lastPage = m.captured(2).toInt();
        } else if (arg == QLatin1String("--manual-hold")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            bool ok = false;
            const double s = v->toDouble(&ok);
            if (!ok || !std::isfinite(s) || s < 0 || s > 3600) {
                *error = QStringLiteral("--manual-hold %1: seconds from 0 to 3600").arg(*v);
                return std::nullopt;
            }
            show.manualHoldNanos = std::int64_t(s * 1e9);
        } else if (arg == QLatin1String("--motion")) {
            const auto v = value(i);
            if (!v) return std::nullopt;
            if (*v == QLatin1String("smooth")) {
                show.motion = velmora::Motion::Smooth;
            } else if (*v == QLatin1String("stepped")) {
                show.motion = velmora::Motion::Stepped;
            } else {
                *error = QStringLiteral("--motion %1: smooth or stepped").arg(*v);
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--no-leaders")) {
            show.leaders = false;
        } else if (arg == QLatin1String("--quiet")) {
            args.quiet = true;
        } else if (arg == QLatin1String("--timeline")) {
            args.timeline = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            *error = QString();
            return std::nullopt;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        } else if (args.options.project.isEmpty()) {
            args.options.project = arg;
        } else {
            *error = QStringLiteral("one project only: %1").arg(arg);
            return std::nullopt;
        }
    }
    if (args.options.project.isEmpty()) {
        *error = QStringLiteral("no project given");
        return std::nullopt;
    }
    if (!args.timeline && args.options.output.isEmpty()) {
        *error = QStringLiteral("no output given (-o OUT)");
        return std::nullopt;
    }
    if (!args.timeline) {
        const std::optional<VideoFormat> f =
            args.format ? args.format : velmora::formatOfOutput(args.options.output);
        if (!f) {
            *error = QStringLiteral("cannot tell the format of %1: give --format")
                         .arg(args.options.output);
            return std::nullopt;
        }
        args.options.format = *f;
        // The video encoders take even sizes only.
        if (*f != VideoFormat::Png && (show.width % 2 || show.height % 2)) {
            *error = QStringLiteral("--size %1x%2: a video's sides are even numbers")
                         .arg(show.width)
                         .arg(show.height);
            return std::nullopt;
        }
    }
    return args;
}

// "[#####     ] frame 120/900  87.5 fps  0:09 left", rewritten in place.
class ProgressBar {
public:
    void show(std::int64_t frame, std::int64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (frame < total && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        shown_ = true;
        const double secs = std::chrono::duration<double>(now - start_).count();
        const double fps = secs > 0 ? double(frame) / secs : 0;
        const int width = 30;
        const int filled = total > 0 ? int(width * frame / total) : width;
        const int left = fps > 0 ? int(double(total - frame) / fps + 0.5) : 0;
        std::fprintf(stderr, "\r[%s%s] frame %lld/%lld  %.1f fps  %d:%02d left ",
                     std::string(std::size_t(filled), '#').c_str(),
                     std::string(std::size_t(width - filled), ' ').c_str(), (long long)frame,
                     (long long)total, fps, left / 60, left % 60);
        std::fflush(stderr);
    }
    // Ends the bar's line, when there is one.
    void end() {
        if (shown_) std::fputc('\n', stderr);
        shown_ = false;
    }

private:
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

// Stage values the project file gives but that cannot be used are said once; the render goes on
// with the usable side and the frame's for the other.
static void warnOfUnusableStage(const QString& projectFile, const velmora::ShowRenderOptions& asked) {
    velmora::ShowProject project;
    project.settings = velmora::readProjectFile(projectFile);
    if (project.settings.unusableStage.isEmpty()) return;
    velmora::ShowRenderOptions options = asked;
    velmora::resolveFrameSize(options, project);
    const velmora::platform::StageView view = velmora::stageOnFrame(project, options.width, options.height);
    std::fprintf(stderr, "velmora-render: warning: %s\n",
                 qPrintable(velmora::unusableStageText(project.settings, projectFile,
                                                       view.stageWidth, view.stageHeight)));
}

int main(int argc, char** argv) {
    // Text is drawn with Qt's fonts, which need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept to the very end, never destroyed: its thread may still take a signal while the
    // program exits. A static pointer holds it, so that it is not taken for a leak once the
    // thread has ended.
    static Interruptions* const watcher = new Interruptions;
    Interruptions& interruptions = *watcher;
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    QString error;
    const std::optional<Args> args = parse(app.arguments(), &error);
    if (!args) {
        if (error.isEmpty()) {
            std::fputs(Usage, stdout);
            return 0;
        }
        std::fprintf(stderr, "velmora-render: %s\n%s", qPrintable(error), Usage);
        return 1;
    }

    warnOfUnusableStage(args->options.project, args->options.show);
    if (args->timeline) {
        const std::optional<velmora::ShowProject> project =
            velmora::loadShowProject(args->options.project, &error);
        if (!project) {
            std::fprintf(stderr, "velmora-render: %s\n", qPrintable(error));
            return 1;
        }
        const velmora::ShowRun run = velmora::renderShow(*project, args->options.show, {});
        if (!run.error.isEmpty()) {
            std::fprintf(stderr, "velmora-render: %s\n", qPrintable(run.error));
            return 1;
        }
        std::fputs(qPrintable(velmora::timelineText(*project, run)), stdout);
        return 0;
    }

    interruptions.writing(
        velmora::partialFileName(args->options.output, QCoreApplication::applicationPid()));
    // The bar only on a terminal; a log gets a line when the render begins and one at the end.
    const bool showBar = !args->quiet && isatty(STDERR_FILENO);
    ProgressBar bar;
    const velmora::ExportResult result = velmora::exportShow(
        args->options,
        [&](std::int64_t frame, std::int64_t total) {
            // A log learns when the render has begun.
            if (frame == 1 && !args->quiet && !showBar) {
                std::fprintf(stderr, "velmora-render: rendering %lld frames to %s\n",
                             (long long)total, qPrintable(args->options.output));
                std::fflush(stderr);
            }
            if (showBar) bar.show(frame, total);
        },
        &interrupted);
    bar.end();
    interruptions.done();
    for (const QString& left : result.run.omitted)
        std::fprintf(stderr, "velmora-render: left out: %s\n", qPrintable(left));
    if (!result.ok) {
        std::fprintf(stderr, "velmora-render: %s\n",
                     qPrintable(result.cancelled ? QStringLiteral("interrupted; nothing written")
                                                 : result.error));
        return 1;
    }
    if (!args->quiet)
        std::fprintf(stderr, "velmora-render: wrote %s (%lld frames, %.3f s)\n",
                     qPrintable(args->options.output), (long long)result.run.frames,
                     double(result.run.duration) / 1e9);
    return result.run.omitted.empty() ? 0 : 2;
}
