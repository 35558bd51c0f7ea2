#pragma once
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "render/GridBlock.h"

// Heap arrays of 32-bit elements (one 32-bit pixel each, its four bytes in machine order),
// addressed by one linear index or by column and row, both counted from 1. The counterpart of
// the three-byte arrays in Dynarray.h; the two stay separate types.
namespace Dynarray32 {

class ENotEnoughMemory : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// When set, called before every allocation with its size in bytes; returning true makes the
// allocation fail as if the heap had no such block. Lets the failure path be exercised.
inline bool (*FailAllocation)(std::int64_t bytes) = nullptr;

// Gives the kept blocks back to the system.
inline void ReleaseSpareBlocks() {
    gridblock::spareBlocks.release();
}

// One contiguous block of FCount 32-bit values, not cleared at creation.
class TBigByteArray {
public:
    static constexpr int ElementSize = 4;

    explicit TBigByteArray(std::int32_t count) : FBlock(count, FailAllocation) {}
    ~TBigByteArray() = default;
    TBigByteArray(const TBigByteArray&) = delete;
    TBigByteArray& operator=(const TBigByteArray&) = delete;

    std::int32_t count() const { return FBlock.count(); }

    // Outside 1..FCount nothing is read and the result is 0.
    std::uint32_t GetItem(std::int32_t index) const {
        std::uint32_t v = 0;
        if (FBlock.inRange(index)) std::memcpy(&v, FBlock.at(index), ElementSize);
        return v;
    }
    // Outside 1..FCount nothing is written.
    void SetItem(std::int32_t index, std::uint32_t value) {
        if (FBlock.inRange(index)) std::memcpy(FBlock.at(index), &value, ElementSize);
    }

    // The bytes of `n` consecutive elements from `index` on, for loops over whole runs: nullptr
    // unless every one of them lies in 1..FCount.
    std::uint8_t* Items(std::int32_t index, std::int32_t n) { return FBlock.run(index, n); }
    const std::uint8_t* Items(std::int32_t index, std::int32_t n) const {
        return FBlock.run(index, n);
    }

private:
    gridblock::Block<ElementSize, ENotEnoughMemory> FBlock;
};

// A grid stored row by row, row 1 first: element (X, Y) is element (Y - 1) * FWidth + X of
// FItems. Only that linear index is range-checked, so a column outside 1..FWidth spills into
// the neighbouring row: X = 0 is the last element of row Y - 1, X = FWidth + 1 the first of
// row Y + 1.
class TByteArray2D32 {
public:
    TByteArray2D32(std::int32_t width, std::int32_t height)
        : FItems(gridblock::product(width, height)), FWidth(width), FHeight(height) {}
    ~TByteArray2D32() {
        FWidth = 0;
        FHeight = 0;
    }
    TByteArray2D32(const TByteArray2D32&) = delete;
    TByteArray2D32& operator=(const TByteArray2D32&) = delete;

    std::int32_t width() const { return FWidth; }
    std::int32_t height() const { return FHeight; }

    std::uint32_t GetItem(std::int32_t x, std::int32_t y) const {
        return FItems.GetItem(linear(x, y));
    }
    void SetItem(std::int32_t x, std::int32_t y, std::uint32_t value) {
        FItems.SetItem(linear(x, y), value);
    }

    // The bytes of `n` consecutive elements from (x, y) on, running on across rows as the linear
    // index does: nullptr unless all of them lie inside the grid's block.
    std::uint8_t* Items(std::int32_t x, std::int32_t y, std::int32_t n) {
        return FItems.Items(linear(x, y), n);
    }
    const std::uint8_t* Items(std::int32_t x, std::int32_t y, std::int32_t n) const {
        return FItems.Items(linear(x, y), n);
    }

private:
    std::int32_t linear(std::int32_t x, std::int32_t y) const {
        return gridblock::linear(x, y, FWidth);
    }

    TBigByteArray FItems;
    std::int32_t FWidth;
    std::int32_t FHeight;
};

} // namespace Dynarray32
