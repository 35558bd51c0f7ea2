#pragma once
#include <cstdint>

#include "model/commands/page_command.h"

// The edits of the page settings beside the lines.
namespace velmora {

// A number of the page settings set from a slider. Always marks. The changes of one drag of the
// slider (the same nonzero drag number) are one step.
class SliderCommand : public PageCommand {
public:
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    SliderCommand(PageDocument& doc, const QString& text, std::int32_t PageSettings::*field,
                  std::int32_t value, int drag);
    bool apply(PageDocument& doc) override;

private:
    std::int32_t PageSettings::*field_;
    std::int32_t value_;
    int drag_;
};

// The movement and fade delay (the two sliders share it).
class SetDelay : public SliderCommand {
public:
    SetDelay(PageDocument& doc, std::int32_t delay, int drag)
        : SliderCommand(doc, QStringLiteral("Delay"), &PageSettings::fadedelay, delay, drag) {}
};

// The pause in seconds.
class SetPause : public SliderCommand {
public:
    SetPause(PageDocument& doc, std::int32_t seconds, int drag)
        : SliderCommand(doc, QStringLiteral("Pause"), &PageSettings::PauseTime, seconds, drag) {}
};

// "Manual": wait for the space bar instead of the pause; marks when it differs from the page
// as last loaded or saved.
class SetManual : public PageCommand {
public:
    SetManual(PageDocument& doc, bool on);

protected:
    bool apply(PageDocument& doc) override;

private:
    bool on_;
};

} // namespace velmora
