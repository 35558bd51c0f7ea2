#pragma once
#include <QString>

namespace velmora::remote {

// The remote control's settings, in the settings file's section "[VELMORA Remote]": Enabled,
// Port, Network, Token and OscFromNetwork.
struct RemoteSettings {
    bool enabled = false;
    int port = 8610;
    bool network = false;        // listen on the network, every request with the token
    bool oscFromNetwork = false; // OSC, which has no token, from the network too
    QString token;

    bool operator==(const RemoteSettings&) const = default;
};

constexpr int DefaultPort = 8610;

// Read from the settings file; a port outside 1..65535 reads as the default.
RemoteSettings readRemoteSettings(const QString& settingsFile);
// Written into the settings file, the rest of it kept.
bool writeRemoteSettings(const QString& settingsFile, const RemoteSettings& s);
// A new token: 32 hexadecimal digits from the system's random source.
QString newToken();

} // namespace velmora::remote
