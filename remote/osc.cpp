#include "remote/osc.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <lo/lo_lowlevel.h>
#include <memory>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <vector>

namespace velmora::remote {

namespace {

struct FreeMessage {
    void operator()(lo_message m) const { lo_message_free(m); }
};

template <typename T>
T valueAt(const lo_arg* arg) {
    // The arguments lie four bytes apart in the message: a 64-bit one may be misaligned.
    T v;
    std::memcpy(&v, arg, sizeof v);
    return v;
}

// A whole number argument: an int, an integral float, or a string of digits.
std::optional<int> wholeNumber(char type, lo_arg* arg) {
    switch (type) {
    case LO_INT32:
        return valueAt<std::int32_t>(arg);
    case LO_INT64: {
        const auto h = valueAt<std::int64_t>(arg);
        if (h < 0 || h > 100000) return std::nullopt;
        return int(h);
    }
    case LO_FLOAT: {
        const auto f = valueAt<float>(arg);
        if (!std::isfinite(f) || f != std::floor(f) || std::fabs(f) > 100000) return std::nullopt;
        return int(f);
    }
    case LO_STRING: {
        bool ok = false;
        const int v = QString::fromUtf8(&arg->s).toInt(&ok);
        if (!ok) return std::nullopt;
        return v;
    }
    default:
        return std::nullopt;
    }
}

QByteArray pageNumber(int n) {
    return QByteArray::number(n).rightJustified(3, '0');
}

} // namespace

std::optional<Request> oscRequest(const QByteArray& datagram) {
    // The address pattern: a string ending in NUL, padded to four bytes.
    if (datagram.size() < 4 || datagram.size() % 4 != 0 || datagram[0] != '/') return std::nullopt;
    const qsizetype end = datagram.indexOf('\0');
    if (end < 0) return std::nullopt;
    const QByteArray address = datagram.left(end);
    std::vector<char> bytes(datagram.begin(), datagram.end());
    int result = 0;
    std::unique_ptr<std::remove_pointer_t<lo_message>, FreeMessage> m(
        lo_message_deserialise(bytes.data(), bytes.size(), &result));
    if (!m || result != 0) return std::nullopt;
    const char* types = lo_message_get_types(m.get());
    const int argc = lo_message_get_argc(m.get());
    lo_arg** argv = lo_message_get_argv(m.get());
    if (!types || int(std::strlen(types)) != argc) return std::nullopt;

    Request r;
    r.method = "POST";
    for (const char* command : {"take", "clear", "cut", "next"}) {
        if (address == QByteArray("/velmora/") + command && argc == 0) {
            r.path = QByteArray("/api/") + command;
            return r;
        }
    }
    if (address == "/velmora/cue" && argc == 1) {
        const std::optional<int> page = wholeNumber(types[0], argv[0]);
        if (!page || *page < 0 || *page > 999) return std::nullopt;
        r.path = "/api/cue/" + pageNumber(*page);
        return r;
    }
    if (address == "/velmora/text" && argc == 3 && types[2] == LO_STRING) {
        const std::optional<int> page = wholeNumber(types[0], argv[0]);
        const std::optional<int> line = wholeNumber(types[1], argv[1]);
        if (!page || !line || *page < 0 || *page > 999 || *line < 1 || *line > 3)
            return std::nullopt;
        r.method = "PUT";
        r.path = "/api/pages/" + pageNumber(*page) + "/lines/" + QByteArray::number(*line);
        r.body = QJsonDocument(QJsonObject{{"text", QString::fromUtf8(&argv[2]->s)}})
                     .toJson(QJsonDocument::Compact);
        return r;
    }
    return std::nullopt;
}

} // namespace velmora::remote
