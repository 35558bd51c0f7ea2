#pragma once
#include <optional>
#include <QByteArray>

#include "remote/api.h"

namespace velmora::remote {

// An OSC message as the request it stands for: /velmora/take, /velmora/clear, /velmora/cut and
// /velmora/next; /velmora/cue i (a page number); /velmora/text i i s (page, line, text). Numbers
// may also come as floats or strings. None for a datagram that is no such message (a bundle,
// another address, missing or wrong arguments, bytes that are no OSC message at all).
std::optional<Request> oscRequest(const QByteArray& datagram);

} // namespace velmora::remote
