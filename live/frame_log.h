#pragma once
#include <cstdint>
#include <memory>
#include <QString>
#include <vector>

class QFile;

namespace velmora::live {

// What the live show did, frame by frame: each presented frame's refresh (counted from the
// show's start, one every period), when it was due and when it was on the screen, and each
// command with the time it was given and the refresh it landed on. Times are nanoseconds from
// the show's start.
class FrameLog {
public:
    struct Frame {
        std::int64_t refresh = 0;
        std::int64_t due = 0, shown = 0;
    };
    struct Command {
        QString name; // "take", "clear", "cut", "edit"
        std::int64_t given = 0;
        std::int64_t refresh = 0; // the first frame it acts on
    };

    explicit FrameLog(std::int64_t period);
    ~FrameLog();
    // Each record is also written to the file, a line each; false when it cannot be opened.
    bool writeTo(const QString& file);

    void frame(const Frame& f);
    void command(const Command& c);
    std::int64_t period() const { return period_; }
    const std::vector<Frame>& frames() const { return frames_; }
    const std::vector<Command>& commands() const { return commands_; }

private:
    void write(const QString& line);
    std::int64_t period_;
    std::vector<Frame> frames_;
    std::vector<Command> commands_;
    std::unique_ptr<QFile> file_;
    int unflushed_ = 0;
};

// What a log shows of the show's timing.
struct Timing {
    std::int64_t frames = 0;
    // Refreshes that passed without a frame of their own: skipped, or shown a period or more
    // after they were due.
    std::int64_t missed = 0;
    // Refreshes whose frame was presented more than once.
    std::int64_t repeated = 0;
    // How long after its refresh a frame was on the screen, at most.
    std::int64_t latestShown = 0;
    // For each take: from the time it was given to the time its first frame was on the screen.
    std::vector<std::int64_t> takeToScreen;
};
Timing timingOf(const FrameLog& log);

} // namespace velmora::live
