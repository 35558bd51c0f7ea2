#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"
#include "render/Dynarray.h"
#include "render/Dynarray32.h"

namespace {

using Dynarray::TByteArray2D;
using Dynarray::TByteTriple;
using Dynarray32::TByteArray2D32;

std::string bytes(const TByteTriple& t) {
    return std::string(reinterpret_cast<const char*>(t.b), 3);
}
std::string bytes(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    return bytes(TByteTriple{{a, b, c}});
}

// Element (x, y) comes to hold (x, y, 0xEE).
void fill24(TByteArray2D& g) {
    for (int y = 1; y <= g.height(); ++y)
        for (int x = 1; x <= g.width(); ++x)
            g.SetItem(x, y, TByteTriple{{std::uint8_t(x), std::uint8_t(y), 0xEE}});
}

TEST(ByteGrid, ElementsReadBackAndColumnsSpillIntoNeighbouringRows) {
    TByteArray2D g(10, 3);
    fill24(g);
    TByteTriple r{};
    g.GetItem(4, 3, r);
    EXPECT_EQ(bytes(r), bytes(4, 3, 0xEE));
    g.SetItem(11, 1, TByteTriple{{1, 1, 1}}); // is (1, 2)
    g.SetItem(0, 2, TByteTriple{{2, 2, 2}});  // is (10, 1)
    g.GetItem(1, 2, r);
    EXPECT_EQ(bytes(r), bytes(1, 1, 1));
    g.GetItem(10, 1, r);
    EXPECT_EQ(bytes(r), bytes(2, 2, 2));
    g.GetItem(-1, 3, r); // (9, 2)
    EXPECT_EQ(bytes(r), bytes(9, 2, 0xEE));

    TByteArray2D32 g32(10, 3);
    g32.SetItem(11, 1, 0x01020304u);
    g32.SetItem(0, 2, 0x0A0B0C0Du);
    EXPECT_EQ(g32.GetItem(1, 2), 0x01020304u);
    EXPECT_EQ(g32.GetItem(10, 1), 0x0A0B0C0Du);
}

TEST(ByteGrid, AccessOutsideTheBlockChangesNothing) {
    TByteArray2D g(10, 3), fresh(10, 3);
    fill24(g);
    fill24(fresh);
    for (int x = 1; x <= 10; ++x)
        g.SetItem(x, 0, TByteTriple{{0, 0, 0}}); // row 0: before the block
    g.SetItem(11, 3, TByteTriple{{0, 0, 0}});    // after it
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 10; ++x) {
            TByteTriple a{}, b{};
            g.GetItem(x, y, a);
            fresh.GetItem(x, y, b);
            ASSERT_EQ(bytes(a), bytes(b)) << x << "," << y;
        }
    // A read outside leaves the caller's result as it was; the 32-bit grid reads 0.
    for (auto [x, y] : {std::pair{5, 0}, {11, 3}, {0, 1}}) {
        TByteTriple r{{1, 2, 3}};
        g.GetItem(x, y, r);
        EXPECT_EQ(bytes(r), bytes(1, 2, 3));
    }
    TByteArray2D32 g32(10, 3);
    g32.SetItem(10, 3, 7);
    g32.SetItem(11, 3, 8);
    EXPECT_EQ(g32.GetItem(10, 3), 7u);
    EXPECT_EQ(g32.GetItem(11, 3), 0u);
    EXPECT_EQ(g32.GetItem(3, 0), 0u);
}

TEST(ByteGrid, ZeroSizedGridsHoldNothing) {
    for (auto [w, h] : {std::pair{0, 5}, {7, 0}, {0, 0}}) {
        TByteArray2D g(w, h);
        TByteTriple r{{1, 2, 3}};
        g.SetItem(1, 1, TByteTriple{{4, 5, 6}});
        g.GetItem(1, 1, r);
        EXPECT_EQ(bytes(r), bytes(1, 2, 3));
        TByteArray2D32 g32(w, h);
        g32.SetItem(1, 1, 7);
        EXPECT_EQ(g32.GetItem(1, 1), 0u);
        EXPECT_EQ(g32.Items(1, 1, 1), nullptr);
    }
}

TEST(ByteGrid, FailedAllocationReportsTheBytesRequested) {
    const std::string text =
        "error in TBigByteArray.create: Not enough contiguous memory available\r\n"
        " requested memory block: ";
    // The message of what making the object threw; empty when nothing was thrown.
    auto thrown = [](auto make) {
        try {
            make();
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    Dynarray::FailAllocation = [](std::int64_t) { return true; };
    Dynarray32::FailAllocation = Dynarray::FailAllocation;
    EXPECT_EQ(thrown([] { Dynarray::TBigByteArray a(1000); }), text + "3000 bytes");
    EXPECT_THROW(TByteArray2D(20, 50), Dynarray::ENotEnoughMemory);
    EXPECT_EQ(thrown([] { TByteArray2D32 g(25, 40); }), text + "4000 bytes");
    EXPECT_THROW(TByteArray2D32(25, 40), Dynarray32::ENotEnoughMemory);
    EXPECT_NO_THROW(TByteArray2D32(0, 40)); // a count of 0 asks for nothing
    Dynarray::FailAllocation = nullptr;
    Dynarray32::FailAllocation = nullptr;

    // A product past 2^31 wraps negative: a failed allocation, not a crash.
    EXPECT_THROW(TByteArray2D32(50000, 50000), Dynarray32::ENotEnoughMemory);
    static_assert(!std::is_same_v<Dynarray::ENotEnoughMemory, Dynarray32::ENotEnoughMemory>);
    static_assert(std::is_base_of_v<std::exception, Dynarray32::ENotEnoughMemory>);
}

} // namespace
