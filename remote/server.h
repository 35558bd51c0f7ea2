#pragma once
#include <memory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "remote/api.h"
#include "remote/remote_settings.h"

class QUdpSocket;
class QWebSocket;

namespace velmora::remote {

class HttpListener;

// The remote control's listeners: HTTP and the WebSocket of events on the port, OSC over UDP on
// the same port; on this computer only (127.0.0.1 and ::1) unless the network is chosen. Each
// request is checked and answered by handle(); no widget is involved.
// The web remote's page, shipped with the program.
QByteArray webRemotePage();

class RemoteServer : public QObject {
    Q_OBJECT

public:
    explicit RemoteServer(Operator& op);
    ~RemoteServer() override;

    // Listens as the settings say (nothing while they are off); false with the reason when the
    // port cannot be had.
    bool apply(const RemoteSettings& settings, QString* why);
    void stop();
    const RemoteSettings& settings() const { return settings_; }

    // The live desk whose changes the WebSocket sends (null: none).
    void follow(live::LiveDesk* desk);
    // Sends the state to every WebSocket.
    void broadcast();

    // One request, as the HTTP listener hands it over.
    Response answer(const Request& r);

private:
    void newWebSocket();
    void readOsc(QUdpSocket* socket);
    Access access() const;
    // The state the WebSocket sends.
    QByteArray currentState() const;

    Operator& op_;
    RemoteSettings settings_;
    std::unique_ptr<HttpListener> http_;
    std::vector<std::unique_ptr<QUdpSocket>> osc_;
    std::vector<std::unique_ptr<QWebSocket>> sockets_;
    QPointer<live::LiveDesk> desk_;
    QMetaObject::Connection followed_;
};

} // namespace velmora::remote
