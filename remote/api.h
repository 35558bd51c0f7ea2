#pragma once
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The remote control's requests, checked and answered without any socket: what the HTTP server
// and the OSC listener hand over, and what the fuzz target feeds.
namespace velmora::live {
class LiveDesk;
}

namespace velmora::remote {

// The largest body a request may carry.
constexpr qsizetype MaxBody = 64 * 1024;

struct Request {
    QByteArray method;        // "GET", "POST", "PUT", ...
    QByteArray path;          // "/api/take", as sent (percent-encoded)
    QByteArray query;         // after '?', as sent
    QByteArray authorization; // the Authorization header's value
    QByteArray body;
    bool fromThisComputer = true; // the peer is a loopback address
};

struct Response {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // beside the content type
};

// Who may ask: with the network chosen, every request needs the token, from wherever it comes;
// without it, only this computer is listened to, and a request from elsewhere is refused.
struct Access {
    bool network = false;
    QByteArray token;
};
// Whether the request may go on; otherwise its answer (401, or 403 from another computer
// while only this computer is chosen).
bool allowed(const Request& r, const Access& a, Response* refusal);

// What the remote asks of the program beside the live desk.
class Operator {
public:
    virtual ~Operator() = default;
    // The Live window's desk; null while the Live window is not open.
    virtual live::LiveDesk* liveDesk() = 0;
    // Line `line` (1..3) of the page in rundown row `row` takes the text, as an edit of the
    // page; false with the reason when it cannot be.
    virtual bool setText(int row, int line, const QString& text, QString* why) = 0;
    // The web remote's page.
    virtual QByteArray remotePage() = 0;
};

// Answers one request: the access checked first, then the path, the method and the body, and
// only a request that passes every check acts.
Response handle(const Request& r, const Access& a, Operator& op);

// Why a title cannot be a line's text, as the title box takes it: more characters than a page
// keeps of a title, or a control character; empty when it can.
QString titleProblem(const QString& text);

} // namespace velmora::remote
