// The remote control's requests: the input is up to eight HTTP requests (separated by the byte
// 0x1E; each a method line, a path line with its query, an Authorization line, a line whose
// first byte chooses whether it comes from this computer and whether the network with its token
// is chosen, then the body), and the whole input once more as an OSC datagram. Each is answered
// by the same handler the server uses, against a live desk of three pages whose frames are
// drawn between requests, the edits it accepts reaching the pages on the stage. Promises: an
// answer is one of the statuses the API knows; a refused request changes nothing; with the
// network chosen nothing is done without the token; an accepted answer is the state as JSON.
#include <cstdint>
#include <QJsonDocument>

#include "fuzz/fuzz_support.h"
#include "live/rundown.h"
#include "live/desk.h"
#include "remote/api.h"
#include "remote/osc.h"

using namespace velmora;
using fuzzsupport::require;

namespace {

PageImage pageOf(const QString& text, int in, int out) {
    PageImage p;
    p.lines[0].Text = text;
    p.lines[0].attrs.InUse = true;
    p.lines[0].attrs.FontSize = 24;
    p.lines[0].attrs.FontColor = platform::clWhite;
    p.lines[0].attrs.InDirection = std::uint8_t(in);
    p.lines[0].attrs.OutDirection = std::uint8_t(out);
    p.lines[0].PosX = 40;
    p.lines[0].PosY = 60;
    p.settings.fadedelay = 300;
    return p;
}

// As the program's desk does for a page not in the editor: the text goes to the page, and the
// desk draws it where the page stands.
struct Caller : remote::Operator {
    live::LiveDesk* liveDesk() override { return live; }
    bool setText(int row, int line, const QString& text, QString*) override {
        require(row >= 0 && row < live->onAir().rows() && line >= 1 && line <= 3,
                "an edit names a page and a line that exist");
        require(remote::titleProblem(text).isEmpty(), "an edit's text is a title");
        PageImage page = live->onAir().page(row);
        page.lines[std::size_t(line - 1)].Text = text;
        page.lines[std::size_t(line - 1)].attrs.InUse = !text.isEmpty();
        page.lines[std::size_t(line - 1)].attrs.FontSize = 24;
        live->edit(row, page);
        ++edits;
        return true;
    }
    QByteArray remotePage() override { return "<html></html>"; }
    live::LiveDesk* live = nullptr;
    int edits = 0;
};

bool knownStatus(int s) {
    for (int k : {200, 400, 401, 403, 404, 405, 409, 413})
        if (s == k) return true;
    return false;
}

void check(const remote::Request& r, const remote::Access& a, Caller& caller, live::LiveDesk& s) {
    const QByteArray before = s.stateJson();
    const int edits = caller.edits;
    const remote::Response answer = remote::handle(r, a, caller);
    require(knownStatus(answer.status), "the answer's status is one the API knows");
    if (answer.status != 200) {
        require(s.stateJson() == before && caller.edits == edits, "a refused request changes nothing");
        return;
    }
    if (a.network)
        require((r.authorization + r.query).contains(a.token),
                "with the network chosen nothing is done without the token");
    if (r.path == "/" || r.path == "/index.html") return;
    require(answer.body == s.stateJson(), "an accepted request is answered with the state");
    require(QJsonDocument::fromJson(answer.body).isObject(), "the state is a JSON object");
}

} // namespace

FUZZ_START_GUI_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    velmora::live::SilentControl silent;
    platform::ManualClock clock;
    platform::Bitmap frame(64, 48, platform::PixelFormat::Bits32);
    live::LiveDesk desk({"000", "001", "002"},
                              {pageOf("One", 5, 6), pageOf("Two", 1, 3), pageOf("Three", 12, 12)}, {},
                              platform::StageView::fit(320, 240, 64, 48), silent, frame, 16666666,
                              clock, [](const QRect&) {});
    desk.show().start();
    Caller caller;
    caller.live = &desk;
    const auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            clock.now += 16666666;
            desk.show().wake();
            desk.framePresented();
        }
    };
    const QList<QByteArray> requests = input.split('\x1e');
    for (qsizetype i = 0; i < requests.size() && i < 8; ++i) {
        const QList<QByteArray> lines = requests[i].split('\n');
        remote::Request r;
        r.method = lines.value(0);
        const QByteArray target = lines.value(1);
        const qsizetype q = target.indexOf('?');
        r.path = q < 0 ? target : target.left(q);
        r.query = q < 0 ? QByteArray() : target.mid(q + 1);
        r.authorization = lines.value(2);
        const QByteArray flags = lines.value(3);
        const char f = flags.isEmpty() ? 0 : flags[0];
        r.fromThisComputer = f & 1;
        remote::Access access;
        if (f & 2) access = {true, "tok"};
        // The rest is the body, its line breaks kept.
        qsizetype at = 0;
        for (int k = 0; k < 4 && at >= 0; ++k) {
            at = requests[i].indexOf('\n', at);
            if (at >= 0) ++at;
        }
        r.body = at >= 0 ? requests[i].mid(at) : QByteArray();
        check(r, access, caller, desk);
        frames(1 + int(f >> 2 & 7) * 4);
    }
    if (std::optional<remote::Request> r = remote::oscRequest(input)) {
        require(r->method == "POST" || r->method == "PUT", "an OSC message is a command or an edit");
        check(*r, remote::Access{}, caller, desk);
        frames(3);
    }
    return 0;
}
