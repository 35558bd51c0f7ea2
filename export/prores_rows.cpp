#include "export/prores_rows.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace velmora {

namespace {

std::uint16_t be16(const std::uint8_t* p) {
    return std::uint16_t(p[0] << 8 | p[1]);
}
void putBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}
void putBe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v >> 8);
    p[1] = std::uint8_t(v);
}

QString averror(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// A ProRes frame: its size, 'icpf', the frame header (its size first), then one picture: an
// 8-byte header (size in bits, picture size, slice count, slice shape), the slices' sizes and
// the slices.
constexpr int FrameHeaderAt = 8;
constexpr int HeightInHeader = 10; // within the frame header
constexpr int PictureHeaderSize = 8;

} // namespace

ProResRows::~ProResRows() {
    avcodec_free_context(&full_.context);
    avcodec_free_context(&last_.context);
    av_packet_free(&pkt_);
    for (AVPacket*& p : ready_)
        av_packet_free(&p);
}

bool ProResRows::open(const AVCodecContext* whole, QString* error) {
    width_ = whole->width;
    height_ = whole->height;
    rows_ = (height_ + 15) / 16;
    // The budget the whole frame's encoder chose for its size, which a row's encoder would
    // choose smaller; its option refuses values that large, so it is set in place.
    std::int64_t bitsPerMb = 0;
    if (av_opt_get_int(whole->priv_data, "bits_per_mb", 0, &bitsPerMb) < 0 || bitsPerMb <= 0) {
        *error = QStringLiteral("the ProRes encoder keeps no bit budget");
        return false;
    }
    auto openRows = [&](Encoder& e, int height) {
        e.context = avcodec_alloc_context3(whole->codec);
        if (!e.context) return false;
        AVCodecContext* c = e.context;
        c->width = width_;
        c->height = height;
        c->pix_fmt = whole->pix_fmt;
        c->time_base = whole->time_base;
        c->framerate = whole->framerate;
        c->flags = whole->flags;
        // Each frame's header carries the colours the frame is converted with.
        c->color_primaries = whole->color_primaries;
        c->color_trc = whole->color_trc;
        c->colorspace = whole->colorspace;
        c->color_range = whole->color_range;
        c->thread_count = 0;
        if (av_opt_copy(c->priv_data, whole->priv_data) < 0) return false;
        int* budget =
            static_cast<int*>(av_opt_ptr(whole->codec->priv_class, c->priv_data, "bits_per_mb"));
        if (!budget) return false;
        *budget = int(bitsPerMb);
        const int rc = avcodec_open2(c, whole->codec, nullptr);
        if (rc < 0) {
            *error = QStringLiteral("the ProRes encoder did not start: %1").arg(averror(rc));
            return false;
        }
        return true;
    };
    if (height_ >= 16 && !openRows(full_, 16)) {
        if (error->isEmpty()) *error = QStringLiteral("out of memory");
        return false;
    }
    if (height_ % 16 && !openRows(last_, height_ % 16)) {
        if (error->isEmpty()) *error = QStringLiteral("out of memory");
        return false;
    }
    pkt_ = av_packet_alloc();
    if (!pkt_) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    current_.assign(std::size_t(rows_), {});
    return true;
}

bool ProResRows::send(std::int64_t k, const AVFrame* frame, const std::vector<int>& changedRows,
                      QString* error) {
    frames_.push_back({k, int(changedRows.size()), {}});
    for (const int row : changedRows) {
        const bool shorter = row == rows_ - 1 && height_ % 16;
        Encoder& e = shorter ? last_ : full_;
        AVFrame* part = av_frame_clone(frame);
        if (!part) {
            *error = QStringLiteral("out of memory");
            return false;
        }
        // The row is the frame's pixels from its first line on: no copy.
        for (int i = 0; i < AV_NUM_DATA_POINTERS && part->data[i]; ++i)
            part->data[i] += std::ptrdiff_t(row) * 16 * part->linesize[i];
        part->height = shorter ? height_ % 16 : 16;
        part->pts = k;
        const int rc = avcodec_send_frame(e.context, part);
        av_frame_free(&part);
        if (rc < 0) {
            *error = QStringLiteral("encoding failed: %1").arg(averror(rc));
            return false;
        }
        e.sent.emplace_back(k, row);
        if (!drain(e, error)) return false;
    }
    return assemble(error);
}

bool ProResRows::flush(QString* error) {
    for (Encoder* e : {&full_, &last_}) {
        if (!e->context) continue;
        const int rc = avcodec_send_frame(e->context, nullptr);
        if (rc < 0 && rc != AVERROR_EOF) {
            *error = QStringLiteral("encoding failed: %1").arg(averror(rc));
            return false;
        }
        if (!drain(*e, error)) return false;
    }
    if (!frames_.empty()) {
        *error = QStringLiteral("encoding failed: a ProRes row did not come out");
        return false;
    }
    return true;
}

bool ProResRows::receive(AVPacket* out) {
    if (ready_.empty()) return false;
    av_packet_move_ref(out, ready_.front());
    av_packet_free(&ready_.front());
    ready_.pop_front();
    return true;
}

bool ProResRows::drain(Encoder& e, QString* error) {
    for (;;) {
        const int rc = avcodec_receive_packet(e.context, pkt_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) {
            *error = QStringLiteral("encoding failed: %1").arg(averror(rc));
            return false;
        }
        const bool taken = takePacket(e, pkt_, error);
        av_packet_unref(pkt_);
        if (!taken || !assemble(error)) return false;
    }
}

bool ProResRows::takePacket(Encoder& e, const AVPacket* pkt, QString* error) {
    auto bad = [error] {
        *error = QStringLiteral("encoding failed: a ProRes row the export cannot read");
        return false;
    };
    if (e.sent.empty() || pkt->size < FrameHeaderAt + 2) return bad();
    const auto [k, row] = e.sent.front();
    e.sent.pop_front();
    const std::uint8_t* p = pkt->data;
    const int headerSize = be16(p + FrameHeaderAt);
    const int pictureAt = FrameHeaderAt + headerSize;
    if (headerSize < HeightInHeader + 2 || pictureAt + PictureHeaderSize > pkt->size) return bad();
    const std::uint8_t* picture = p + pictureAt;
    const int slices = be16(picture + 5);
    const int tableAt = pictureAt + (picture[0] >> 3);
    if (frameHeader_.empty()) {
        slicesPerRow_ = slices;
        frameHeader_.assign(p + FrameHeaderAt, p + pictureAt);
        putBe16(frameHeader_.data() + HeightInHeader, std::uint16_t(height_));
        std::memcpy(pictureHeader_, picture, PictureHeaderSize);
    }
    if (slices != slicesPerRow_ || (picture[0] >> 3) != PictureHeaderSize ||
        tableAt + 2 * slices > pkt->size)
        return bad();
    Row r;
    r.sizes.resize(std::size_t(slices));
    std::size_t total = 0;
    for (int i = 0; i < slices; ++i)
        total += r.sizes[std::size_t(i)] = be16(p + tableAt + 2 * i);
    const std::uint8_t* data = p + tableAt + 2 * slices;
    if (data + total > p + pkt->size) return bad();
    r.bytes.assign(data, data + total);
    const auto frame =
        std::find_if(frames_.begin(), frames_.end(), [k = k](const Frame& f) { return f.k == k; });
    if (frame == frames_.end()) return bad();
    frame->rows.emplace_back(row, std::move(r));
    duration_ = pkt->duration;
    --frame->missing;
    return true;
}

// Each frame whose rows are all encoded, in order: its rows replace those of the frames before,
// and the frame is put together from every row.
bool ProResRows::assemble(QString* error) {
    while (!frames_.empty() && frames_.front().missing == 0 && !frameHeader_.empty()) {
        Frame& f = frames_.front();
        for (auto& [row, r] : f.rows)
            current_[std::size_t(row)] = std::move(r);
        std::size_t slices = 0, bytes = 0;
        for (const Row& r : current_) {
            slices += r.sizes.size();
            bytes += r.bytes.size();
        }
        const std::size_t picture = PictureHeaderSize + 2 * slices + bytes;
        const std::size_t size = FrameHeaderAt + frameHeader_.size() + picture;
        AVPacket* out = av_packet_alloc();
        if (!out || av_new_packet(out, int(size)) < 0) {
            av_packet_free(&out);
            *error = QStringLiteral("out of memory");
            return false;
        }
        std::uint8_t* p = out->data;
        putBe32(p, std::uint32_t(size));
        std::memcpy(p + 4, "icpf", 4);
        std::memcpy(p + FrameHeaderAt, frameHeader_.data(), frameHeader_.size());
        std::uint8_t* pic = p + FrameHeaderAt + frameHeader_.size();
        std::memcpy(pic, pictureHeader_, PictureHeaderSize);
        putBe32(pic + 1, std::uint32_t(picture));
        putBe16(pic + 5, std::uint16_t(slices));
        std::uint8_t* table = pic + PictureHeaderSize;
        std::uint8_t* data = table + 2 * slices;
        for (const Row& r : current_) {
            for (const std::uint16_t s : r.sizes) {
                putBe16(table, s);
                table += 2;
            }
            if (!r.bytes.empty()) std::memcpy(data, r.bytes.data(), r.bytes.size());
            data += r.bytes.size();
        }
        out->pts = out->dts = f.k;
        out->duration = duration_;
        out->flags |= AV_PKT_FLAG_KEY;
        ready_.push_back(out);
        frames_.pop_front();
    }
    return true;
}

} // namespace velmora
