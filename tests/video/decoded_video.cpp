#include "decoded_video.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace testsupport {

namespace {

float sampleAt(const AVFrame* f, int ch, int i) {
    const auto fmt = AVSampleFormat(f->format);
    const bool planar = av_sample_fmt_is_planar(fmt);
    const int channels = f->ch_layout.nb_channels;
    const int at = planar ? i : i * channels + ch;
    const std::uint8_t* d = f->data[planar ? ch : 0];
    switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_FLT:
        return reinterpret_cast<const float*>(d)[at];
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const std::int16_t*>(d)[at] / 32768.0f;
    case AV_SAMPLE_FMT_S32:
        return float(reinterpret_cast<const std::int32_t*>(d)[at] / 2147483648.0);
    default:
        return 0;
    }
}

} // namespace

DecodedVideo decodeVideo(const QString& file, const std::vector<std::int64_t>& keep) {
    DecodedVideo v;
    AVFormatContext* fc = nullptr;
    const QByteArray name = file.toLocal8Bit();
    if (avformat_open_input(&fc, name.constData(), nullptr, nullptr) < 0) {
        v.error = "cannot open";
        return v;
    }
    avformat_find_stream_info(fc, nullptr);
    v.container = fc->iformat->name;
    v.duration = fc->duration > 0 ? double(fc->duration) / AV_TIME_BASE : 0;
    const int vs = av_find_best_stream(fc, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int as = av_find_best_stream(fc, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVCodecContext* vc = nullptr;
    AVCodecContext* ac = nullptr;
    auto openDecoder = [&](int stream) -> AVCodecContext* {
        const AVCodecParameters* par = fc->streams[stream]->codecpar;
        // VP9 keeps its alpha in side data that only libvpx's decoder reads.
        const AVCodec* codec =
            par->codec_id == AV_CODEC_ID_VP9 ? avcodec_find_decoder_by_name("libvpx-vp9") : nullptr;
        if (!codec) codec = avcodec_find_decoder(par->codec_id);
        AVCodecContext* c = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(c, par);
        avcodec_open2(c, codec, nullptr);
        return c;
    };
    if (vs >= 0) {
        vc = openDecoder(vs);
        v.videoCodec = vc->codec->name;
        v.width = vc->width;
        v.height = vc->height;
        v.fps = av_q2d(fc->streams[vs]->avg_frame_rate);
        const AVCodecParameters* par = fc->streams[vs]->codecpar;
        v.colourPrimaries = av_color_primaries_name(par->color_primaries);
        v.colourTransfer = av_color_transfer_name(par->color_trc);
        v.colourMatrix = av_color_space_name(par->color_space);
        v.colourRange = av_color_range_name(par->color_range);
    }
    if (as >= 0) {
        ac = openDecoder(as);
        v.hasAudio = true;
        v.audioCodec = ac->codec->name;
        v.audioRate = ac->sample_rate;
        v.audioChannels = ac->ch_layout.nb_channels;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* f = av_frame_alloc();
    std::int64_t audioSamples = 0;
    SwsContext* sws = nullptr;
    auto takeVideo = [&]() {
        while (avcodec_receive_frame(vc, f) == 0) {
            const auto* desc = av_pix_fmt_desc_get(AVPixelFormat(f->format));
            v.pixelFormat = desc ? desc->name : "?";
            v.alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
            if (std::find(keep.begin(), keep.end(), v.frames) != keep.end()) {
                QImage img(f->width, f->height, QImage::Format_RGBA8888);
                sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format),
                                           f->width, f->height, AV_PIX_FMT_RGBA, SWS_POINT, nullptr,
                                           nullptr, nullptr);
                const AVColorSpace tagged = f->colorspace;
                const int matrix = tagged == AVCOL_SPC_BT709 ? SWS_CS_ITU709
                                   : tagged == AVCOL_SPC_UNSPECIFIED
                                       ? (f->height > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601)
                                       : SWS_CS_ITU601;
                const int* table = sws_getCoefficients(matrix);
                sws_setColorspaceDetails(sws, table, f->color_range == AVCOL_RANGE_JPEG, table, 1,
                                         0, 1 << 16, 1 << 16);
                std::uint8_t* dst[1] = {img.bits()};
                int stride[1] = {int(img.bytesPerLine())};
                sws_scale(sws, f->data, f->linesize, 0, f->height, dst, stride);
                v.kept.push_back(img);
            }
            ++v.frames;
        }
    };
    auto takeAudio = [&]() {
        while (avcodec_receive_frame(ac, f) == 0) {
            for (int i = 0; i < f->nb_samples && v.firstSound < 0; ++i)
                for (int ch = 0; ch < f->ch_layout.nb_channels; ++ch)
                    if (std::fabs(sampleAt(f, ch, i)) > 0.01f) {
                        v.firstSound = double(audioSamples + i) / f->sample_rate;
                        break;
                    }
            audioSamples += f->nb_samples;
        }
    };
    while (av_read_frame(fc, pkt) >= 0) {
        if (pkt->stream_index == vs) {
            avcodec_send_packet(vc, pkt);
            takeVideo();
        } else if (pkt->stream_index == as) {
            avcodec_send_packet(ac, pkt);
            takeAudio();
        }
        av_packet_unref(pkt);
    }
    if (vc) {
        avcodec_send_packet(vc, nullptr);
        takeVideo();
    }
    if (ac) {
        avcodec_send_packet(ac, nullptr);
        takeAudio();
    }
    sws_freeContext(sws);
    av_frame_free(&f);
    av_packet_free(&pkt);
    avcodec_free_context(&vc);
    avcodec_free_context(&ac);
    avformat_close_input(&fc);
    v.ok = true;
    return v;
}

} // namespace testsupport
