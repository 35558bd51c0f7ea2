#pragma once
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "render/GridBlock.h"

// Heap arrays of 32-bit elements (one 32-bit pixel each, its four bytes in machine order),
// addressed by one linear index or by column and row, both counted from 1. The counterpart of
// the three-byte arrays in Dynarray.h; the two stay separate types.
namespace velmora::Dynarray32 {

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

// A grid stored row by row, (X, Y) counted from 1 (see gridblock::Grid2D).
using TByteArray2D32 = gridblock::Grid2D<std::uint32_t, TBigByteArray>;

} // namespace velmora::Dynarray32
