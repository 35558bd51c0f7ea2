// The page file reader: any file, read as the program reads a page (readPageFile, then
// PageBuffer::decode). A decoded page keeps its numbers in the controls' ranges and its
// strings within their fields, and writing it back and reading that again gives the same page.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "model/page_file.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ScratchFile file("FUZZ.000");
    PageBuffer buffer;
    const PageReadResult read = readPageFile(file.write(data, size), buffer);
    fuzzsupport::require(read == (size >= std::size_t(PageRecordSize) ? PageReadResult::Ok
                                                                      : PageReadResult::Unreadable),
                         "a page reads exactly when the file holds a whole record");
    if (read != PageReadResult::Ok) return 0;

    PageImage page;
    fuzzsupport::require(buffer.decode(page), "every record decodes");
    fuzzsupport::requireCountersInRange(page, "path counters in range");
    const PageSettings& s = page.settings;
    fuzzsupport::require(s.fadedelay >= 0 && s.fadedelay <= MaxFadeDelay, "fadedelay in range");
    fuzzsupport::require(s.PauseTime >= 0 && s.PauseTime <= MaxPauseTime, "pause in range");
    for (const PageImage::Line& line : page.lines) {
        fuzzsupport::require(line.attrs.FontSize >= MinFontSize && line.attrs.FontSize <= MaxFontSize,
                             "font size in range");
        fuzzsupport::require(line.PosX >= -MaxRestingPos && line.PosX <= MaxRestingPos &&
                                 line.PosY >= -MaxRestingPos && line.PosY <= MaxRestingPos,
                             "resting position in range");
        fuzzsupport::require(line.Text.size() <= pagelayout::TextChars, "text within its field");
        fuzzsupport::require(line.attrs.FontName.size() <= pagelayout::FontNameChars,
                             "font name within its field");
        fuzzsupport::require(line.attrs.BitmapFile.size() <= pagelayout::FileNameChars &&
                                 line.attrs.WaveFile.size() <= pagelayout::FileNameChars,
                             "file names within their fields");
    }

    PageBuffer again;
    again.encode(page, QStringLiteral("000"));
    PageImage back;
    again.decode(back);
    fuzzsupport::require(back == page, "a decoded page encodes to the same page");
    return 0;
}
