#include "export/video_file.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <QDir>
#include <QFile>
#include <QImage>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "export/bounded_queue.h"
#include "export/frame_converter.h"
#include "export/prores_rows.h"
#include "export/show_coverage.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace velmora {

// Products of times and rates that would overflow 64 bits.
__extension__ typedef __int128 Wide;

std::optional<VideoFormat> videoFormatNamed(const QString& name) {
    if (name == QLatin1String("mp4")) return VideoFormat::Mp4;
    if (name == QLatin1String("mov")) return VideoFormat::Mov;
    if (name == QLatin1String("webm")) return VideoFormat::Webm;
    if (name == QLatin1String("png")) return VideoFormat::Png;
    return std::nullopt;
}

QString videoFormatName(VideoFormat f) {
    switch (f) {
    case VideoFormat::Mp4:
        return QStringLiteral("mp4");
    case VideoFormat::Mov:
        return QStringLiteral("mov");
    case VideoFormat::Webm:
        return QStringLiteral("webm");
    case VideoFormat::Png:
        return QStringLiteral("png");
    }
    return {};
}

VideoColours videoColoursFor(int, int height) {
    if (height > 576) return {AVCOL_PRI_BT709, AVCOL_TRC_BT709, AVCOL_SPC_BT709};
    if (height == 576) return {AVCOL_PRI_BT470BG, AVCOL_TRC_BT709, AVCOL_SPC_BT470BG};
    return {AVCOL_PRI_SMPTE170M, AVCOL_TRC_BT709, AVCOL_SPC_SMPTE170M};
}

namespace {

QString averror(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// ---- A numbered sequence of pictures ------------------------------------------------------

class PngWriter : public FrameWriter {
public:
    PngWriter(const QString& folder, const VideoSettings& s) : folder_(folder), s_(s) {}

    bool write(std::int64_t k, const ShowFrame& frame) override {
        const QString file =
            QDir(folder_).filePath(QStringLiteral("%1.png").arg(k + 1, 6, 10, QLatin1Char('0')));
        // A frame like the one before is the picture before again.
        if (frame.changed.isEmpty() && !last_.isEmpty()) {
            if (QFile::copy(last_, file)) {
                last_ = file;
                return true;
            }
        }
        const platform::Bitmap& pixels = frame.pixels;
        QImage img;
        if (s_.alpha) {
            img = QImage(pixels.width(), pixels.height(), QImage::Format_RGBA8888);
            straightRgba(pixels, frame.coverage, QRect(0, 0, pixels.width(), pixels.height()),
                         img.bits(), int(img.bytesPerLine()));
        } else {
            img =
                const_cast<platform::Bitmap&>(pixels).wrap().convertToFormat(QImage::Format_RGB888);
        }
        if (!img.save(file, "PNG")) {
            error_ = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
        last_ = file;
        return true;
    }
    bool finish() override { return true; }

private:
    QString folder_;
    VideoSettings s_;
    QString last_; // the picture written last
};

// ---- A video file -------------------------------------------------------------------------

// The file a muxer writes through: a descriptor of its own, so that a write the disk refuses
// (or one past the writer's limit) fails there and then, with the system's reason.
class OutputFile {
public:
    ~OutputFile() { close(); }

    bool open(const QByteArray& path, std::int64_t limit, int* error) {
        limit_ = limit;
        fd_ = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            *error = AVERROR(errno);
            return false;
        }
        constexpr int BufferSize = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(BufferSize));
        if (buffer) pb_ = avio_alloc_context(buffer, BufferSize, 1, this, nullptr, write, seek);
        if (!pb_) {
            av_free(buffer);
            *error = AVERROR(ENOMEM);
            return false;
        }
        return true;
    }
    AVIOContext* pb() const { return pb_; }
    // Closes the file; what was buffered is let go (the file is removed anyway after a
    // failure, and finish() flushed it before).
    void close() {
        if (pb_) {
            av_freep(&pb_->buffer);
            avio_context_free(&pb_);
        }
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int write(void* opaque, const std::uint8_t* buf, int size) {
#else
    static int write(void* opaque, std::uint8_t* buf, int size) {
#endif
        auto* f = static_cast<OutputFile*>(opaque);
        int room = size;
        if (f->limit_ >= 0) room = int(std::clamp<std::int64_t>(f->limit_ - f->written_, 0, size));
        int done = 0;
        while (done < room) {
            const ssize_t n = ::write(f->fd_, buf + done, std::size_t(room - done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return AVERROR(errno);
            done += int(n);
        }
        f->written_ += done;
        return done < size ? AVERROR(ENOSPC) : size;
    }
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
        auto* f = static_cast<OutputFile*>(opaque);
        if (whence & AVSEEK_SIZE) {
            struct stat st;
            return fstat(f->fd_, &st) == 0 ? std::int64_t(st.st_size) : AVERROR(errno);
        }
        const off_t at = lseek(f->fd_, off_t(offset), whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : std::int64_t(at);
    }

    int fd_ = -1;
    AVIOContext* pb_ = nullptr;
    std::int64_t limit_ = -1, written_ = 0;
};

struct Codecs {
    const char* video;
    AVPixelFormat pixels;
    AVPixelFormat alphaPixels;
    const char* audio;
};

Codecs codecsFor(VideoFormat f) {
    switch (f) {
    case VideoFormat::Mov:
        return {"prores_ks", AV_PIX_FMT_YUV444P10LE, AV_PIX_FMT_YUVA444P10LE, "pcm_s16le"};
    case VideoFormat::Webm:
        return {"libvpx-vp9", AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVA420P, "libopus"};
    default:
        return {"libx264", AV_PIX_FMT_YUV420P, AV_PIX_FMT_NONE, "aac"};
    }
}

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// What the encoder thread is given for one frame: a reference to the frame's converted pixels
// and, for ProRes, the rows of 16 pixels that changed since the frame before (a frame that
// changed nothing then has no pixels).
struct EncodeJob {
    std::int64_t k = 0;
    FramePtr frame;
    std::vector<int> rows;
};

// Frames waiting for the encoder: the show renders at most this many frames ahead of it.
constexpr std::size_t QueuedFrames = 3;

// The show renders and converts on the caller's thread; the encoders and the file are the
// encoder thread's until finish() or the end, which join it. Converted frames live in a small
// pool of buffers: a buffer that neither the queue nor the encoder holds any more is brought up
// to date by converting what changed since the frame it holds, so an unchanged part of the
// screen is never converted twice. ProRes is encoded by rows (ProResRows), so an unchanged row
// is not encoded twice either.
class AvWriter : public FrameWriter {
public:
    ~AvWriter() override {
        stopEncoding(true);
        close();
    }

    bool open(const QString& path, const VideoSettings& s) {
        s_ = s;
        const Codecs codecs = codecsFor(s.format);
        const QByteArray file = path.toLocal8Bit();
        const char* container = s.format == VideoFormat::Mp4   ? "mp4"
                                : s.format == VideoFormat::Mov ? "mov"
                                                               : "webm";
        int rc = avformat_alloc_output_context2(&oc_, nullptr, container, file.constData());
        if (rc < 0 || !oc_)
            return fail(QStringLiteral("no %1 container: %2").arg(container, averror(rc)));

        const AVCodec* vcodec = avcodec_find_encoder_by_name(codecs.video);
        if (!vcodec)
            return fail(QStringLiteral("the %1 encoder is not available").arg(codecs.video));
        vst_ = avformat_new_stream(oc_, nullptr);
        vc_ = avcodec_alloc_context3(vcodec);
        if (!vst_ || !vc_) return fail(QStringLiteral("out of memory"));
        vc_->width = s.width;
        vc_->height = s.height;
        vc_->time_base = AVRational{int(s.rate.den), int(s.rate.num)};
        vc_->framerate = AVRational{int(s.rate.num), int(s.rate.den)};
        vc_->pix_fmt = s.alpha ? codecs.alphaPixels : codecs.pixels;
        // An untagged HD video is read as BT.709 by players: the pixels are converted as the
        // tags say, and the tags go into the stream and the container.
        colours_ = videoColoursFor(s.width, s.height);
        vc_->color_primaries = AVColorPrimaries(colours_.primaries);
        vc_->color_trc = AVColorTransferCharacteristic(colours_.transfer);
        vc_->colorspace = AVColorSpace(colours_.matrix);
        vc_->color_range = colours_.limitedRange ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
        vc_->gop_size = std::max(1, int(s.rate.perSecond() * 2));
        // As many threads as the processor has cores: x264's frame threads, VP9's rows and
        // tiles, ProRes frames (or rows, below) encoded side by side.
        vc_->thread_count = 0;
        if (oc_->oformat->flags & AVFMT_GLOBALHEADER) vc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        switch (s.format) {
        case VideoFormat::Mp4:
            av_opt_set(vc_->priv_data, "preset", "veryfast", 0);
            av_opt_set(vc_->priv_data, "crf", "18", 0);
            break;
        case VideoFormat::Mov:
            av_opt_set(vc_->priv_data, "profile", "4444", 0);
            break;
        case VideoFormat::Webm:
            av_opt_set(vc_->priv_data, "deadline", "realtime", 0);
            av_opt_set_int(vc_->priv_data, "cpu-used", 8, 0);
            av_opt_set_int(vc_->priv_data, "row-mt", 1, 0);
            // As many tile columns as the width allows (libvpx keeps tiles 256 pixels wide).
            av_opt_set_int(vc_->priv_data, "tile-columns", 6, 0);
            av_opt_set_int(vc_->priv_data, "crf", 32, 0);
            vc_->bit_rate = 0;
            break;
        default:
            break;
        }
        if ((rc = avcodec_open2(vc_, vcodec, nullptr)) < 0)
            return fail(
                QStringLiteral("the %1 encoder did not start: %2").arg(codecs.video, averror(rc)));
        avcodec_parameters_from_context(vst_->codecpar, vc_);
        vst_->time_base = vc_->time_base;
        vst_->avg_frame_rate = vc_->framerate;
        if (s.format == VideoFormat::Mov) {
            // The whole-frame encoder then only sets up the stream and the row encoders; where
            // FFmpeg's encoder keeps no bit budget to give them, it encodes whole frames.
            rows_ = std::make_unique<ProResRows>();
            QString why;
            if (!rows_->open(vc_, &why)) rows_.reset();
        }

        if (s.audio && !openAudio(codecs.audio)) return false;

        path_ = path;
        if (!out_.open(file, s.writeLimit, &rc))
            return fail(QStringLiteral("cannot write %1: %2").arg(path, averror(rc)));
        oc_->pb = out_.pb();
        oc_->flags |= AVFMT_FLAG_CUSTOM_IO;
        AVDictionary* muxing = nullptr;
        // The index before the pictures (a web player starts before the whole file is there),
        // and the colours in the sample description.
        if (s.format != VideoFormat::Webm)
            av_dict_set(&muxing, "movflags", "+faststart+write_colr", 0);
        rc = avformat_write_header(oc_, &muxing);
        av_dict_free(&muxing);
        if (rc >= 0) {
            avio_flush(oc_->pb);
            rc = oc_->pb->error;
        }
        if (rc < 0) return fail(QStringLiteral("cannot write %1: %2").arg(path, averror(rc)));

        pixels_ = vc_->pix_fmt;
        converter_ = std::make_unique<FrameConverter>(s.width, s.height, pixels_, s.alpha,
                                                      colours_.matrix == AVCOL_SPC_BT709);
        // The queue's frames, the one being converted, and those the encoder still holds
        // (ProRes rows of as many frames as there are cores).
        poolSize_ = QueuedFrames + 2 + std::size_t(rows_ ? std::thread::hardware_concurrency() : 0);
        pkt_ = av_packet_alloc();
        if (!pkt_) return fail(QStringLiteral("out of memory"));
        encoder_ = std::thread([this] { encodeLoop(); });
        return true;
    }

    bool write(std::int64_t k, const ShowFrame& frame) override {
        if (!frame.changed.isEmpty()) {
            history_.push_back({k, frame.changed});
            if (history_.size() > poolSize_ + 1) {
                knownAfter_ = history_.front().k;
                history_.pop_front();
            }
        }
        EncodeJob job;
        job.k = k;
        if (rows_) job.rows = changedRows(frame.changed);
        if (!rows_ || !job.rows.empty()) {
            AVFrame* pixels = converted(k, frame);
            if (!pixels) return failed();
            job.frame.reset(av_frame_clone(pixels));
            if (!job.frame) return failed(QStringLiteral("out of memory"));
        }
        if (!queue_.push(std::move(job))) {
            stopEncoding(false);
            return failed();
        }
        return true;
    }

    bool finish() override {
        stopEncoding(false);
        if (!failure().isEmpty()) return failed();
        // The encoder thread has ended: the rest is written here.
        const bool done =
            writeAudioUntil(s_.audio ? std::max(audioEnd_, std::int64_t(0)) : 0, true) &&
            (rows_ ? flushRows() : encode(vc_, vst_, nullptr)) &&
            (!ac_ || encode(ac_, ast_, nullptr));
        if (!done) return failed();
        // The trailer is written once, whatever comes of it: after a failure the muxer's
        // state is gone, and the file is removed.
        int rc = av_write_trailer(oc_);
        if (rc >= 0) {
            avio_flush(oc_->pb);
            rc = oc_->pb->error;
        }
        if (rc < 0) {
            close();
            return failed(QStringLiteral("cannot write %1: %2").arg(path_, averror(rc)));
        }
        close();
        return true;
    }

    QString failure() const {
        std::lock_guard lock(failMutex_);
        return failure_;
    }

private:
    // Either thread notes the first failure; the caller's error() takes it when it returns.
    bool fail(const QString& why) {
        std::lock_guard lock(failMutex_);
        if (failure_.isEmpty()) failure_ = why;
        return false;
    }
    bool failed(const QString& why = {}) {
        if (!why.isEmpty()) fail(why);
        error_ = failure();
        return false;
    }

    // ---- The caller's thread: converting ----

    struct PooledFrame {
        FramePtr frame;
        std::int64_t held = -1; // the show's frame it holds; -1: none
    };

    FramePtr newFrame() {
        FramePtr f(av_frame_alloc());
        if (!f) return nullptr;
        f->format = pixels_;
        f->width = s_.width;
        f->height = s_.height;
        // ProRes writes each frame's own tags into its header.
        f->color_primaries = AVColorPrimaries(colours_.primaries);
        f->color_trc = AVColorTransferCharacteristic(colours_.transfer);
        f->colorspace = AVColorSpace(colours_.matrix);
        f->color_range = colours_.limitedRange ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
        if (av_frame_get_buffer(f.get(), 0) < 0) return nullptr;
        return f;
    }

    // The rows of 16 pixels with a changed tile: tiles are as high as a row.
    static std::vector<int> changedRows(const ChangedTiles& changed) {
        static_assert(ChangedTiles::TileHeight == 16);
        std::vector<int> rows;
        for (int row = 0; row < changed.rows(); ++row)
            if (changed.rowChanged(row)) rows.push_back(row);
        return rows;
    }

    // What changed after the frame `held`, up to the newest.
    ChangedTiles changesSince(std::int64_t held) const {
        ChangedTiles all(s_.width, s_.height);
        if (held < 0 || held < knownAfter_) {
            all.addAll();
            return all;
        }
        for (const Changes& c : history_)
            if (c.k > held) all |= c.tiles;
        return all;
    }

    // A buffer holding frame k converted: of those no one else holds, the one with the newest
    // frame; a new one while the pool is not full; else the oldest gets a buffer of its own
    // again (the encoder keeps the old one as long as it needs it).
    AVFrame* converted(std::int64_t k, const ShowFrame& frame) {
        PooledFrame* use = nullptr;
        for (PooledFrame& p : pool_)
            if (av_frame_is_writable(p.frame.get()) && (!use || p.held > use->held)) use = &p;
        if (!use && pool_.size() < poolSize_) {
            pool_.push_back({newFrame(), -1});
            use = &pool_.back();
        } else if (!use) {
            use = &*std::min_element(pool_.begin(), pool_.end(),
                                     [](const auto& a, const auto& b) { return a.held < b.held; });
            use->frame = newFrame();
            use->held = -1;
        }
        if (!use->frame) {
            fail(QStringLiteral("out of memory"));
            return nullptr;
        }
        if (!converter_->convert(frame.pixels, frame.coverage, changesSince(use->held),
                                 use->frame.get())) {
            fail(QStringLiteral("no conversion to the encoder's pixels"));
            return nullptr;
        }
        use->held = k;
        return use->frame.get();
    }

    void stopEncoding(bool cancel) {
        if (!encoder_.joinable()) return;
        if (cancel)
            queue_.cancel();
        else
            queue_.close();
        encoder_.join();
    }

    // ---- The encoder thread ----

    void encodeLoop() {
        while (std::optional<EncodeJob> job = queue_.pop())
            if (!encodeFrame(*job)) {
                queue_.cancel();
                return;
            }
    }

    bool encodeFrame(EncodeJob& job) {
        if (rows_) {
            QString why;
            if (!rows_->send(job.k, job.frame.get(), job.rows, &why)) return fail(why);
            job.frame.reset();
            if (!writeRows()) return false;
        } else {
            job.frame->pts = job.k;
            if (!encode(vc_, vst_, job.frame.get())) return false;
            job.frame.reset();
        }
        // The sound up to the end of this frame goes beside it.
        return writeAudioUntil(framesToSamples(job.k + 1));
    }

    bool writeRows() {
        while (rows_->receive(pkt_))
            if (!writePacket(vc_, vst_, pkt_)) return false;
        return true;
    }

    bool flushRows() {
        QString why;
        if (!rows_->flush(&why)) return fail(why);
        return writeRows();
    }

    // ---- Either thread, one at a time ----

    std::int64_t framesToSamples(std::int64_t frames) const {
        return std::int64_t(Wide(frames) * s_.rate.den * AudioRate / s_.rate.num);
    }

    bool openAudio(const char* name) {
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (!codec) return fail(QStringLiteral("the %1 encoder is not available").arg(name));
        ast_ = avformat_new_stream(oc_, nullptr);
        ac_ = avcodec_alloc_context3(codec);
        if (!ast_ || !ac_) return fail(QStringLiteral("out of memory"));
        ac_->sample_rate = AudioRate;
        const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&ac_->ch_layout, &stereo);
        ac_->time_base = AVRational{1, AudioRate};
        // The first format the encoder takes of planar float, float and 16-bit.
        ac_->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
            if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT) {
                ac_->sample_fmt = *f;
                break;
            }
        if (ac_->sample_fmt != AV_SAMPLE_FMT_FLTP && ac_->sample_fmt != AV_SAMPLE_FMT_FLT &&
            ac_->sample_fmt != AV_SAMPLE_FMT_S16)
            return fail(QStringLiteral("the %1 encoder takes no usable samples").arg(name));
        if (std::string_view(name) != "pcm_s16le") ac_->bit_rate = 192000;
        if (oc_->oformat->flags & AVFMT_GLOBALHEADER) ac_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int rc = avcodec_open2(ac_, codec, nullptr);
        if (rc < 0)
            return fail(QStringLiteral("the %1 encoder did not start: %2").arg(name, averror(rc)));
        avcodec_parameters_from_context(ast_->codecpar, ac_);
        ast_->time_base = ac_->time_base;
        chunk_ = ac_->frame_size > 0 ? ac_->frame_size : 1024;
        aframe_ = av_frame_alloc();
        aframe_->format = ac_->sample_fmt;
        av_channel_layout_copy(&aframe_->ch_layout, &ac_->ch_layout);
        aframe_->sample_rate = AudioRate;
        aframe_->nb_samples = chunk_;
        if (av_frame_get_buffer(aframe_, 0) < 0) return fail(QStringLiteral("out of memory"));
        return true;
    }

    // Encodes the sound in whole chunks up to `until` samples; the last, short chunk only at
    // the end.
    bool writeAudioUntil(std::int64_t until, bool last = false) {
        if (!ac_) return true;
        if (!last) audioEnd_ = std::max(audioEnd_, until);
        const AudioTrack& t = *s_.audio;
        while (written_ + (last ? 1 : chunk_) <= until) {
            const int n = int(std::min<std::int64_t>(chunk_, until - written_));
            if (av_frame_make_writable(aframe_) < 0) return fail(QStringLiteral("out of memory"));
            aframe_->nb_samples = n;
            for (int i = 0; i < n; ++i) {
                const std::int64_t at = written_ + i;
                float l = 0, r = 0;
                if (at < t.frames()) {
                    l = std::clamp(t.samples[std::size_t(at) * 2], -1.0f, 1.0f);
                    r = std::clamp(t.samples[std::size_t(at) * 2 + 1], -1.0f, 1.0f);
                }
                switch (ac_->sample_fmt) {
                case AV_SAMPLE_FMT_FLTP:
                    reinterpret_cast<float*>(aframe_->data[0])[i] = l;
                    reinterpret_cast<float*>(aframe_->data[1])[i] = r;
                    break;
                case AV_SAMPLE_FMT_FLT:
                    reinterpret_cast<float*>(aframe_->data[0])[2 * i] = l;
                    reinterpret_cast<float*>(aframe_->data[0])[2 * i + 1] = r;
                    break;
                default:
                    reinterpret_cast<std::int16_t*>(aframe_->data[0])[2 * i] =
                        std::int16_t(std::lround(l * 32767));
                    reinterpret_cast<std::int16_t*>(aframe_->data[0])[2 * i + 1] =
                        std::int16_t(std::lround(r * 32767));
                    break;
                }
            }
            aframe_->pts = written_;
            written_ += n;
            if (!encode(ac_, ast_, aframe_)) return false;
        }
        return true;
    }

    bool encode(AVCodecContext* c, AVStream* st, AVFrame* frame) {
        int rc = avcodec_send_frame(c, frame);
        if (rc < 0) return fail(QStringLiteral("encoding failed: %1").arg(averror(rc)));
        for (;;) {
            rc = avcodec_receive_packet(c, pkt_);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
            if (rc < 0) return fail(QStringLiteral("encoding failed: %1").arg(averror(rc)));
            if (!writePacket(c, st, pkt_)) return false;
        }
    }

    // Writes a packet (in the codec's time base) and lets go of it.
    bool writePacket(AVCodecContext* c, AVStream* st, AVPacket* pkt) {
        av_packet_rescale_ts(pkt, c->time_base, st->time_base);
        pkt->stream_index = st->index;
        const int rc = av_interleaved_write_frame(oc_, pkt);
        if (rc < 0) return fail(QStringLiteral("cannot write %1: %2").arg(path_, averror(rc)));
        return true;
    }

    // Lets go of everything; an unfinished file is left as it is (freeing the muxer ends it
    // without writing more).
    void close() {
        pool_.clear();
        av_frame_free(&aframe_);
        av_packet_free(&pkt_);
        rows_.reset();
        avcodec_free_context(&vc_);
        avcodec_free_context(&ac_);
        if (oc_) {
            oc_->pb = nullptr;
            avformat_free_context(oc_);
            oc_ = nullptr;
        }
        out_.close();
    }

    VideoSettings s_;
    AVFormatContext* oc_ = nullptr;
    AVStream* vst_ = nullptr;
    AVStream* ast_ = nullptr;
    AVCodecContext* vc_ = nullptr;
    AVCodecContext* ac_ = nullptr;
    AVFrame* aframe_ = nullptr;
    AVPacket* pkt_ = nullptr;
    int chunk_ = 1024;
    std::int64_t written_ = 0;  // audio samples written
    std::int64_t audioEnd_ = 0; // the samples the video asked for
    QString path_;
    OutputFile out_;
    VideoColours colours_{};
    std::unique_ptr<ProResRows> rows_; // ProRes: encoded by rows

    // The caller's thread.
    AVPixelFormat pixels_ = AV_PIX_FMT_NONE; // the encoder's
    std::unique_ptr<FrameConverter> converter_;
    std::vector<PooledFrame> pool_;
    std::size_t poolSize_ = QueuedFrames + 2;
    struct Changes {
        std::int64_t k;
        ChangedTiles tiles;
    };
    std::deque<Changes> history_;  // the last frames that changed, and where
    std::int64_t knownAfter_ = -1; // history_ has every change after this frame

    // Between the threads.
    BoundedQueue<EncodeJob> queue_{QueuedFrames};
    std::thread encoder_;
    mutable std::mutex failMutex_;
    QString failure_;
};

} // namespace

std::unique_ptr<FrameWriter> openFrameWriter(const QString& path, const VideoSettings& settings,
                                             QString* error) {
    if (settings.format == VideoFormat::Png) return std::make_unique<PngWriter>(path, settings);
    auto w = std::make_unique<AvWriter>();
    if (!w->open(path, settings)) {
        if (error) *error = w->failure();
        return nullptr;
    }
    return w;
}

} // namespace velmora
