#pragma once
#include <cstdint>
#include <QRect>
#include <vector>

// Where a frame changed since the frame before, kept in tiles, so that only those parts are
// converted to the encoder's pixels again.
namespace velmora {

class ChangedTiles {
public:
    // Tiles are 64 pixels wide and 16 high: swscale converts a part of a frame into exactly the
    // pixels of the whole frame's conversion when the part is a multiple of 64 pixels wide and
    // starts on an even row and column (narrower parts take other code paths, which round
    // differently). Rows of 16 keep the halved chroma rows whole.
    static constexpr int TileWidth = 64;
    static constexpr int TileHeight = 16;

    ChangedTiles() = default;
    ChangedTiles(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }

    // Marks the tiles the rectangle touches (clipped to the frame).
    void add(const QRect& r);
    void addAll();
    void clear();
    bool isEmpty() const { return count_ == 0; }
    bool isAll() const { return count_ == int(tiles_.size()); }
    bool contains(int column, int row) const {
        return tiles_[std::size_t(row) * columns_ + column] != 0;
    }
    bool rowChanged(int row) const;
    ChangedTiles& operator|=(const ChangedTiles& other);

    // The changed tiles as rectangles to convert: the runs of changed tiles along each row of
    // tiles, with rows of equal runs joined. Each rectangle starts on an even column and row and
    // is a multiple of 64 pixels wide, or the whole width of a frame narrower than that; a run
    // that reaches the frame's right or bottom edge where the edge cuts a tile is moved back to
    // end at the edge, so it keeps its width (the part it then converts twice comes out the
    // same). The whole frame when every tile changed.
    std::vector<QRect> rects() const;

private:
    int width_ = 0, height_ = 0;
    int columns_ = 0, rows_ = 0;
    int count_ = 0;
    std::vector<std::uint8_t> tiles_;
};

} // namespace velmora
