#pragma once
#include <array>
#include <cstdint>
#include <QString>
#include <QStringList>

#include "platform/PrintSurface.h"

namespace velmora {

// The texts of the "Under Your Hood" window, made from the figures the system reports.

// A multimedia manufacturer's and product's names by their identifiers.
QString MMManufacturerName(int id);
QString MMProductName(int id);

// Capability texts: one text per set bit, the highest bit's first, each ending in a carriage
// return; at most 255 characters, what does not fit cut off at the end.
QString waveFormatsText(std::uint32_t formats);
QString waveOutSupportText(std::uint32_t support);
QString midiSupportText(std::uint32_t support);
// The MIDI output technology (one value, not a bit set); empty for an unknown one.
QString midiTechnologyText(int technology);
// A capability text as a label shows it: each carriage return a line break.
QString shownLines(const QString& text);

// The operating system and processor as the system reports them.
struct OsFigures {
    int platformId = -1; // 0 Win32s, 1 Windows 95, 2 Windows NT; anything else none of these
    int major = 0;
    int minor = 0;
    int build = 0;
    QString servicePack;
    int processorType = 0; // 386, 486, 586, or another type number
    int processors = 0;
    int processorLevel = 0;
    int processorRevision = 0;
};
// One figure of them as text, by kind 0..8 (platform name, version, platform name again,
// processor name, processors, level, revision, service pack, build number).
QString WinVerString(int kind, const OsFigures& os);

// The driver version's low word as "major.minor" (high byte, low byte).
QString driverVersionText(std::uint32_t version);
// Digits in groups of three with the locale's separator, no decimals ("#,").
QString thousands(std::int64_t n, const QString& separator);
QString thousands(std::int64_t n);
// Bytes as kilobytes (shifted right by 10) in groups, followed by " KB".
QString kilobytes(std::uint64_t bytes);

// The heap figures in the order of their captions.
constexpr int HeapFigureCount = 10;
extern const std::array<const char*, HeapFigureCount> HeapCaptions;

// The printed memory report, line by line (21 lines). heap in the order of HeapCaptions;
// memory the four texts shown for total and available physical and virtual memory.
QStringList memoryReportLines(const QString& appTitle, const QString& dateTime,
                              const std::array<std::int64_t, HeapFigureCount>& heap,
                              const std::array<QString, 4>& memory, std::int64_t allocCount,
                              std::int64_t allocSize);
// Prints the lines on a started job: "Courier" 10 points, at x = 10, line k at
// 40 + k * (height of "Hg" + 5).
void printMemoryReport(platform::PrintSurface& surface, const QStringList& lines);

} // namespace velmora
