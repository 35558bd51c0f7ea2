#include "export/video_file.h"

#include <algorithm>
#include <QDir>
#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
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

void transparentFromBlack(const platform::Bitmap& frame, std::uint8_t* rgba) {
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint8_t* p = frame.scanLine(y);
        for (int x = 0; x < frame.width(); ++x, p += 4, rgba += 4) {
            const unsigned b = p[0], g = p[1], r = p[2];
            const unsigned a = std::max({r, g, b});
            if (a == 0) {
                rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
                continue;
            }
            // Rounded to the nearest: the colour at full strength, the alpha its weight.
            rgba[0] = std::uint8_t((r * 255 + a / 2) / a);
            rgba[1] = std::uint8_t((g * 255 + a / 2) / a);
            rgba[2] = std::uint8_t((b * 255 + a / 2) / a);
            rgba[3] = std::uint8_t(a);
        }
    }
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

    bool write(std::int64_t k, const platform::Bitmap& frame, bool) override {
        const QString file =
            QDir(folder_).filePath(QStringLiteral("%1.png").arg(k + 1, 6, 10, QLatin1Char('0')));
        QImage img;
        if (s_.alpha) {
            img = QImage(frame.width(), frame.height(), QImage::Format_RGBA8888);
            transparentFromBlack(frame, img.bits());
        } else {
            img =
                const_cast<platform::Bitmap&>(frame).wrap().convertToFormat(QImage::Format_RGB888);
        }
        if (!img.save(file, "PNG")) {
            error_ = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
        return true;
    }
    bool finish() override { return true; }

private:
    QString folder_;
    VideoSettings s_;
};

// ---- A video file -------------------------------------------------------------------------

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

class AvWriter : public FrameWriter {
public:
    ~AvWriter() override { close(); }

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
        vc_->gop_size = std::max(1, int(s.rate.perSecond() * 2));
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

        if (s.audio && !openAudio(codecs.audio)) return false;

        if (!(oc_->oformat->flags & AVFMT_NOFILE) &&
            (rc = avio_open(&oc_->pb, file.constData(), AVIO_FLAG_WRITE)) < 0)
            return fail(QStringLiteral("cannot write %1: %2").arg(path, averror(rc)));
        if ((rc = avformat_write_header(oc_, nullptr)) < 0)
            return fail(QStringLiteral("cannot write %1: %2").arg(path, averror(rc)));
        headerWritten_ = true;

        vframe_ = av_frame_alloc();
        vframe_->format = vc_->pix_fmt;
        vframe_->width = s.width;
        vframe_->height = s.height;
        if (av_frame_get_buffer(vframe_, 0) < 0) return fail(QStringLiteral("out of memory"));
        const AVPixelFormat source = s.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_BGR0;
        sws_ = sws_getContext(s.width, s.height, source, s.width, s.height, vc_->pix_fmt, SWS_POINT,
                              nullptr, nullptr, nullptr);
        if (!sws_) return fail(QStringLiteral("no conversion to the encoder's pixels"));
        if (s.alpha) rgba_.resize(std::size_t(s.width) * s.height * 4);
        pkt_ = av_packet_alloc();
        return true;
    }

    bool write(std::int64_t k, const platform::Bitmap& frame, bool changed) override {
        // An unchanged frame is the converted one before again.
        if (changed || !converted_) {
            if (!convert(frame)) return false;
            converted_ = true;
        }
        vframe_->pts = k;
        if (!encode(vc_, vst_, vframe_)) return false;
        // The sound up to the end of this frame goes beside it.
        return writeAudioUntil(framesToSamples(k + 1));
    }

    bool convert(const platform::Bitmap& frame) {
        const std::uint8_t* src[1];
        int stride[1];
        if (s_.alpha) {
            transparentFromBlack(frame, rgba_.data());
            src[0] = rgba_.data();
            stride[0] = s_.width * 4;
        } else {
            src[0] = frame.scanLine(0);
            stride[0] = frame.stride();
        }
        if (av_frame_make_writable(vframe_) < 0) return fail(QStringLiteral("out of memory"));
        sws_scale(sws_, src, stride, 0, s_.height, vframe_->data, vframe_->linesize);
        return true;
    }

    bool finish() override {
        if (!writeAudioUntil(s_.audio ? std::max(audioEnd_, std::int64_t(0)) : 0, true))
            return false;
        if (!encode(vc_, vst_, nullptr)) return false;
        if (ac_ && !encode(ac_, ast_, nullptr)) return false;
        const int rc = av_write_trailer(oc_);
        if (rc < 0) return fail(QStringLiteral("cannot finish the file: %1").arg(averror(rc)));
        trailerWritten_ = true;
        close();
        return true;
    }

private:
    bool fail(const QString& why) {
        if (error_.isEmpty()) error_ = why;
        return false;
    }

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
            av_packet_rescale_ts(pkt_, c->time_base, st->time_base);
            pkt_->stream_index = st->index;
            rc = av_interleaved_write_frame(oc_, pkt_);
            if (rc < 0) return fail(QStringLiteral("writing failed: %1").arg(averror(rc)));
        }
    }

    void close() {
        if (oc_ && headerWritten_ && !trailerWritten_) av_write_trailer(oc_);
        headerWritten_ = trailerWritten_ = false;
        sws_freeContext(sws_);
        sws_ = nullptr;
        av_frame_free(&vframe_);
        av_frame_free(&aframe_);
        av_packet_free(&pkt_);
        avcodec_free_context(&vc_);
        avcodec_free_context(&ac_);
        if (oc_) {
            if (oc_->pb && !(oc_->oformat->flags & AVFMT_NOFILE)) avio_closep(&oc_->pb);
            avformat_free_context(oc_);
            oc_ = nullptr;
        }
    }

    VideoSettings s_;
    AVFormatContext* oc_ = nullptr;
    AVStream* vst_ = nullptr;
    AVStream* ast_ = nullptr;
    AVCodecContext* vc_ = nullptr;
    AVCodecContext* ac_ = nullptr;
    AVFrame* vframe_ = nullptr;
    AVFrame* aframe_ = nullptr;
    AVPacket* pkt_ = nullptr;
    SwsContext* sws_ = nullptr;
    std::vector<std::uint8_t> rgba_;
    int chunk_ = 1024;
    std::int64_t written_ = 0;  // audio samples written
    std::int64_t audioEnd_ = 0; // the samples the video asked for
    bool converted_ = false;    // vframe_ holds a converted frame
    bool headerWritten_ = false;
    bool trailerWritten_ = false;
};

} // namespace

std::unique_ptr<FrameWriter> openFrameWriter(const QString& path, const VideoSettings& settings,
                                             QString* error) {
    if (settings.format == VideoFormat::Png) return std::make_unique<PngWriter>(path, settings);
    auto w = std::make_unique<AvWriter>();
    if (!w->open(path, settings)) {
        if (error) *error = w->error();
        return nullptr;
    }
    return w;
}

} // namespace velmora
