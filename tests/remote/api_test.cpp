// The remote control's requests answered without a socket: who may ask, every path and method,
// bad bodies and bad titles, each against a live desk of two pages; OSC messages read as the
// requests they stand for; the settings section.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "live/rundown.h"
#include "live/desk.h"
#include "remote/api.h"
#include "remote/osc.h"
#include "remote/remote_settings.h"
#include "test_support.h"

namespace {

using velmora::remote::Access;
using velmora::remote::Request;
using velmora::remote::Response;

velmora::PageImage pageOf(const QString& text) {
    velmora::PageImage p;
    p.lines[0].Text = text;
    p.lines[0].attrs.InUse = true;
    p.lines[0].attrs.FontSize = 20;
    p.lines[0].attrs.FontColor = platform::clWhite;
    return p;
}

struct Caller : velmora::remote::Operator {
    velmora::live::LiveDesk* liveDesk() override { return open ? live : nullptr; }
    bool setText(int row, int line, const QString& text, QString*) override {
        edits << QStringLiteral("%1/%2/%3").arg(row).arg(line).arg(text);
        return true;
    }
    QByteArray remotePage() override { return "<html>remote</html>"; }
    velmora::live::LiveDesk* live = nullptr;
    bool open = true;
    QStringList edits;
};

struct Remote : ::testing::Test {
    Remote()
        : frame(64, 48, platform::PixelFormat::Bits32),
          desk({"000", "001"}, {pageOf("One"), pageOf("Two")}, {},
                  platform::StageView::fit(320, 240, 64, 48), silent, frame, 16666666, clock,
                  [](const QRect&) {}) {
        caller.live = &desk;
        desk.show().start();
    }
    Response ask(const char* method, const char* path, const QByteArray& body = {},
                 const QByteArray& auth = {}, bool local = true, const char* query = "") {
        Request r;
        r.method = method;
        r.path = path;
        r.query = query;
        r.body = body;
        r.authorization = auth;
        r.fromThisComputer = local;
        return velmora::remote::handle(r, access, caller);
    }
    QJsonObject state() { return QJsonDocument::fromJson(desk.stateJson()).object(); }

    testsupport::Seams seams;
    platform::Bitmap frame;
    velmora::live::SilentControl silent;
    platform::ManualClock clock;
    velmora::live::LiveDesk desk;
    Caller caller;
    Access access;
};

// Each request, what it is answered and what it leaves on air and cued.
TEST_F(Remote, EachPathAndMethodIsAnsweredAndOnlyValidRequestsAct) {
    struct Row {
        const char* method;
        const char* path;
        QByteArray body;
        int status;
        const char* onAir; // "" for none
        const char* cued;
    };
    const Row rows[] = {
        {"GET", "/api/state", {}, 200, "", "000"},
        {"POST", "/api/state", {}, 405, "", "000"},
        {"POST", "/api/cue/001", {}, 200, "", "001"},
        {"POST", "/api/cue/1", {}, 200, "", "001"},
        {"POST", "/api/cue/002", {}, 404, "", "001"},
        {"POST", "/api/cue/-1", {}, 404, "", "001"},
        {"POST", "/api/cue/0001", {}, 404, "", "001"},
        {"POST", "/api/cue/%30%30%30", {}, 200, "", "000"}, // "000" percent-encoded
        {"GET", "/api/cue/001", {}, 405, "", "000"},
        {"POST", "/api/take", {}, 200, "000", "001"},
        {"GET", "/api/take", {}, 405, "000", "001"},
        {"POST", "/api/take/now", {}, 404, "000", "001"},
        {"POST", "/api/next", {}, 200, "000", "001"},
        {"POST", "/api/clear", {}, 200, "", "001"},
        {"POST", "/api/take", {}, 200, "001", ""},
        {"POST", "/api/cut", {}, 200, "", ""},
        {"POST", "/api/../api/take", {}, 404, "", ""},
        {"GET", "/etc/passwd", {}, 404, "", ""},
        {"GET", "/api", {}, 404, "", ""},
        {"GET", "api/state", {}, 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", R"({"text":"Edited"})", 200, "", ""},
        {"POST", "/api/pages/000/lines/1", R"({"text":"Edited"})", 405, "", ""},
        {"PUT", "/api/pages/000/lines/4", R"({"text":"x"})", 404, "", ""},
        {"PUT", "/api/pages/000/lines/01", R"({"text":"x"})", 404, "", ""},
        {"PUT", "/api/pages/007/lines/1", R"({"text":"x"})", 404, "", ""},
        {"PUT", "/api/pages/000/lines/1", R"({"text":"x")", 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", R"(["text"])", 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", R"({"text":5})", 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", R"({"text":"two\nlines"})", 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", "{\"text\":\"a\u0085b\"}", 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", "{\"text\":\"" + QByteArray(81, 'a') + "\"}", 400, "", ""},
        {"PUT", "/api/pages/000/lines/1", "{\"text\":\"" + QByteArray(80, 'a') + "\"}", 200, "", ""},
        {"PUT", "/api/pages/000/lines/1", QByteArray(64 * 1024 + 1, ' '), 413, "", ""},
    };
    for (const Row& r : rows) {
        const Response a = ask(r.method, r.path, r.body);
        const QJsonObject s = state();
        EXPECT_EQ(a.status, r.status) << r.method << " " << r.path << ": " << a.body.constData();
        EXPECT_EQ(s["onAir"].toString(), QString(r.onAir)) << r.method << " " << r.path;
        EXPECT_EQ(s["cued"].toString(), QString(r.cued)) << r.method << " " << r.path;
        if (r.status == 200) {
            EXPECT_EQ(a.body, desk.stateJson()) << r.path;
        }
        if (r.status == 405) {
            EXPECT_FALSE(a.headers.isEmpty()) << "no Allow: " << r.path;
        }
        if (r.status >= 400) {
            EXPECT_FALSE(QJsonDocument::fromJson(a.body).object()["error"].toString().isEmpty())
                << r.path;
        }
    }
    // Only the two good edits reached the desk.
    EXPECT_EQ(caller.edits, QStringList({"0/1/Edited", "0/1/" + QString(80, 'a')}));
    const Response page = ask("GET", "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.contentType.startsWith("text/html"));
    EXPECT_EQ(page.body, "<html>remote</html>");

    caller.open = false;
    EXPECT_EQ(ask("POST", "/api/take").status, 409);
    EXPECT_EQ(ask("GET", "/api/state").status, 409);
    EXPECT_EQ(ask("GET", "/api/nothing").status, 404);
    EXPECT_EQ(ask("PUT", "/api/pages/000/lines/1", R"({"text":"x"})").status, 409);
}

// This computer only: another computer is refused. The network: the token from everyone.
TEST_F(Remote, TheNetworkNeedsTheTokenAndThisComputerOnlyRefusesOthers) {
    EXPECT_EQ(ask("POST", "/api/take", {}, {}, /*local=*/false).status, 403);
    EXPECT_EQ(state()["onAir"].toString(), "");
    access = {true, "s3cret-token"};
    struct Row {
        QByteArray auth;
        const char* query;
        bool local;
        int status;
    };
    const Row rows[] = {
        {{}, "", false, 401},
        {{}, "", true, 401},
        {"Bearer wrong", "", false, 401},
        {"Bearer s3cret-toke", "", false, 401},
        {"Bearer s3cret-tokenX", "", false, 401},
        {"Basic s3cret-token", "", false, 401},
        {{}, "token=wrong", false, 401},
        {"Bearer s3cret-token", "", false, 200},
        {"bearer  s3cret-token ", "", true, 200},
        {{}, "token=s3cret-token", false, 200},
        {{}, "x=1&token=s3cret%2Dtoken", false, 200},
    };
    int taken = 0;
    for (const Row& r : rows) {
        const Response a = ask("POST", "/api/cue/000", {}, r.auth, r.local, r.query);
        EXPECT_EQ(a.status, r.status) << r.auth.constData() << " " << r.query;
        if (a.status == 401) {
            EXPECT_EQ(ask("POST", "/api/take", {}, r.auth, r.local, r.query).status, 401);
            EXPECT_EQ(ask("GET", "/", {}, r.auth, r.local, r.query).status, 401);
        } else {
            ++taken;
        }
    }
    EXPECT_EQ(taken, 4);
    EXPECT_EQ(state()["onAir"].toString(), ""); // no refused take acted
    // A token never matches an empty one.
    access = {true, ""};
    EXPECT_EQ(ask("GET", "/api/state", {}, "Bearer ").status, 401);
}

// OSC's bytes: an address padded to four bytes, a type tag string, the arguments big-endian.
QByteArray oscString(const QByteArray& s) {
    QByteArray b = s;
    b.append('\0');
    while (b.size() % 4) b.append('\0');
    return b;
}
QByteArray oscInt(std::int32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((std::uint32_t(v) >> (24 - 8 * i)) & 0xFF);
    return b;
}
QByteArray oscFloat(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return oscInt(std::int32_t(u));
}
QByteArray osc(const QByteArray& address, const QByteArray& types, const QByteArray& args = {}) {
    return oscString(address) + oscString("," + types) + args;
}

TEST(Osc, MessagesAreTheRequestsTheyStandFor) {
    struct Row {
        QByteArray datagram;
        const char* method; // "" for no request
        const char* path;
        QByteArray body;
    };
    const Row rows[] = {
        {osc("/velmora/take", ""), "POST", "/api/take", {}},
        {osc("/velmora/clear", ""), "POST", "/api/clear", {}},
        {osc("/velmora/cut", ""), "POST", "/api/cut", {}},
        {osc("/velmora/next", ""), "POST", "/api/next", {}},
        {osc("/velmora/cue", "i", oscInt(12)), "POST", "/api/cue/012", {}},
        {osc("/velmora/cue", "f", oscFloat(3)), "POST", "/api/cue/003", {}},
        {osc("/velmora/cue", "h", oscInt(0) + oscInt(5)), "POST", "/api/cue/005", {}}, // 64 bits
        {osc("/velmora/cue", "s", oscString("7")), "POST", "/api/cue/007", {}},
        {osc("/velmora/cue", "f", oscFloat(2.5f)), "", "", {}},
        {osc("/velmora/cue", "i", oscInt(1000)), "", "", {}},
        {osc("/velmora/cue", "i", oscInt(-1)), "", "", {}},
        {osc("/velmora/cue", ""), "", "", {}},
        {osc("/velmora/take", "i", oscInt(1)), "", "", {}},
        {osc("/velmora/text", "iis", oscInt(1) + oscInt(2) + oscString("Héllo")), "PUT",
         "/api/pages/001/lines/2", R"({"text":"Héllo"})"},
        {osc("/velmora/text", "iis", oscInt(1) + oscInt(4) + oscString("x")), "", "", {}},
        {osc("/velmora/text", "iii", oscInt(1) + oscInt(1) + oscInt(1)), "", "", {}},
        {osc("/velmora/other", ""), "", "", {}},
        {osc("/velmora/take/x", ""), "", "", {}},
        {oscString("#bundle") + oscInt(0) + oscInt(1), "", "", {}},
        {osc("/velmora/cue", "i"), "", "", {}}, // the argument missing
        {QByteArray("/vel"), "", "", {}},
        {QByteArray(), "", "", {}},
        {QByteArray(7, '/'), "", "", {}},
    };
    for (const Row& r : rows) {
        const std::optional<Request> q = velmora::remote::oscRequest(r.datagram);
        ASSERT_EQ(q.has_value(), *r.method != 0) << r.datagram.toHex().constData();
        if (!q) continue;
        EXPECT_EQ(q->method, r.method);
        EXPECT_EQ(q->path, r.path);
        EXPECT_EQ(QString::fromUtf8(q->body), QString::fromUtf8(r.body));
    }
}

TEST(RemoteSettings, ReadAsWrittenWithSafeDefaults) {
    testsupport::TempDir dir;
    const QString file = dir.file("velmora.ini");
    EXPECT_EQ(velmora::remote::readRemoteSettings(file), velmora::remote::RemoteSettings{});
    ASSERT_TRUE(testsupport::writeFile(file, "[VELMORA Options]\nDir=/x/\n[VELMORA Remote]\nEnabled=1\nPort=70000\n"));
    velmora::remote::RemoteSettings s = velmora::remote::readRemoteSettings(file);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.port, 8610); // out of range
    EXPECT_FALSE(s.network);
    s.port = 9000;
    s.network = true;
    s.oscFromNetwork = true;
    s.token = velmora::remote::newToken();
    EXPECT_EQ(s.token.size(), 32);
    EXPECT_NE(s.token, velmora::remote::newToken());
    ASSERT_TRUE(velmora::remote::writeRemoteSettings(file, s));
    EXPECT_EQ(velmora::remote::readRemoteSettings(file), s);
    EXPECT_TRUE(testsupport::readFile(file).contains("Dir=/x/")); // the rest is kept
}

} // namespace
