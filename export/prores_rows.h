#pragma once
#include <cstdint>
#include <deque>
#include <QString>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

// ProRes frames encoded a row of macroblocks at a time. A ProRes frame is a list of slices, and
// prores_ks encodes each row of slices on its own: the row's quantisers are chosen along the
// row alone, against a budget of bits per macroblock that depends only on the frame's size. So
// an encoder of frames one row high, given the budget of the whole frame, encodes a row into
// exactly the slices the whole frame's encoding has for it. A show changes a few rows of the
// screen at a time: those rows are encoded, and the others' slices are taken from the frame
// before. The frames written are byte for byte those of encoding every frame whole.
namespace velmora {

class ProResRows {
public:
    ProResRows() = default;
    ~ProResRows();
    ProResRows(const ProResRows&) = delete;
    ProResRows& operator=(const ProResRows&) = delete;

    // Opens the row encoders for frames like `whole`'s: an opened prores_ks encoder of the
    // frame's size and pixels, whose options and bit budget they take. They work on as many
    // rows at once as the processor has cores. False, with the reason, when they cannot.
    bool open(const AVCodecContext* whole, QString* error);

    // The rows of 16 pixels a frame has (the last may be shorter).
    int rows() const { return rows_; }

    // Sends frame k: `frame` holds its pixels, of which the rows listed changed since the frame
    // before (all of them for the first frame); a frame that changed nothing needs no pixels.
    bool send(std::int64_t k, const AVFrame* frame, const std::vector<int>& changedRows,
              QString* error);
    // No more frames: what the encoders hold comes out.
    bool flush(QString* error);
    // The next whole frame's packet, in order, with pts and dts k; false when none is ready.
    bool receive(AVPacket* out);

private:
    struct Row {
        std::vector<std::uint16_t> sizes; // each slice's bytes
        std::vector<std::uint8_t> bytes;  // the slices one after another
    };
    struct Frame {
        std::int64_t k;
        int missing;                           // rows still being encoded
        std::vector<std::pair<int, Row>> rows; // those encoded
    };
    struct Encoder {
        AVCodecContext* context = nullptr;
        std::deque<std::pair<std::int64_t, int>> sent; // frame and row of each packet to come
    };

    bool drain(Encoder& e, QString* error);
    bool takePacket(Encoder& e, const AVPacket* pkt, QString* error);
    bool assemble(QString* error);

    int width_ = 0, height_ = 0, rows_ = 0, slicesPerRow_ = 0;
    Encoder full_, last_; // rows of 16 pixels; the shorter last row, if there is one
    AVPacket* pkt_ = nullptr;
    std::vector<std::uint8_t> frameHeader_; // from 'icpf' on, with the whole frame's height
    std::uint8_t pictureHeader_[8] = {};
    std::vector<Row> current_; // each row's slices as the frames so far left them
    std::deque<Frame> frames_; // sent, not yet whole
    std::deque<AVPacket*> ready_;
    std::int64_t duration_ = 0; // of a frame, as the encoder gives it
};

} // namespace velmora
