#include "main/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include "platform/IniFile.h"

namespace velmora {

namespace {
const QString Section = QStringLiteral("VELMORA Options");
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

QString birthText(const QDateTime& when) {
    const QLocale loc = QLocale::system();
    return loc.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           loc.toString(when.time(), QLocale::LongFormat);
}

} // namespace velmora
