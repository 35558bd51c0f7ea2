#include "dialogs/machinfo_texts.h"

#include <QLocale>

namespace velmora {

namespace {

constexpr int MaxText = 255;

// Each set bit's text goes in front of what is there, from the lowest bit up.
template <size_t N>
QString bitTexts(std::uint32_t mask, const std::array<const char*, N>& texts) {
    QString s;
    for (size_t bit = 0; bit < N; ++bit)
        if (mask & (1u << bit)) s = QString::fromLatin1(texts[bit]) + s;
    return s.left(MaxText);
}

} // namespace

QString MMManufacturerName(int id) {
    switch (id) {
    case 1:
        return QStringLiteral("Microsoft");
    case 126:
        return QStringLiteral("Fast(AvMaster)");
    case 136:
        return QStringLiteral("D A L");
    default:
        return QStringLiteral("Unknow ") + QString::number(id);
    }
}

QString MMProductName(int id) {
    static const char* const names[13] = {nullptr,
                                          "MIDI Mapper",
                                          "Wave Mapper",
                                          "Sound Blaster MIDI output port",
                                          "Sound Blaster MIDI input port",
                                          "Sound Blaster internal synthesizer",
                                          "Sound Blaster waveform output",
                                          "Sound Blaster waveform input",
                                          nullptr,
                                          " Ad Lib-compatible synthesizer",
                                          "MPU401-compatible MIDI output port",
                                          "MPU401-compatible MIDI input port",
                                          "Joystick adapter"};
    if (id >= 0 && id < 13 && names[id]) return QString::fromLatin1(names[id]);
    return QStringLiteral("Unknow or Unlisted Manufacturer");
}

QString waveFormatsText(std::uint32_t formats) {
    static const std::array<const char*, 12> texts = {
        " 11.025 kHz, Mono,   8-bit \r", " 11.025 kHz, Stereo, 8-bit \r",
        " 11.025 kHz, Mono,   16-bit\r", " 11.025 kHz, Stereo, 16-bit\r",
        " 22.05  kHz, Mono,   8-bit \r", " 22.05  kHz, Stereo, 8-bit \r",
        " 22.05  kHz, Mono,   16-bit\r", " 22.05  kHz, Stereo, 16-bit\r",
        " 44.1   kHz, Mono,   8-bit \r", " 44.1   kHz, Stereo,  8-bit\r",
        " 44.1   kHz, Mono,   16-bit\r", " 44.1   kHz, Stereo, 16-bit\r"};
    return bitTexts(formats, texts);
}

QString waveOutSupportText(std::uint32_t support) {
    static const std::array<const char*, 7> texts = {
        "Supports pitch control\r",
        "Supports playback rate control\r",
        "Supports volume control\r",
        "Supports separate left and\rright volume control.\r",
        "The driver is synchronous\rand will block while \rplaying a buffer.\r",
        "Returns sample-accurate\rposition information.\r",
        "Direct Sound"};
    return bitTexts(support, texts);
}

QString midiSupportText(std::uint32_t support) {
    static const std::array<const char*, 4> texts = {
        "Supports volume control\r", "Separate left-right\rvolume control.\r", "Can CACHE\r",
        "Driver supports Midi\rStream Out directly.\r"};
    return bitTexts(support, texts);
}

QString midiTechnologyText(int technology) {
    switch (technology) {
    case 1:
        return QStringLiteral("Output port\r");
    case 2:
        return QStringLiteral("Generic internal synth\r");
    case 3:
        return QStringLiteral("Square wave internal synth\r");
    case 4:
        return QStringLiteral("FM internal synth\r");
    case 5:
        return QStringLiteral("MIDI mapper\r");
    default:
        return QString();
    }
}

QString shownLines(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString WinVerString(int kind, const OsFigures& os) {
    auto platformName = [&os] {
        switch (os.platformId) {
        case 0:
            return QStringLiteral("Win32s on Windows 3.1");
        case 1:
            return QStringLiteral("Windows 95");
        case 2:
            return QStringLiteral("Windows NT");
        default:
            return QStringLiteral("Unknown");
        }
    };
    switch (kind) {
    case 0:
    case 2:
        return platformName();
    case 1:
        return QStringLiteral("%1.%2").arg(os.major).arg(os.minor, 2, 10, QLatin1Char('0'));
    case 3:
        switch (os.processorType) {
        case 386:
            return QStringLiteral("80386");
        case 486:
            return QStringLiteral("80486");
        case 586:
            return QStringLiteral("Pentium");
        default:
            return QStringLiteral("Unknown (%1)").arg(os.processorType);
        }
    case 4:
        return QString::number(os.processors);
    case 5:
        return QString::number(os.processorLevel);
    case 6:
        return QString::number(os.processorRevision);
    case 7:
        return os.servicePack.left(128);
    case 8:
        return QString::number(os.build & 0xFFFF);
    default:
        return QString();
    }
}

QString driverVersionText(std::uint32_t version) {
    return QStringLiteral("%1.%2").arg((version >> 8) & 0xFF).arg(version & 0xFF);
}

QString thousands(std::int64_t n, const QString& separator) {
    const bool negative = n < 0;
    QString digits = QString::number(negative ? -(n + 1) + std::uint64_t(1) : std::uint64_t(n));
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, separator);
    return negative ? QStringLiteral("-") + digits : digits;
}

QString thousands(std::int64_t n) {
    return thousands(n, QLocale().groupSeparator());
}

QString kilobytes(std::uint64_t bytes) {
    return thousands(std::int64_t(bytes >> 10)) + QStringLiteral(" KB");
}

const std::array<const char*, HeapFigureCount> HeapCaptions = {
    "TotalAddrSpace", "TotalUncommitted", "TotalCommitted", "TotalAllocated", "TotalFree",
    "FreeSmall",      "FreeBig",          "Unused",         "Overhead",       "HeapErrorCode"};

QStringList memoryReportLines(const QString& appTitle, const QString& dateTime,
                              const std::array<std::int64_t, HeapFigureCount>& heap,
                              const std::array<QString, 4>& memory, std::int64_t allocCount,
                              std::int64_t allocSize) {
    const QString rule(27, QLatin1Char('_'));
    // Each caption padded to 17 characters.
    auto caption = [](const char* text) { return QString::fromLatin1(text).leftJustified(17); };
    QStringList lines;
    lines << QStringLiteral("Program: ") + appTitle + QStringLiteral(" Information ") << dateTime
          << rule;
    for (int i = 0; i < HeapFigureCount; ++i)
        lines << caption(HeapCaptions[i]) + thousands(heap[i]);
    lines << rule;
    static const char* const memoryCaptions[4] = {"TotalPhysMem", "AvailPhysMem", "TotalVirtMem",
                                                  "AvailVirtMem"};
    for (int i = 0; i < 4; ++i)
        lines << caption(memoryCaptions[i]) + memory[i];
    lines << rule << caption("AllocMemCount") + QString::number(allocCount)
          << caption("AllocMemSize") + QString::number(allocSize);
    return lines;
}

void printMemoryReport(platform::PrintSurface& surface, const QStringList& lines) {
    surface.setFontName(QStringLiteral("Courier"));
    surface.setFontSize(10);
    const int l = surface.textHeight(QStringLiteral("Hg")) + 5;
    for (int k = 0; k < lines.size(); ++k)
        surface.textOut(10, 40 + k * l, lines[k]);
}

} // namespace velmora
