#include "platform/SystemInfo.h"

#include <QFile>
#include <QVersionNumber>
#include <sys/sysinfo.h>

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

} // namespace velmora::platform
