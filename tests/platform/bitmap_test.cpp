#include <gtest/gtest.h>
#include <QtEndian>

#include "platform/Bitmap.h"
#include "test_support.h"

using platform::Bitmap;
using platform::PixelFormat;

namespace {

// The headers of a 24-bit BMP file of the given size, without its pixels.
QByteArray bmpHeader(qint32 width, qint32 height) {
    QByteArray h(54, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, h.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, h.data() + at); };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, 54 + quint32(width) * 3 * quint32(height));
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    put16(26, 1);
    put16(28, 24);
    return h;
}

} // namespace

TEST(Bitmap, SavedPicturesLoadBackInTheirOwnFormat) {
    testsupport::TempDir dir;
    Bitmap b(3, 2, PixelFormat::Bits32);
    b.setPixel(0, 0, 0x0000FF);
    b.setPixel(2, 1, 0x123456);
    ASSERT_TRUE(b.saveToFile(dir.file("a.bmp")));
    Bitmap back(1, 1, PixelFormat::Bits32);
    ASSERT_TRUE(back.loadFromFile(dir.file("a.bmp")));
    EXPECT_EQ(back.width(), 3);
    EXPECT_EQ(back.height(), 2);
    EXPECT_EQ(back.pixelFormat(), PixelFormat::Bits32);
    EXPECT_EQ(back.pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(back.pixel(2, 1), 0x123456u);
    EXPECT_EQ(back.scanLine(1)[2 * 4 + 3], 0); // the fourth byte of a quad is 0

    back.setPixelFormat(PixelFormat::Bits24);
    EXPECT_EQ(back.bytesPerPixel(), 3);
    EXPECT_EQ(back.stride(), 12); // rows padded to 4 bytes
    EXPECT_EQ(back.pixel(2, 1), 0x123456u);
}

// A header that claims 20000 x 20000 pixels, or 8193 x 8192 (within the side limit, but more
// than 256 MB), is refused before anything is allocated: only the header is there, so a loader
// that went past it would have allocated the pixels before finding them missing.
TEST(Bitmap, AbsurdAndBrokenPicturesFailAndLeaveTheBitmapAsItWas) {
    EXPECT_FALSE(Bitmap::needsTooMuchMemory(QSize(8192, 8192))); // 256 MB exactly
    EXPECT_TRUE(Bitmap::needsTooMuchMemory(QSize(8192, 8193)));
    EXPECT_TRUE(Bitmap::needsTooMuchMemory(QSize(16384, 16384)));
    testsupport::TempDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* why; // null: any reason
    } refused[] = {
        {"huge.bmp", bmpHeader(20000, 20000), nullptr},
        {"big.bmp", bmpHeader(8193, 8192), "picture too large"},
        {"junk.bmp", "BM and nothing else", nullptr},
        {"missing.bmp", {}, nullptr},
    };
    Bitmap b(5, 4, PixelFormat::Bits24);
    b.setPixel(1, 1, 0xABCDEF);
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        if (!r.bytes.isEmpty()) {
            ASSERT_TRUE(testsupport::writeFile(dir.file(r.name), r.bytes));
        }
        QString why;
        EXPECT_FALSE(b.loadFromFile(dir.file(r.name), &why));
        EXPECT_FALSE(why.isEmpty());
        if (r.why) {
            EXPECT_EQ(why, r.why);
        }
        EXPECT_EQ(b.width(), 5);
        EXPECT_EQ(b.height(), 4);
        EXPECT_EQ(b.pixel(1, 1), 0xABCDEFu);
    }

    // Just inside the limit on one side is still a picture (a 16384 x 1 strip).
    ASSERT_TRUE(testsupport::writeFile(dir.file("wide.bmp"),
                                       bmpHeader(16384, 1) + QByteArray(16384 * 3, '\x40')));
    ASSERT_TRUE(b.loadFromFile(dir.file("wide.bmp")));
    EXPECT_EQ(b.width(), 16384);
    EXPECT_EQ(b.pixel(16383, 0), 0x404040u);
}
