// The export's parts that make it fast: where a frame changed, converting only that, ProRes
// encoded by rows, and the queue to the encoder thread. Each is checked against doing the whole
// frame the plain way.
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#include "export/bounded_queue.h"
#include "export/changed_tiles.h"
#include "export/frame_converter.h"
#include "export/prores_rows.h"
#include "export/show_coverage.h"
#include "test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

using velmora::ChangedTiles;

namespace {

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

FramePtr newFrame(AVPixelFormat format, int w, int h) {
    FramePtr f(av_frame_alloc());
    f->format = format;
    f->width = w;
    f->height = h;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    return f;
}

// The bytes of every plane's visible samples, row after row.
std::vector<std::uint8_t> planes(const AVFrame* f) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 4 && f->data[i]; ++i) {
        const bool chroma = i == 1 || i == 2;
        const int w = chroma ? AV_CEIL_RSHIFT(f->width, d->log2_chroma_w) : f->width;
        const int h = chroma ? AV_CEIL_RSHIFT(f->height, d->log2_chroma_h) : f->height;
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = f->data[i] + std::ptrdiff_t(y) * f->linesize[i];
            out.insert(out.end(), row, row + std::ptrdiff_t(w) * d->comp[0].step);
        }
    }
    return out;
}

// Titles on black: flat black, flat colour and noisy edges in random rectangles.
void paint(std::mt19937& rng, platform::Bitmap& b, std::vector<std::uint8_t>& coverage,
           const QRect& r) {
    const int kind = int(rng() % 3);
    const std::uint32_t flat = rng() & 0xFFFFFF;
    for (int y = std::max(0, r.top()); y <= std::min(b.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(b.width() - 1, r.right()); ++x) {
            const std::uint32_t c = kind == 0 ? 0 : kind == 1 ? flat : rng() & 0xFFFFFF;
            b.setPixel(x, y, c);
            coverage[std::size_t(y) * b.width() + x] = std::uint8_t(kind == 0 ? 0 : rng());
        }
}

QRect randomRect(std::mt19937& rng, int w, int h) {
    const int x = int(rng() % unsigned(w)), y = int(rng() % unsigned(h));
    return QRect(x - 20, y - 10, 1 + int(rng() % 150), 1 + int(rng() % 60));
}

} // namespace

TEST(ChangedTiles, ChangesBecomeRectanglesOfWholeTilesThatKeepTheirWidthAtRaggedEdges) {
    const struct {
        const char* what;
        int width, height;
        std::vector<QRect> changed;
        std::vector<QRect> expected;
    } cases[] = {
        // clang-format off
        {"one pixel: its tile", 1920, 1080, {{0, 0, 1, 1}}, {{0, 0, 64, 16}}},
        {"inside one tile", 1920, 1080, {{100, 20, 10, 10}}, {{64, 16, 64, 16}}},
        {"across two tiles of a row", 1920, 1080, {{60, 10, 10, 5}}, {{0, 0, 128, 16}}},
        {"rows of equal runs joined", 1920, 1080, {{0, 0, 10, 40}}, {{0, 0, 64, 48}}},
        {"runs apart", 1920, 1080, {{0, 0, 1, 1}, {200, 0, 1, 1}},
         {{0, 0, 64, 16}, {192, 0, 64, 16}}},
        {"unequal rows apart", 1920, 1080, {{0, 0, 1, 1}, {0, 16, 70, 1}},
         {{0, 0, 64, 16}, {0, 16, 128, 16}}},
        {"a bottom row cut by the edge ends there", 1920, 1080, {{0, 1075, 1, 1}},
         {{0, 1064, 64, 16}}},
        {"a right column cut by the edge ends there", 1000, 200, {{990, 0, 1, 1}},
         {{936, 0, 64, 16}}},
        {"a run up to the cut edge", 1000, 200, {{900, 0, 100, 1}}, {{872, 0, 128, 16}}},
        {"narrower than a tile: the whole width", 40, 30, {{0, 29, 1, 1}}, {{0, 14, 40, 16}}},
        {"outside: nothing", 320, 240, {{-10, -10, 5, 5}, {320, 0, 10, 10}}, {}},
        {"everything: the frame", 320, 240, {{-5, -5, 400, 300}}, {{0, 0, 320, 240}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChangedTiles t(c.width, c.height);
        EXPECT_TRUE(t.isEmpty());
        for (const QRect& r : c.changed)
            t.add(r);
        EXPECT_EQ(t.isEmpty(), c.expected.empty());
        EXPECT_EQ(t.rects(), c.expected);
    }

    ChangedTiles a(320, 240), b(320, 240);
    a.add({0, 0, 1, 1});
    b.add({300, 200, 1, 1});
    a |= b;
    EXPECT_EQ(a.rects(), (std::vector<QRect>{{0, 0, 64, 16}, {256, 192, 64, 16}}));
    EXPECT_TRUE(a.rowChanged(0));
    EXPECT_FALSE(a.rowChanged(1));
    EXPECT_TRUE(a.rowChanged(12));
    a.addAll();
    EXPECT_TRUE(a.isAll());
    a.clear();
    EXPECT_TRUE(a.isEmpty());
}

TEST(FrameConverter, ConvertingWhatChangedGivesTheWholeFramesConversion) {
    const struct {
        AVPixelFormat format;
        bool alpha;
        int width, height;
    } cases[] = {
        {AV_PIX_FMT_YUV420P, false, 320, 240},     {AV_PIX_FMT_YUV420P, false, 1000, 562},
        {AV_PIX_FMT_YUVA420P, true, 1000, 562},    {AV_PIX_FMT_YUVA444P10LE, true, 1000, 562},
        {AV_PIX_FMT_YUV444P10LE, false, 320, 240}, {AV_PIX_FMT_YUVA444P10LE, true, 48, 36},
        {AV_PIX_FMT_YUV420P, false, 48, 36},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(av_get_pix_fmt_name(c.format)) + " " + std::to_string(c.width) +
                     "x" + std::to_string(c.height));
        std::mt19937 rng(c.width * 7 + c.format);
        platform::Bitmap frame(c.width, c.height, platform::PixelFormat::Bits32);
        std::vector<std::uint8_t> coverage(std::size_t(c.width) * c.height, 0);
        for (int i = 0; i < 30; ++i)
            paint(rng, frame, coverage, randomRect(rng, c.width, c.height));

        velmora::FrameConverter converter(c.width, c.height, c.format, c.alpha, true);
        FramePtr kept = newFrame(c.format, c.width, c.height);
        ChangedTiles changed(c.width, c.height);
        changed.addAll();
        SwsContext* whole =
            sws_getContext(c.width, c.height, c.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_BGR0, c.width,
                           c.height, c.format, SWS_POINT, nullptr, nullptr, nullptr);
        const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(whole, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        std::vector<std::uint8_t> rgba(std::size_t(c.width) * c.height * 4);
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(round);
            ASSERT_TRUE(
                converter.convert(frame, c.alpha ? coverage.data() : nullptr, changed, kept.get()));
            // The whole frame the plain way.
            FramePtr expected = newFrame(c.format, c.width, c.height);
            const std::uint8_t* src[1] = {frame.scanLine(0)};
            int stride[1] = {frame.stride()};
            if (c.alpha) {
                velmora::straightRgba(frame, coverage.data(), QRect(0, 0, c.width, c.height),
                                      rgba.data(), c.width * 4);
                src[0] = rgba.data();
                stride[0] = c.width * 4;
            }
            sws_scale(whole, src, stride, 0, c.height, expected->data, expected->linesize);
            ASSERT_EQ(planes(kept.get()), planes(expected.get()));

            changed.clear();
            for (int i = 0; i < 3; ++i) {
                const QRect r = randomRect(rng, c.width, c.height);
                paint(rng, frame, coverage, r);
                changed.add(r);
            }
        }
        sws_freeContext(whole);
    }
}

namespace {

struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};

std::unique_ptr<AVCodecContext, CodecFree> wholeProRes(AVPixelFormat format, int w, int h) {
    const AVCodec* codec = avcodec_find_encoder_by_name("prores_ks");
    std::unique_ptr<AVCodecContext, CodecFree> c(avcodec_alloc_context3(codec));
    c->width = w;
    c->height = h;
    c->pix_fmt = format;
    c->time_base = {1, 25};
    c->thread_count = 1;
    av_opt_set(c->priv_data, "profile", "4444", 0);
    EXPECT_EQ(avcodec_open2(c.get(), codec, nullptr), 0);
    return c;
}

std::vector<std::uint8_t> bytesOf(const AVPacket* p) {
    return {p->data, p->data + p->size};
}

} // namespace

TEST(ProResRows, FramesEncodedByChangedRowsAreByteForByteTheWholeFramesEncoding) {
    const struct {
        AVPixelFormat format;
        int width, height;
    } cases[] = {
        {AV_PIX_FMT_YUVA444P10LE, 320, 240}, // whole rows, whole slices
        {AV_PIX_FMT_YUVA444P10LE, 200, 90},  // a shorter last row, a narrower last slice
        {AV_PIX_FMT_YUV444P10LE, 200, 90},
        {AV_PIX_FMT_YUVA444P10LE, 64, 10}, // one row only, shorter than 16
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(av_get_pix_fmt_name(c.format)) + " " + std::to_string(c.width) +
                     "x" + std::to_string(c.height));
        auto whole = wholeProRes(c.format, c.width, c.height);
        velmora::ProResRows byRows;
        QString error;
        ASSERT_TRUE(byRows.open(whole.get(), &error)) << error.toStdString();
        ASSERT_EQ(byRows.rows(), (c.height + 15) / 16);

        std::mt19937 rng(c.width + c.height);
        FramePtr frame = newFrame(c.format, c.width, c.height);
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(c.format);
        // Black with a noisy block and a flat block that move down the frame.
        auto draw = [&](int step) {
            // The row encoders may still be reading the frame before.
            ASSERT_EQ(av_frame_make_writable(frame.get()), 0);
            for (int i = 0; i < d->nb_components; ++i)
                for (int y = 0; y < c.height; ++y) {
                    auto* row = reinterpret_cast<std::uint16_t*>(
                        frame->data[i] + std::ptrdiff_t(y) * frame->linesize[i]);
                    for (int x = 0; x < c.width; ++x) {
                        const bool noisy = y >= step * 7 && y < step * 7 + 20 && x < c.width / 2;
                        const bool flat = y >= step * 5 && y < step * 5 + 9 && x >= c.width / 2;
                        row[x] = noisy  ? std::uint16_t(rng() & 1023)
                                 : flat ? std::uint16_t(700 + i * 50)
                                        : std::uint16_t(i == 0 || i == 3 ? 64 : 512);
                    }
                }
        };
        std::vector<std::vector<std::uint8_t>> expected, got;
        AVPacket* pkt = av_packet_alloc();
        std::vector<std::uint8_t> previous;
        for (int k = 0; k < 6; ++k) {
            if (k != 3) draw(k); // frame 3 repeats frame 2
            std::vector<std::uint8_t> now = planes(frame.get());
            frame->pts = k;
            ASSERT_EQ(avcodec_send_frame(whole.get(), frame.get()), 0);
            ASSERT_EQ(avcodec_receive_packet(whole.get(), pkt), 0);
            expected.push_back(bytesOf(pkt));
            av_packet_unref(pkt);
            // The rows whose samples changed.
            std::vector<int> rows;
            for (int r = 0; r < byRows.rows(); ++r) {
                bool same = !previous.empty();
                for (int i = 0; i < d->nb_components && same; ++i)
                    for (int y = r * 16; y < std::min(c.height, r * 16 + 16) && same; ++y)
                        same = std::memcmp(frame->data[i] + std::ptrdiff_t(y) * frame->linesize[i],
                                           previous.data() + (std::size_t(i) * c.height + y) *
                                                                 std::size_t(c.width) * 2,
                                           std::size_t(c.width) * 2) == 0;
                if (!same) rows.push_back(r);
            }
            if (k == 3) {
                EXPECT_TRUE(rows.empty());
            }
            ASSERT_TRUE(byRows.send(k, rows.empty() ? nullptr : frame.get(), rows, &error))
                << error.toStdString();
            while (byRows.receive(pkt)) {
                EXPECT_EQ(pkt->pts, std::int64_t(got.size()));
                got.push_back(bytesOf(pkt));
                av_packet_unref(pkt);
            }
            previous = now;
        }
        ASSERT_TRUE(byRows.flush(&error)) << error.toStdString();
        while (byRows.receive(pkt)) {
            got.push_back(bytesOf(pkt));
            av_packet_unref(pkt);
        }
        av_packet_free(&pkt);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t k = 0; k < got.size(); ++k)
            EXPECT_EQ(got[k], expected[k]) << "frame " << k;
    }
}

TEST(BoundedQueue, HoldsItsCapacityHandsOutInOrderAndEndsByClosingOrCancelling) {
    velmora::BoundedQueue<std::unique_ptr<int>> q(2);
    EXPECT_EQ(q.capacity(), 2u);
    EXPECT_TRUE(q.push(std::make_unique<int>(1)));
    EXPECT_TRUE(q.push(std::make_unique<int>(2)));
    EXPECT_EQ(q.size(), 2u);
    EXPECT_EQ(**q.pop(), 1);
    EXPECT_TRUE(q.push(std::make_unique<int>(3)));
    // Closed: nothing more goes in, what is in still comes out, then nothing.
    q.close();
    EXPECT_FALSE(q.push(std::make_unique<int>(4)));
    EXPECT_EQ(**q.pop(), 2);
    EXPECT_EQ(**q.pop(), 3);
    EXPECT_FALSE(q.pop().has_value());
    EXPECT_FALSE(q.cancelled());

    // Cancelled: what is in is dropped at once.
    velmora::BoundedQueue<std::unique_ptr<int>> c(3);
    EXPECT_TRUE(c.push(std::make_unique<int>(1)));
    c.cancel();
    EXPECT_TRUE(c.cancelled());
    EXPECT_EQ(c.size(), 0u);
    EXPECT_FALSE(c.pop().has_value());
    EXPECT_FALSE(c.push(std::make_unique<int>(2)));
}
