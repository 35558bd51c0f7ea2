#include "platform/Bitmap.h"

#include <cstring>
#include <QFile>
#include <QImageReader>

namespace velmora::platform {

namespace {
bool isPixelBuffer32(PixelFormat f) {
    return f == PixelFormat::Bits32;
}
int strideFor(int width, int bpp) {
    return ((width * bpp) + 3) & ~3;
}
} // namespace

Bitmap::Bitmap(int width, int height, PixelFormat format)
    : format_(isPixelBuffer32(format) ? PixelFormat::Bits32 : PixelFormat::Bits24) {
    setSize(width, height);
}

void Bitmap::setSize(int width, int height) {
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    stride_ = strideFor(width_, bytesPerPixel());
    data_.assign(std::size_t(stride_) * std::size_t(height_), 0);
}

void Bitmap::setPixelFormat(PixelFormat format) {
    const PixelFormat target = isPixelBuffer32(format) ? PixelFormat::Bits32 : PixelFormat::Bits24;
    if (target == format_) return;
    Bitmap converted(width_, height_, target);
    const int sb = bytesPerPixel(), db = converted.bytesPerPixel();
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* s = scanLine(y);
        std::uint8_t* d = converted.scanLine(y);
        for (int x = 0; x < width_; ++x, s += sb, d += db) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (db == 4) d[3] = 0;
        }
    }
    *this = std::move(converted);
}

TColor Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const std::uint8_t* p = scanLine(y) + x * bytesPerPixel();
    return rgb(p[2], p[1], p[0]);
}

void Bitmap::setPixel(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* p = scanLine(y) + x * bytesPerPixel();
    p[0] = blueOf(c);
    p[1] = greenOf(c);
    p[2] = redOf(c);
    if (bytesPerPixel() == 4) p[3] = 0;
}

void Bitmap::fill(TColor c) {
    const int bpp = bytesPerPixel();
    const std::uint8_t px[4] = {blueOf(c), greenOf(c), redOf(c), 0};
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = scanLine(y);
        for (int x = 0; x < width_; ++x, p += bpp)
            std::memcpy(p, px, std::size_t(bpp));
    }
}

bool Bitmap::loadFromFile(const QString& fileName, QString* error) {
    QImageReader reader(fileName);
    const auto tooLarge = [](QSize size) {
        return size.width() > MaxSide || size.height() > MaxSide || needsTooMuchMemory(size);
    };
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size)) {
        if (error) *error = QStringLiteral("picture too large");
        return false;
    }
    // Qt's own limit covers the formats whose header gives no size; in megabytes.
    reader.setAllocationLimit(int(MaxPictureBytes / (1024 * 1024)));
    QImage img = reader.read();
    if (img.isNull() || tooLarge(img.size())) {
        if (error) *error = img.isNull() ? reader.errorString() : QStringLiteral("picture too large");
        return false;
    }
    *this = fromQImage(img, format_);
    return true;
}

bool Bitmap::saveToFile(const QString& fileName) const {
    if (isEmpty()) return false;
    return toQImage().convertToFormat(QImage::Format_RGB888).save(fileName, "BMP");
}

QImage Bitmap::toQImage() const {
    QImage img(width_, height_, QImage::Format_RGB32);
    const int bpp = bytesPerPixel();
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* s = scanLine(y);
        auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width_; ++x, s += bpp)
            d[x] = qRgb(s[2], s[1], s[0]);
    }
    return img;
}

Bitmap Bitmap::fromQImage(const QImage& image, PixelFormat format) {
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    Bitmap b(src.width(), src.height(), format);
    const int bpp = b.bytesPerPixel();
    for (int y = 0; y < b.height_; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        std::uint8_t* d = b.scanLine(y);
        for (int x = 0; x < b.width_; ++x, d += bpp) {
            d[0] = qBlue(s[x]);
            d[1] = qGreen(s[x]);
            d[2] = qRed(s[x]);
            if (bpp == 4) d[3] = 0;
        }
    }
    return b;
}

QImage Bitmap::wrap() {
    if (isEmpty()) return QImage();
    return QImage(data_.data(), width_, height_, stride_,
                  format_ == PixelFormat::Bits32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
}

} // namespace velmora::platform
