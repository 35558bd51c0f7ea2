#pragma once
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

// The storage under both kinds of pixel grid (Dynarray.h and Dynarray32.h): one contiguous
// block of fixed-size elements addressed by a 1-based linear index, and the index arithmetic
// of a grid stored row by row.
namespace velmora::gridblock {

inline std::string notEnoughMemoryText(std::int64_t bytes) {
    return "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
           " requested memory block: " +
           std::to_string(bytes) + " bytes";
}

// Freed blocks kept for the next array of the same size: the blur makes two grids of one size
// for every strip, and handing that memory back to the system each time costs more than the
// filter itself.
class SpareBlocks {
public:
    SpareBlocks() = default;
    SpareBlocks(const SpareBlocks&) = delete;
    SpareBlocks& operator=(const SpareBlocks&) = delete;
    ~SpareBlocks() { release(); }

    std::uint8_t* take(std::size_t bytes) {
        for (Slot& s : slots_) {
            if (s.block && s.bytes == bytes) {
                std::uint8_t* b = s.block;
                s = Slot{};
                return b;
            }
        }
        return nullptr;
    }
    // Keeps the block, dropping the longest-kept one when both places are taken.
    void give(std::uint8_t* block, std::size_t bytes) {
        if (!block) return;
        if (slots_[0].block && slots_[1].block) {
            delete[] slots_[0].block;
            slots_[0] = slots_[1];
            slots_[1] = Slot{};
        }
        (slots_[0].block ? slots_[1] : slots_[0]) = Slot{block, bytes};
    }
    void release() {
        for (Slot& s : slots_) {
            delete[] s.block;
            s = Slot{};
        }
    }

private:
    struct Slot {
        std::uint8_t* block = nullptr;
        std::size_t bytes = 0;
    };
    Slot slots_[2];
};
inline thread_local SpareBlocks spareBlocks;

// One contiguous block of `count` elements of ElementSize bytes, not cleared at creation.
// A failed allocation (or one the `fail` hook refuses) throws Error with the size in bytes.
template <int ElementSize, class Error> class Block {
public:
    Block(std::int32_t count, bool (*fail)(std::int64_t)) : FCount(count) {
        if (count == 0) return;
        const std::int64_t bytes = std::int64_t(count) * ElementSize;
        if (count > 0 && !(fail && fail(bytes))) {
            FBlock = spareBlocks.take(std::size_t(bytes));
            if (!FBlock) FBlock = new (std::nothrow) std::uint8_t[std::size_t(bytes)];
        }
        if (!FBlock) throw Error(notEnoughMemoryText(bytes));
    }
    ~Block() {
        spareBlocks.give(FBlock, std::size_t(FCount) * ElementSize);
        FCount = 0;
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    std::int32_t count() const { return FCount; }
    bool inRange(std::int32_t index) const { return index >= 1 && index <= FCount; }
    std::uint8_t* at(std::int32_t index) { return FBlock + std::size_t(index - 1) * ElementSize; }
    const std::uint8_t* at(std::int32_t index) const {
        return FBlock + std::size_t(index - 1) * ElementSize;
    }
    // The bytes of `n` consecutive elements from `index` on: nullptr unless every one of them
    // lies in 1..count.
    std::uint8_t* run(std::int32_t index, std::int32_t n) {
        return runInRange(index, n) ? at(index) : nullptr;
    }
    const std::uint8_t* run(std::int32_t index, std::int32_t n) const {
        return runInRange(index, n) ? at(index) : nullptr;
    }

private:
    bool runInRange(std::int32_t index, std::int32_t n) const {
        return n >= 1 && index >= 1 && std::int64_t(index) + n - 1 <= FCount;
    }

    std::uint8_t* FBlock = nullptr;
    std::int32_t FCount = 0;
};

// 32-bit products and sums wrap, as the grids' index arithmetic always has.
inline std::int32_t product(std::int32_t a, std::int32_t b) {
    return std::int32_t(std::uint32_t(a) * std::uint32_t(b));
}
// Element (x, y) of a grid of `width` columns stored row by row: (y - 1) * width + x.
inline std::int32_t linear(std::int32_t x, std::int32_t y, std::int32_t width) {
    return std::int32_t(std::uint32_t(product(y - 1, width)) + std::uint32_t(x));
}

// A grid of Elem stored row by row over a linear array of them, row 1 first: element (X, Y) is
// element (Y - 1) * width + X of the array. Only that linear index is range-checked, so a column
// outside 1..width spills into the neighbouring row: X = 0 is the last element of row Y - 1,
// X = width + 1 the first of row Y + 1. Reads and writes take the linear array's forms.
template <class Elem, class Linear> class Grid2D {
public:
    Grid2D(std::int32_t width, std::int32_t height)
        : FItems(product(width, height)), FWidth(width), FHeight(height) {}
    Grid2D(const Grid2D&) = delete;
    Grid2D& operator=(const Grid2D&) = delete;

    std::int32_t width() const { return FWidth; }
    std::int32_t height() const { return FHeight; }

    // GetItem(x, y) returns the element, or GetItem(x, y, result) fills it, as the linear array does.
    template <class... Result>
    auto GetItem(std::int32_t x, std::int32_t y, Result&... result) const {
        return FItems.GetItem(index(x, y), result...);
    }
    void SetItem(std::int32_t x, std::int32_t y, const Elem& value) {
        FItems.SetItem(index(x, y), value);
    }

    // The bytes of `n` consecutive elements from (x, y) on, running on across rows as the linear
    // index does: nullptr unless all of them lie inside the grid's block.
    std::uint8_t* Items(std::int32_t x, std::int32_t y, std::int32_t n) {
        return FItems.Items(index(x, y), n);
    }
    const std::uint8_t* Items(std::int32_t x, std::int32_t y, std::int32_t n) const {
        return FItems.Items(index(x, y), n);
    }

private:
    std::int32_t index(std::int32_t x, std::int32_t y) const { return linear(x, y, FWidth); }

    Linear FItems;
    std::int32_t FWidth;
    std::int32_t FHeight;
};

} // namespace velmora::gridblock
