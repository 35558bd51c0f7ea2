#include "remote/server.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QUrlQuery>
#include <QWebSocket>

#include "live/desk.h"
#include "remote/osc.h"

// The page is a resource of this static library, registered from here, outside the namespace
// (Q_INIT_RESOURCE declares its function where it is used): else the linker leaves it out.
static void registerRemotePage() {
    Q_INIT_RESOURCE(remote);
}

namespace velmora::remote {

namespace {

QByteArray methodName(QHttpServerRequest::Method m) {
    switch (m) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    case QHttpServerRequest::Method::Connect: return "CONNECT";
    case QHttpServerRequest::Method::Trace: return "TRACE";
    default: return "UNKNOWN";
    }
}

QHttpServerResponder::StatusCode statusOf(int s) {
    return static_cast<QHttpServerResponder::StatusCode>(s);
}

} // namespace

// Every HTTP request goes to the server's answer; there are no routes of Qt's.
class HttpListener : public QAbstractHttpServer {
public:
    explicit HttpListener(RemoteServer& owner) : owner_(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        // An upgrade to a WebSocket is answered by the WebSocket's own handshake, and checked
        // once it is one: nothing may be written here.
        if (request.value(QByteArrayLiteral("upgrade")).compare("websocket", Qt::CaseInsensitive) == 0)
            return true;
        Request r;
        r.method = methodName(request.method());
        r.path = request.url().path(QUrl::FullyEncoded).toUtf8();
        r.query = request.url().query(QUrl::FullyEncoded).toUtf8();
        r.authorization = request.value(QByteArrayLiteral("authorization"));
        r.body = request.body();
        r.fromThisComputer = socket->peerAddress().isLoopback();
        const Response a = owner_.answer(r);
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(statusOf(a.status));
        responder.writeHeader(QByteArrayLiteral("Content-Type"), a.contentType);
        responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(a.body.size()));
        responder.writeHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store"));
        for (const auto& h : a.headers)
            responder.writeHeader(h.first, h.second);
        responder.writeBody(a.body);
        return true;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    RemoteServer& owner_;
};

QByteArray webRemotePage() {
    static const bool registered = (registerRemotePage(), true);
    (void)registered;
    QFile f(QStringLiteral(":/remote/remote.html"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

RemoteServer::RemoteServer(Operator& op) : op_(op) {}

RemoteServer::~RemoteServer() {
    stop();
}

Access RemoteServer::access() const {
    return {settings_.network, settings_.token.toUtf8()};
}

QByteArray RemoteServer::currentState() const {
    // While the Live window is closed there is nothing on air, nothing cued and no rundown.
    return desk_ ? desk_->stateJson()
                 : QByteArrayLiteral(R"({"onAir":null,"cued":null,"moving":false,"pages":[],"live":false})");
}

void RemoteServer::stop() {
    for (auto& s : sockets_)
        s->abort();
    sockets_.clear();
    osc_.clear();
    http_.reset();
}

bool RemoteServer::apply(const RemoteSettings& settings, QString* why) {
    stop();
    settings_ = settings;
    if (!settings.enabled) return true;
    if (settings.network && settings.token.isEmpty()) {
        if (why) *why = QStringLiteral("Listening on the network needs a token.");
        return false;
    }
    const auto port = quint16(settings.port);
    auto http = std::make_unique<HttpListener>(*this);
    std::vector<QHostAddress> where;
    if (settings.network) where = {QHostAddress(QHostAddress::Any)};
    else where = {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
    int bound = 0;
    for (const QHostAddress& a : where) {
        auto* tcp = new QTcpServer(http.get());
        if (tcp->listen(a, port)) {
            http->bind(tcp);
            ++bound;
        } else {
            delete tcp;
        }
    }
    if (bound == 0) {
        if (why) *why = QStringLiteral("The port %1 is taken or cannot be used.").arg(port);
        return false;
    }
    connect(http.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            [this] { newWebSocket(); });
    http_ = std::move(http);
    // OSC: from the network only when that is chosen as well.
    std::vector<QHostAddress> oscWhere = where;
    if (settings.network && !settings.oscFromNetwork)
        oscWhere = {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
    for (const QHostAddress& a : oscWhere) {
        auto udp = std::make_unique<QUdpSocket>();
        if (!udp->bind(a, port)) continue;
        QUdpSocket* raw = udp.get();
        connect(raw, &QUdpSocket::readyRead, this, [this, raw] { readOsc(raw); });
        osc_.push_back(std::move(udp));
    }
    return true;
}

Response RemoteServer::answer(const Request& r) {
    return handle(r, access(), op_);
}

void RemoteServer::follow(live::LiveDesk* desk) {
    disconnect(followed_);
    desk_ = desk;
    if (desk) followed_ = connect(desk, &live::LiveDesk::changed, this, [this] { broadcast(); });
    broadcast();
}

void RemoteServer::broadcast() {
    const QByteArray state = currentState();
    for (auto& s : sockets_)
        s->sendTextMessage(QString::fromUtf8(state));
}

void RemoteServer::newWebSocket() {
    while (http_ && http_->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> s = http_->nextPendingWebSocketConnection();
        if (!s) continue;
        // The upgrade is checked as any request: its path, and who asks.
        Request r;
        r.method = "GET";
        r.path = s->requestUrl().path(QUrl::FullyEncoded).toUtf8();
        r.query = s->requestUrl().query(QUrl::FullyEncoded).toUtf8();
        r.authorization = s->request().rawHeader("Authorization");
        r.fromThisComputer = s->peerAddress().isLoopback();
        Response refusal;
        if (r.path != "/api/events") {
            s->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("no such path"));
            continue;
        }
        if (!allowed(r, access(), &refusal)) {
            s->close(QWebSocketProtocol::CloseCodePolicyViolated, QString::fromUtf8(refusal.body));
            continue;
        }
        QWebSocket* raw = s.get();
        connect(raw, &QWebSocket::disconnected, this, [this, raw] {
            std::erase_if(sockets_, [raw](const auto& p) { return p.get() == raw; });
        });
        raw->sendTextMessage(QString::fromUtf8(currentState()));
        sockets_.push_back(std::move(s));
    }
}

void RemoteServer::readOsc(QUdpSocket* socket) {
    while (socket->hasPendingDatagrams()) {
        QHostAddress from;
        QByteArray datagram(int(std::max<qint64>(socket->pendingDatagramSize(), 0)), '\0');
        const qint64 n = socket->readDatagram(datagram.data(), datagram.size(), &from);
        if (n < 0) continue;
        datagram.truncate(int(n));
        std::optional<Request> r = oscRequest(datagram);
        if (!r) continue;
        // OSC carries no token: who may send is decided by where the socket listens.
        r->fromThisComputer = true;
        handle(*r, Access{}, op_);
    }
}

} // namespace velmora::remote
