#include "remote/remote_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include "platform/IniFile.h"

namespace velmora::remote {

namespace {
const QString Section = QStringLiteral("VELMORA Remote");
}

RemoteSettings readRemoteSettings(const QString& settingsFile) {
    RemoteSettings s;
    if (!QFileInfo::exists(settingsFile)) return s;
    const platform::IniFile ini(settingsFile);
    s.enabled = ini.readBool(Section, QStringLiteral("Enabled"), false);
    const int port = ini.readInteger(Section, QStringLiteral("Port"), DefaultPort);
    s.port = port >= 1 && port <= 65535 ? port : DefaultPort;
    s.network = ini.readBool(Section, QStringLiteral("Network"), false);
    s.oscFromNetwork = ini.readBool(Section, QStringLiteral("OscFromNetwork"), false);
    s.token = ini.readString(Section, QStringLiteral("Token"), QString()).trimmed();
    return s;
}

bool writeRemoteSettings(const QString& settingsFile, const RemoteSettings& s) {
    QDir().mkpath(QFileInfo(settingsFile).absolutePath());
    platform::IniFile ini(settingsFile);
    return ini.writeBool(Section, QStringLiteral("Enabled"), s.enabled) &&
           ini.writeInteger(Section, QStringLiteral("Port"), s.port) &&
           ini.writeBool(Section, QStringLiteral("Network"), s.network) &&
           ini.writeBool(Section, QStringLiteral("OscFromNetwork"), s.oscFromNetwork) &&
           ini.writeString(Section, QStringLiteral("Token"), s.token);
}

QString newToken() {
    QString t;
    for (int i = 0; i < 4; ++i)
        t += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    return t;
}

} // namespace velmora::remote
