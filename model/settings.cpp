#include "model/settings.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include "platform/IniFile.h"

namespace velmora {

namespace {
const QString Section = QStringLiteral("VELMORA Options");
const QString ShowScreenSection = QStringLiteral("VELMORA Show Screen");
const QString ShowScreenKey = QStringLiteral("Name");
QString overridePath;
} // namespace

QString settingsFilePath() {
    if (!overridePath.isEmpty()) return overridePath;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).trimmed();
    if (dir.isEmpty()) dir = QDir::homePath();
    return dir + QStringLiteral("/velmora.ini");
}

void setSettingsFilePath(const QString& path) {
    overridePath = path;
}

bool readSettings(const QString& path, Settings& out) {
    if (!QFileInfo::exists(path)) return false;
    const platform::IniFile ini(path);
    out.Lastproject = ini.readString(Section, QStringLiteral("Lastproject"), QString());
    out.Top = ini.readInteger(Section, QStringLiteral("Top"), 0);
    out.Left = ini.readInteger(Section, QStringLiteral("Left"), 0);
    out.Height = ini.readInteger(Section, QStringLiteral("Height"), 400);
    out.Width = ini.readInteger(Section, QStringLiteral("Width"), 200);
    out.dpath = ini.readString(Section, QStringLiteral("dpath"), QString());
    return true;
}

void writeSettings(const QString& path, const SettingsToWrite& v) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    platform::IniFile ini(path);
    // The erase names the section in capitals; names match without regard to case.
    ini.eraseSection(QStringLiteral("VELMORA OPTIONS"));
    ini.writeString(Section, QStringLiteral("Program"), v.program);
    ini.writeString(Section, QStringLiteral("Version"), v.version);
    ini.writeString(Section, QStringLiteral("Lastproject"), v.lastproject);
    ini.writeString(Section, QStringLiteral("Dir"), v.dir);
    ini.writeInteger(Section, QStringLiteral("Top"), v.top);
    ini.writeInteger(Section, QStringLiteral("Left"), v.left);
    ini.writeInteger(Section, QStringLiteral("Height"), v.height);
    ini.writeInteger(Section, QStringLiteral("Width"), v.width);
    ini.writeString(Section, QStringLiteral("Birth"), v.birth);
}

QString readShowScreenName(const QString& path) {
    if (!QFileInfo::exists(path)) return QString();
    return platform::IniFile(path).readString(ShowScreenSection, ShowScreenKey, QString());
}

void writeShowScreenName(const QString& path, const QString& name) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    platform::IniFile ini(path);
    ini.writeString(ShowScreenSection, ShowScreenKey, name);
}

QString readKeyScreenName(const QString& path) {
    if (!QFileInfo::exists(path)) return QString();
    return platform::IniFile(path).readString(QStringLiteral("VELMORA Key Screen"), ShowScreenKey,
                                              QString());
}

void writeKeyScreenName(const QString& path, const QString& name) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    platform::IniFile ini(path);
    ini.writeString(QStringLiteral("VELMORA Key Screen"), ShowScreenKey, name);
}

QString birthText(const QDateTime& when) {
    const QLocale loc; // the system's, unless a test chose another
    return loc.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           loc.toString(when.time(), QLocale::LongFormat);
}

QRect placeOnScreen(const SavedPlace& saved, const QRect& screen, const QSize& minimum,
                    const QSize& fallback) {
    const auto side = [](int value, int least, int most, int other) {
        if (value >= least && value <= most) return value;
        return std::max(least, std::min(other, most));
    };
    const int width = side(saved.width, minimum.width(), screen.width(), fallback.width());
    const int height = side(saved.height, minimum.height(), screen.height(), fallback.height());
    // 64-bit sums: saved places come from a file and may be anywhere.
    const auto visible = [](qint64 start, qint64 length, qint64 areaStart, qint64 areaLength) {
        return std::min(start + length, areaStart + areaLength) - std::max(start, areaStart);
    };
    int left = saved.left, top = saved.top;
    if (visible(left, width, screen.x(), screen.width()) < 100 ||
        visible(top, height, screen.y(), screen.height()) < 50) {
        const auto inside = [](qint64 start, qint64 length, qint64 areaStart, qint64 areaLength) {
            return static_cast<int>(
                std::max(areaStart, std::min(start, areaStart + areaLength - length)));
        };
        left = inside(left, width, screen.x(), screen.width());
        top = inside(top, height, screen.y(), screen.height());
    }
    return QRect(left, top, width, height);
}

} // namespace velmora
