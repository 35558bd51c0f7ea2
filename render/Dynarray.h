#pragma once
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

// Heap arrays of three-byte elements (one 24-bit pixel each), addressed by one linear index or
// by column and row, both counted from 1. The blur copies a whole bitmap into such a grid pixel
// by pixel and reads it back through the same index arithmetic.
namespace Dynarray {

// Three bytes copied as they are: the blue, green and red bytes of a 24-bit scanline pixel.
struct TByteTriple {
    std::uint8_t b[3];
};

class ENotEnoughMemory : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// When set, called before every allocation with its size in bytes; returning true makes the
// allocation fail as if the heap had no such block. Lets the failure path be exercised.
inline bool (*FailAllocation)(std::int64_t bytes) = nullptr;

inline std::string notEnoughMemoryText(std::int64_t bytes) {
    return "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
           " requested memory block: " +
           std::to_string(bytes) + " bytes";
}

namespace detail {
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
} // namespace detail

// Gives the kept blocks back to the system.
inline void ReleaseSpareBlocks() {
    detail::spareBlocks.release();
}

// One contiguous block of FCount triples, not cleared at creation.
class TBigByteArray {
public:
    static constexpr int ElementSize = 3;

    explicit TBigByteArray(std::int32_t count) : FCount(count) {
        if (count == 0) return;
        const std::int64_t bytes = std::int64_t(count) * ElementSize;
        if (count > 0 && !(FailAllocation && FailAllocation(bytes))) {
            FBlock = detail::spareBlocks.take(std::size_t(bytes));
            if (!FBlock) FBlock = new (std::nothrow) std::uint8_t[std::size_t(bytes)];
        }
        if (!FBlock) throw ENotEnoughMemory(notEnoughMemoryText(bytes));
    }
    ~TBigByteArray() {
        detail::spareBlocks.give(FBlock, std::size_t(FCount) * ElementSize);
        FCount = 0;
    }
    TBigByteArray(const TBigByteArray&) = delete;
    TBigByteArray& operator=(const TBigByteArray&) = delete;

    std::int32_t count() const { return FCount; }

    // Outside 1..FCount the result is left exactly as it was.
    void GetItem(std::int32_t index, TByteTriple& result) const {
        if (inRange(index)) std::memcpy(result.b, FBlock + offset(index), ElementSize);
    }
    // Outside 1..FCount nothing is written.
    void SetItem(std::int32_t index, const TByteTriple& value) {
        if (inRange(index)) std::memcpy(FBlock + offset(index), value.b, ElementSize);
    }

    // The bytes of `n` consecutive elements from `index` on, for loops over whole runs: nullptr
    // unless every one of them lies in 1..FCount.
    std::uint8_t* Items(std::int32_t index, std::int32_t n) {
        return runInRange(index, n) ? FBlock + offset(index) : nullptr;
    }
    const std::uint8_t* Items(std::int32_t index, std::int32_t n) const {
        return runInRange(index, n) ? FBlock + offset(index) : nullptr;
    }

private:
    bool inRange(std::int32_t index) const { return index >= 1 && index <= FCount; }
    bool runInRange(std::int32_t index, std::int32_t n) const {
        return n >= 1 && index >= 1 && std::int64_t(index) + n - 1 <= FCount;
    }
    static std::size_t offset(std::int32_t index) { return std::size_t(index - 1) * ElementSize; }

    std::uint8_t* FBlock = nullptr;
    std::int32_t FCount = 0;
};

// A grid stored row by row, row 1 first: element (X, Y) is element (Y - 1) * FWidth + X of
// FItems. Only that linear index is range-checked, so a column outside 1..FWidth spills into
// the neighbouring row: X = 0 is the last element of row Y - 1, X = FWidth + 1 the first of
// row Y + 1.
class TByteArray2D {
public:
    TByteArray2D(std::int32_t width, std::int32_t height)
        : FItems(product(width, height)), FWidth(width), FHeight(height) {}
    ~TByteArray2D() {
        FWidth = 0;
        FHeight = 0;
    }
    TByteArray2D(const TByteArray2D&) = delete;
    TByteArray2D& operator=(const TByteArray2D&) = delete;

    std::int32_t width() const { return FWidth; }
    std::int32_t height() const { return FHeight; }

    void GetItem(std::int32_t x, std::int32_t y, TByteTriple& result) const {
        FItems.GetItem(linear(x, y), result);
    }
    void SetItem(std::int32_t x, std::int32_t y, const TByteTriple& value) {
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
    // 32-bit products and sums wrap, as the index arithmetic always has.
    static std::int32_t product(std::int32_t a, std::int32_t b) {
        return std::int32_t(std::uint32_t(a) * std::uint32_t(b));
    }
    std::int32_t linear(std::int32_t x, std::int32_t y) const {
        return std::int32_t(std::uint32_t(product(y - 1, FWidth)) + std::uint32_t(x));
    }

    TBigByteArray FItems;
    std::int32_t FWidth;
    std::int32_t FHeight;
};

} // namespace Dynarray
