#include "main/commands/settings_commands.h"

namespace velmora {

SetDelay::SetDelay(PageDocument& doc, std::int32_t delay, int drag)
    : PageCommand(doc, QStringLiteral("Delay")), delay_(delay), drag_(drag) {}

bool SetDelay::apply(PageDocument& doc) {
    doc.settings().fadedelay = delay_;
    return true;
}

bool SetDelay::mergeWith(const QUndoCommand* other) {
    const auto* later = dynamic_cast<const SetDelay*>(other);
    if (!later || drag_ == 0 || later->drag_ != drag_) return false;
    delay_ = later->delay_;
    takeResultOf(*later);
    return true;
}

SetPause::SetPause(PageDocument& doc, std::int32_t seconds, int drag)
    : PageCommand(doc, QStringLiteral("Pause")), seconds_(seconds), drag_(drag) {}

bool SetPause::apply(PageDocument& doc) {
    doc.settings().PauseTime = seconds_;
    return true;
}

bool SetPause::mergeWith(const QUndoCommand* other) {
    const auto* later = dynamic_cast<const SetPause*>(other);
    if (!later || drag_ == 0 || later->drag_ != drag_) return false;
    seconds_ = later->seconds_;
    takeResultOf(*later);
    return true;
}

SetManual::SetManual(PageDocument& doc, bool on)
    : PageCommand(doc, QStringLiteral("Manual")), on_(on) {}

bool SetManual::apply(PageDocument& doc) {
    doc.settings().mpause = on_;
    return doc.mpauseDiffersFromBuffer();
}

} // namespace velmora
