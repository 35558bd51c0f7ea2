// The settings file reader: any file, read as the program reads velmora.ini at start
// (readSettings), then the main window's place worked out from it; then written as the
// program writes it on closing, and read back.
#include <cstdint>

#include <QRect>
#include <QSize>

#include "fuzz/fuzz_support.h"
#include "model/settings.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ScratchFile file("velmora.ini");
    const QString& path = file.write(data, size);
    Settings s;
    fuzzsupport::require(readSettings(path, s), "an existing settings file is read");
    const QRect screen(0, 0, 1920, 1080);
    const QRect place = placeOnScreen({s.Left, s.Top, s.Width, s.Height}, screen, QSize(300, 200),
                                      QSize(649, 492));
    fuzzsupport::require(place.width() >= 300 && place.width() <= 1920 &&
                             place.height() >= 200 && place.height() <= 1080,
                         "the window fits the screen");
    fuzzsupport::require(place.intersected(screen).width() >= 100 &&
                             place.intersected(screen).height() >= 50,
                         "enough of the window is on the screen");

    SettingsToWrite v;
    v.program = QStringLiteral("Velmora-32");
    v.lastproject = QStringLiteral("/tmp/x.kvt");
    v.top = -5;
    v.width = 700;
    writeSettings(path, v);
    Settings back;
    readSettings(path, back);
    fuzzsupport::require(back.Lastproject == v.lastproject && back.Top == -5 && back.Width == 700,
                         "what was written reads back");
    return 0;
}
