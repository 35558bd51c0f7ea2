#pragma once
#include <cstdint>

#include "main/commands/page_command.h"

// The edits of the page settings beside the lines.
namespace velmora {

// The movement and fade delay (the two sliders share it). Always marks. The changes of one drag
// of a slider (the same nonzero drag number) are one step.
class SetDelay : public PageCommand {
public:
    SetDelay(PageDocument& doc, std::int32_t delay, int drag);
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    bool apply(PageDocument& doc) override;

private:
    std::int32_t delay_;
    int drag_;
};

// The pause in seconds. Always marks; one drag is one step, as for the delay.
class SetPause : public PageCommand {
public:
    SetPause(PageDocument& doc, std::int32_t seconds, int drag);
    int id() const override { return 3; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    bool apply(PageDocument& doc) override;

private:
    std::int32_t seconds_;
    int drag_;
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
