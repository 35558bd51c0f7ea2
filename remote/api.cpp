#include "remote/api.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include "live/on_air.h"
#include "live/desk.h"
#include "model/page_file.h"

namespace velmora::remote {

namespace {

Response json(int status, const QByteArray& body) {
    Response r;
    r.status = status;
    r.body = body;
    return r;
}

Response error(int status, const QString& why) {
    return json(status, QJsonDocument(QJsonObject{{"error", why}}).toJson(QJsonDocument::Compact));
}

// Compares without stopping at the first difference, so the time taken tells nothing.
bool sameToken(const QByteArray& a, const QByteArray& b) {
    if (a.isEmpty() || a.size() != b.size()) return false;
    unsigned char d = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        d |= static_cast<unsigned char>(a[i] ^ b[i]);
    return d == 0;
}

QByteArray tokenOf(const Request& r) {
    const QByteArray auth = r.authorization.trimmed();
    if (auth.size() > 7 && auth.left(7).compare("Bearer ", Qt::CaseInsensitive) == 0)
        return auth.mid(7).trimmed();
    const QUrlQuery q(QString::fromLatin1(r.query));
    return q.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toUtf8();
}

// A page number of three digits as the rundown names pages.
int rowOfPage(const live::OnAir& air, const QString& number) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!digits.match(number).hasMatch()) return -1;
    return air.rowOfNumber(number);
}

Response methodNotAllowed(const char* allow) {
    Response r = error(405, QStringLiteral("this path takes %1").arg(QLatin1String(allow)));
    r.headers.append(qMakePair(QByteArray("Allow"), QByteArray(allow)));
    return r;
}

} // namespace

QString titleProblem(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return QStringLiteral("a title cannot hold control characters");
    if (perceivedLength(text) > pagelayout::TextChars)
        return QStringLiteral("a title holds at most %1 characters").arg(pagelayout::TextChars);
    return {};
}

bool allowed(const Request& r, const Access& a, Response* refusal) {
    if (!a.network && !r.fromThisComputer) {
        if (refusal) *refusal = error(403, QStringLiteral("the remote listens to this computer only"));
        return false;
    }
    if (a.network && !sameToken(tokenOf(r), a.token)) {
        if (refusal) {
            *refusal = error(401, QStringLiteral("the token is missing or wrong"));
            refusal->headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Bearer")));
        }
        return false;
    }
    return true;
}

Response handle(const Request& r, const Access& a, Operator& op) {
    Response refusal;
    if (!allowed(r, a, &refusal)) return refusal;
    if (r.body.size() > MaxBody)
        return error(413, QStringLiteral("a request body holds at most 64 KiB"));
    const QString path = QUrl::fromPercentEncoding(r.path);
    const QStringList parts = path.split(QLatin1Char('/'));
    // parts[0] is the empty text before the first '/'.
    if (!path.startsWith(QLatin1Char('/'))) return error(400, QStringLiteral("the path must start with /"));

    if (path == QLatin1String("/") || path == QLatin1String("/index.html")) {
        if (r.method != "GET") return methodNotAllowed("GET");
        Response page;
        page.contentType = "text/html; charset=utf-8";
        page.body = op.remotePage();
        return page;
    }
    if (parts.size() < 3 || parts[1] != QLatin1String("api"))
        return error(404, QStringLiteral("no such path"));

    live::LiveDesk* s = op.liveDesk();
    const QString& what = parts[2];
    const bool command = parts.size() == 3 &&
                         (what == QLatin1String("take") || what == QLatin1String("clear") ||
                          what == QLatin1String("cut") || what == QLatin1String("next"));
    const bool cue = parts.size() == 4 && what == QLatin1String("cue");
    const bool state = parts.size() == 3 && what == QLatin1String("state");
    const bool text = parts.size() == 6 && what == QLatin1String("pages") &&
                      parts[4] == QLatin1String("lines");
    if (!command && !cue && !state && !text) return error(404, QStringLiteral("no such path"));
    if (state && r.method != "GET") return methodNotAllowed("GET");
    if ((command || cue) && r.method != "POST") return methodNotAllowed("POST");
    if (text && r.method != "PUT") return methodNotAllowed("PUT");
    if (!s) return error(409, QStringLiteral("the Live window is not open"));

    if (state) return json(200, s->stateJson());
    if (command) {
        if (what == QLatin1String("take")) s->take();
        else if (what == QLatin1String("clear")) s->clear();
        else if (what == QLatin1String("cut")) s->cut();
        else s->next();
        return json(200, s->stateJson());
    }
    const int row = rowOfPage(s->onAir(), parts[3]);
    if (row < 0) return error(404, QStringLiteral("no page %1").arg(parts[3]));
    if (cue) {
        s->cue(row);
        return json(200, s->stateJson());
    }
    bool numeric = false;
    const int line = parts[5].toInt(&numeric);
    if (!numeric || parts[5].size() != 1 || line < 1 || line > 3)
        return error(404, QStringLiteral("a page has lines 1, 2 and 3"));
    QJsonParseError parse;
    const QJsonDocument body = QJsonDocument::fromJson(r.body, &parse);
    if (parse.error != QJsonParseError::NoError || !body.isObject())
        return error(400, QStringLiteral("the body must be a JSON object like {\"text\": \"...\"}"));
    const QJsonValue value = body.object().value(QStringLiteral("text"));
    if (!value.isString()) return error(400, QStringLiteral("\"text\" must be a string"));
    const QString title = value.toString();
    if (const QString why = titleProblem(title); !why.isEmpty()) return error(400, why);
    QString why;
    if (!op.setText(row, line, title, &why)) return error(409, why);
    return json(200, s->stateJson());
}

} // namespace velmora::remote
