#pragma once
#include <cstdint>
#include <QString>

namespace velmora::platform {

// Figures of this machine, for the main window's checks and the information windows.
class SystemInfo {
public:
    // The memory the system can still give the process, in bytes (MemAvailable).
    static std::uint64_t availableMemory();
    // Qt's version found at run time, and the one the program was built with.
    static QString qtRuntimeVersion();
    static QString qtBuildVersion();
    // Whether the run-time Qt is older than the one the program was built with.
    static bool qtOlderThanBuild(const QString& runtime, const QString& build);
    // The display's bits per pixel and its reserved palette entries (none on true-colour screens).
    static int bitsPerPixel();
    static int paletteReservedEntries();
};

} // namespace velmora::platform
