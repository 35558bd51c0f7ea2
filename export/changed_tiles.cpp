#include "export/changed_tiles.h"

#include <algorithm>

namespace velmora {

ChangedTiles::ChangedTiles(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      columns_((width_ + TileWidth - 1) / TileWidth),
      rows_((height_ + TileHeight - 1) / TileHeight),
      tiles_(std::size_t(columns_) * std::size_t(rows_), 0) {}

void ChangedTiles::add(const QRect& r) {
    const QRect c = r.intersected(QRect(0, 0, width_, height_));
    if (c.isEmpty()) return;
    for (int row = c.top() / TileHeight; row <= c.bottom() / TileHeight; ++row)
        for (int col = c.left() / TileWidth; col <= c.right() / TileWidth; ++col) {
            std::uint8_t& t = tiles_[std::size_t(row) * columns_ + col];
            count_ += t == 0;
            t = 1;
        }
}

void ChangedTiles::addAll() {
    std::fill(tiles_.begin(), tiles_.end(), 1);
    count_ = int(tiles_.size());
}

void ChangedTiles::clear() {
    std::fill(tiles_.begin(), tiles_.end(), 0);
    count_ = 0;
}

bool ChangedTiles::rowChanged(int row) const {
    const auto first = tiles_.begin() + std::ptrdiff_t(row) * columns_;
    return std::find(first, first + columns_, 1) != first + columns_;
}

ChangedTiles& ChangedTiles::operator|=(const ChangedTiles& other) {
    if (other.tiles_.size() != tiles_.size()) {
        addAll();
        return *this;
    }
    count_ = 0;
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        tiles_[i] |= other.tiles_[i];
        count_ += tiles_[i];
    }
    return *this;
}

std::vector<QRect> ChangedTiles::rects() const {
    std::vector<QRect> out;
    if (isEmpty()) return out;
    if (isAll()) return {QRect(0, 0, width_, height_)};
    // A span of columns [left, right) widened to whole tiles' width, kept inside the frame.
    auto span = [this](int firstColumn, int lastColumn) {
        int left = firstColumn * TileWidth;
        const int right = std::min(width_, (lastColumn + 1) * TileWidth);
        if (width_ < TileWidth) return std::pair{0, width_};
        const int tiles = (right - left + TileWidth - 1) / TileWidth;
        left = right - tiles * TileWidth;
        return std::pair{left, right};
    };
    auto rowSpan = [this](int row) {
        const int bottom = std::min(height_, (row + 1) * TileHeight);
        if (height_ < TileHeight) return std::pair{0, height_};
        return std::pair{bottom - TileHeight, bottom};
    };
    // The runs of the row above, to be extended downwards: index into `out`.
    std::vector<std::pair<std::pair<int, int>, std::size_t>> above, here;
    for (int row = 0; row < rows_; ++row) {
        here.clear();
        const auto [top, bottom] = rowSpan(row);
        for (int col = 0; col < columns_;) {
            if (!contains(col, row)) {
                ++col;
                continue;
            }
            int last = col;
            while (last + 1 < columns_ && contains(last + 1, row))
                ++last;
            const std::pair<int, int> s = span(col, last);
            const auto joined = std::find_if(above.begin(), above.end(),
                                             [&](const auto& a) { return a.first == s; });
            if (joined != above.end()) {
                QRect& r = out[joined->second];
                r.setBottom(bottom - 1);
                here.push_back(*joined);
            } else {
                out.emplace_back(QPoint(s.first, top), QPoint(s.second - 1, bottom - 1));
                here.push_back({s, out.size() - 1});
            }
            col = last + 1;
        }
        std::swap(above, here);
    }
    return out;
}

} // namespace velmora
