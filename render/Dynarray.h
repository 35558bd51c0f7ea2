#pragma once
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "render/GridBlock.h"

// Heap arrays of three-byte elements (one 24-bit pixel each), addressed by one linear index or
// by column and row, both counted from 1. The blur copies a whole bitmap into such a grid pixel
// by pixel and reads it back through the same index arithmetic.
namespace velmora::Dynarray {

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

// Gives the kept blocks back to the system.
inline void ReleaseSpareBlocks() {
    gridblock::spareBlocks.release();
}

// One contiguous block of FCount triples, not cleared at creation.
class TBigByteArray {
public:
    static constexpr int ElementSize = 3;

    explicit TBigByteArray(std::int32_t count) : FBlock(count, FailAllocation) {}
    ~TBigByteArray() = default;
    TBigByteArray(const TBigByteArray&) = delete;
    TBigByteArray& operator=(const TBigByteArray&) = delete;

    std::int32_t count() const { return FBlock.count(); }

    // Outside 1..FCount the result is left exactly as it was.
    void GetItem(std::int32_t index, TByteTriple& result) const {
        if (FBlock.inRange(index)) std::memcpy(result.b, FBlock.at(index), ElementSize);
    }
    // Outside 1..FCount nothing is written.
    void SetItem(std::int32_t index, const TByteTriple& value) {
        if (FBlock.inRange(index)) std::memcpy(FBlock.at(index), value.b, ElementSize);
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
using TByteArray2D = gridblock::Grid2D<TByteTriple, TBigByteArray>;

} // namespace velmora::Dynarray
