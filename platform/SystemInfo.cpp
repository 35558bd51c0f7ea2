#include "platform/SystemInfo.h"

#include <cmath>
#include <malloc.h>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>
#include <QVersionNumber>
#include <sys/sysinfo.h>
#include <thread>

#include "platform/Screen.h"

namespace velmora::platform {

std::uint64_t SystemInfo::availableMemory() {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly)) {
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            if (line.startsWith("MemAvailable:")) {
                const QList<QByteArray> parts = line.simplified().split(' ');
                if (parts.size() >= 2) return parts[1].toULongLong() * 1024u;
            }
        }
    }
    struct sysinfo si {};
    if (sysinfo(&si) == 0) return std::uint64_t(si.freeram) * si.mem_unit;
    return 0;
}

QString SystemInfo::qtRuntimeVersion() {
    return QString::fromLatin1(qVersion());
}

QString SystemInfo::qtBuildVersion() {
    return QStringLiteral(QT_VERSION_STR);
}

bool SystemInfo::qtOlderThanBuild(const QString& runtime, const QString& build) {
    return QVersionNumber::fromString(runtime) < QVersionNumber::fromString(build);
}

int SystemInfo::bitsPerPixel() {
    return Screen::depth();
}

int SystemInfo::paletteReservedEntries() {
    return Screen::depth() <= 8 ? 20 : 0;
}

int SystemInfo::displayCapability(int index) {
    const QScreen* screen =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                     : nullptr;
    const int depth = Screen::depth();
    auto round = [](double v) { return int(std::lround(v)); };
    switch (index) {
    case 0:
    case 17:
        return depth;
    case 1:
        return depth > 24 ? 24 : depth;
    case 2:
        return depth <= 8 ? 1 << depth : 0;
    case 3:
        return paletteReservedEntries();
    case 4:
        return screen ? round(screen->refreshRate()) : 0;
    case 5:
        return screen ? screen->virtualGeometry().width() : Screen::width();
    case 6:
        return screen ? screen->virtualGeometry().height() : Screen::height();
    case 8: // a pixel's width and height relative to each other; square pixels are 36 x 36
        return 36;
    case 9:
        return screen && screen->physicalDotsPerInchY() > 0
                   ? round(36 * screen->physicalDotsPerInchX() / screen->physicalDotsPerInchY())
                   : 36;
    case 11:
        return screen ? round(screen->physicalSize().width()) : 0;
    case 12:
        return screen ? round(screen->physicalSize().height()) : 0;
    case 13:
        return Screen::width();
    case 14:
        return Screen::height();
    case 15:
        return screen ? round(screen->logicalDotsPerInchX()) : 96;
    case 16:
        return screen ? round(screen->logicalDotsPerInchY()) : 96;
    case 18:
        return 1;
    default: // the driver's version, brushes and pens have no counterpart here
        return 0;
    }
}

SystemInfo::Os SystemInfo::os() {
    Os o;
    o.kernelVersion = QSysInfo::kernelVersion();
    o.productName = QSysInfo::prettyProductName();
    o.cpuArchitecture = QSysInfo::currentCpuArchitecture();
    o.processors = int(std::thread::hardware_concurrency());
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        // The first processor's entry.
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            if (line.trimmed().isEmpty()) break;
            const int colon = line.indexOf(':');
            if (colon < 0) continue;
            const QByteArray key = line.left(colon).trimmed();
            const int value = line.mid(colon + 1).trimmed().toInt();
            if (key == "cpu family") o.cpuFamily = value;
            else if (key == "model") o.cpuModel = value;
            else if (key == "stepping") o.cpuStepping = value;
        }
    }
    return o;
}

SystemInfo::Memory SystemInfo::memoryFromMeminfo(const QByteArray& meminfo) {
    std::uint64_t total = 0, avail = 0, swapTotal = 0, swapFree = 0;
    for (const QByteArray& line : meminfo.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2) continue;
        const std::uint64_t kb = parts[1].toULongLong();
        if (parts[0] == "MemTotal:") total = kb * 1024;
        else if (parts[0] == "MemAvailable:") avail = kb * 1024;
        else if (parts[0] == "SwapTotal:") swapTotal = kb * 1024;
        else if (parts[0] == "SwapFree:") swapFree = kb * 1024;
    }
    Memory m;
    m.totalPhys = total;
    m.availPhys = avail < total ? avail : total;
    m.totalVirt = total + swapTotal;
    m.availVirt = m.availPhys + (swapFree < swapTotal ? swapFree : swapTotal);
    m.load = total ? int((total - m.availPhys) * 100 / total) : 0;
    return m;
}

SystemInfo::Memory SystemInfo::memory() {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly)) return memoryFromMeminfo(f.readAll());
    Memory m;
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
        m.totalPhys = std::uint64_t(si.totalram) * si.mem_unit;
        m.availPhys = std::uint64_t(si.freeram) * si.mem_unit;
        m.totalVirt = m.totalPhys + std::uint64_t(si.totalswap) * si.mem_unit;
        m.availVirt = m.availPhys + std::uint64_t(si.freeswap) * si.mem_unit;
        m.load = m.totalPhys ? int((m.totalPhys - m.availPhys) * 100 / m.totalPhys) : 0;
    }
    return m;
}

SystemInfo::Heap SystemInfo::heap() {
    const struct mallinfo2 mi = mallinfo2();
    Heap h;
    // The heap proper (arena) and the blocks mapped on their own (hblkhd) are all committed.
    h.addressSpace = std::int64_t(mi.arena + mi.hblkhd);
    h.committed = h.addressSpace;
    h.uncommitted = 0;
    h.allocated = std::int64_t(mi.uordblks + mi.hblkhd);
    h.free = std::int64_t(mi.fordblks);
    h.freeSmall = std::int64_t(mi.fsmblks);
    h.freeBig = std::int64_t(mi.fordblks - mi.fsmblks);
    h.unused = std::int64_t(mi.keepcost);
    h.overhead = 0;
    h.errorCode = 0;
    // The allocator does not count its blocks.
    h.allocCount = 0;
    h.allocSize = h.allocated;
    return h;
}

QString SystemInfo::computerName() {
    return QSysInfo::machineHostName().left(15);
}

int SystemInfo::fileVersion(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    if (!name.isEmpty() && name == QFileInfo(QCoreApplication::applicationFilePath()).fileName())
        return VELMORA_VERSION_MINOR & 0xFF;
    if (name.compare(QLatin1String("comctl32.dll"), Qt::CaseInsensitive) == 0)
        return QVersionNumber::fromString(QString::fromLatin1(qVersion())).minorVersion() & 0xFF;
    return 0;
}

} // namespace velmora::platform
