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

    // One capability of the display, by the index of the system information window (0 and 17
    // bits per pixel, 1 colour resolution, 2 palette size, 3 reserved entries, 4 refresh rate,
    // 5 and 6 the desktop's size, 7 and 10 driver version, 8 and 9 aspect, 11 and 12 size in
    // millimetres, 13 and 14 in pixels, 15 and 16 pixels per logical inch, 18 colour planes,
    // 19 brushes, 20 pens); 0 for any other index or a figure this system does not have.
    static int displayCapability(int index);

    struct Os {
        QString kernelVersion;  // "6.1.0-18-amd64"
        QString productName;    // "Debian GNU/Linux 12 (bookworm)"
        QString cpuArchitecture; // "x86_64"
        int processors = 0;
        int cpuFamily = 0;
        int cpuModel = 0;
        int cpuStepping = 0;
    };
    static Os os();

    // The memory of the machine, in bytes; virtual is physical memory and swap together.
    struct Memory {
        std::uint64_t totalPhys = 0, availPhys = 0, totalVirt = 0, availVirt = 0;
        int load = 0; // per cent of physical memory in use
    };
    static Memory memory();
    // Reads the figures from the text of /proc/meminfo.
    static Memory memoryFromMeminfo(const QByteArray& meminfo);

    // The C library's own heap statistics, in bytes.
    struct Heap {
        std::int64_t addressSpace = 0, uncommitted = 0, committed = 0, allocated = 0, free = 0,
                     freeSmall = 0, freeBig = 0, unused = 0, overhead = 0, errorCode = 0;
        std::int64_t allocCount = 0, allocSize = 0;
    };
    static Heap heap();

    // The computer's name, at most 15 characters.
    static QString computerName();
    // The low eight bits of a file's minor version number: the program's own for its
    // executable, the Qt library's for the common controls ("comctl32.dll"), 0 for any other.
    static int fileVersion(const QString& fileName);
};

} // namespace velmora::platform
