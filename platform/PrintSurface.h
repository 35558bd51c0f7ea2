#pragma once
#include <cstdint>
#include <QString>

namespace velmora::platform {

// The canvas of a print job, in the printer's device pixels, (0, 0) being the top-left corner
// of the printable area. Text is placed by the top-left corner of its line, as on the screen's
// canvas. The printer implements it; tests record what is drawn.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;
    // The printable area's width and height in device pixels.
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;
    virtual void setFontName(const QString& face) = 0;
    virtual void setFontSize(int points) = 0;
    // The height of a line of text in the current font, in device pixels.
    virtual int textHeight(const QString& text) const = 0;
    virtual void textOut(int x, int y, const QString& text) = 0;
    // The sheet being drawn on, 1 for the first.
    virtual int pageNumber() const = 0;
    virtual void newPage() = 0;
};

} // namespace velmora::platform
