#pragma once
#include <cstdint>
#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "platform/Color.h"

namespace velmora::platform {

// Pixel formats as the program names them. Pixel buffers exist in 24 bits (bytes blue, green,
// red) and 32 bits (blue, green, red, 0); the other values only describe a screen.
enum class PixelFormat { Device, Bits8, Bits16, Bits24, Bits32 };

// A pixel buffer with scanline access. Rows are stored top first, each padded to 4 bytes.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, PixelFormat format = PixelFormat::Bits24);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    PixelFormat pixelFormat() const { return format_; }
    int bytesPerPixel() const { return format_ == PixelFormat::Bits32 ? 4 : 3; }
    int stride() const { return stride_; }

    // Converts the pixels to the new format (24 or 32 bits; any other format means 24 bits).
    // The fourth byte of a 32-bit pixel is 0.
    void setPixelFormat(PixelFormat format);
    // New size, all pixels black.
    void setSize(int width, int height);

    std::uint8_t* scanLine(int y) { return data_.data() + std::size_t(y) * stride_; }
    const std::uint8_t* scanLine(int y) const { return data_.data() + std::size_t(y) * stride_; }
    std::uint8_t* bits() { return data_.data(); }
    const std::uint8_t* bits() const { return data_.data(); }

    // The colour at (x, y) as 0x00BBGGRR; 0 outside the bitmap.
    TColor pixel(int x, int y) const;
    void setPixel(int x, int y, TColor color);
    void fill(TColor color);

    // Loads a picture file (BMP and whatever Qt reads). The bitmap takes the picture's size and
    // becomes 24-bit (32-bit when it was 32-bit before). On failure it is left unchanged.
    bool loadFromFile(const QString& fileName, QString* error = nullptr);
    // Saves as a Windows BMP file.
    bool saveToFile(const QString& fileName) const;

    // A copy in Qt's form (RGB32).
    QImage toQImage() const;
    static Bitmap fromQImage(const QImage& image, PixelFormat format);
    // A QImage that shares this bitmap's pixels (Format_RGB32 or Format_BGR888), for drawing
    // with QPainter. Valid until the bitmap is resized or converted.
    QImage wrap();

    // Pictures larger than this on a side are refused as unreadable.
    static constexpr int MaxSide = 16384;
    // Nor is a picture loaded that would need more than this many bytes as 32-bit pixels: it
    // is refused from its header, before its pixels are read.
    static constexpr qint64 MaxPictureBytes = qint64(256) * 1024 * 1024;
    static bool needsTooMuchMemory(QSize size) {
        return qint64(size.width()) * size.height() * 4 > MaxPictureBytes;
    }

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    PixelFormat format_ = PixelFormat::Bits24;
    std::vector<std::uint8_t> data_;
};

} // namespace velmora::platform
