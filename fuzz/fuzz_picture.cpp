// The picture loader behind bitmap lines and their previews (Bitmap::loadFromFile): any file,
// in whatever format Qt recognises from its bytes. A loaded picture is within the size limits
// and keeps the bitmap's pixel format; a refused one leaves the bitmap as it was.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "platform/Bitmap.h"

using velmora::platform::Bitmap;
using velmora::platform::PixelFormat;

FUZZ_START_GUI_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ScratchFile file("picture");
    const QString& path = file.write(data, size);
    // Odd and even sizes take turns at the two pixel formats.
    const PixelFormat format = size % 2 ? PixelFormat::Bits32 : PixelFormat::Bits24;
    Bitmap b(2, 1, format);
    b.setPixel(1, 0, 0x123456);
    if (!b.loadFromFile(path)) {
        fuzzsupport::require(b.width() == 2 && b.height() == 1 && b.pixel(1, 0) == 0x123456,
                             "a refused picture leaves the bitmap as it was");
        return 0;
    }
    fuzzsupport::require(!b.isEmpty() && b.width() <= Bitmap::MaxSide &&
                             b.height() <= Bitmap::MaxSide,
                         "a loaded picture is within the side limit");
    fuzzsupport::require(!Bitmap::needsTooMuchMemory(QSize(b.width(), b.height())),
                         "a loaded picture is within the memory limit");
    fuzzsupport::require(b.pixelFormat() == format, "the bitmap keeps its pixel format");
    return 0;
}
