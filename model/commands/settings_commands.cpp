#include "model/commands/settings_commands.h"

namespace velmora {

SliderCommand::SliderCommand(PageDocument& doc, const QString& text,
                             std::int32_t PageSettings::*field, std::int32_t value, int drag)
    : PageCommand(doc, text), field_(field), value_(value), drag_(drag) {}

bool SliderCommand::apply(PageDocument& doc) {
    doc.settings().*field_ = value_;
    return true;
}

bool SliderCommand::mergeWith(const QUndoCommand* other) {
    const auto* later = dynamic_cast<const SliderCommand*>(other);
    if (!later || later->field_ != field_ || drag_ == 0 || later->drag_ != drag_) return false;
    value_ = later->value_;
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
