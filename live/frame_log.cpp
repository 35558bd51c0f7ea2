#include "live/frame_log.h"

#include <algorithm>
#include <QFile>

namespace velmora::live {

FrameLog::FrameLog(std::int64_t period) : period_(std::max<std::int64_t>(period, 1)) {}

FrameLog::~FrameLog() {
    if (file_) file_->flush();
}

bool FrameLog::writeTo(const QString& file) {
    auto f = std::make_unique<QFile>(file);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
    file_ = std::move(f);
    write(QStringLiteral("# Velmora Live frame log: refresh period %1 ns; times in ns from the "
                         "show's start")
              .arg(period_));
    file_->flush();
    return true;
}

void FrameLog::write(const QString& line) {
    if (!file_) return;
    file_->write(line.toUtf8());
    file_->write("\n", 1);
    // Flushed about once a second: a show ended by a signal loses at most that.
    if (++unflushed_ >= 60) {
        file_->flush();
        unflushed_ = 0;
    }
}

void FrameLog::frame(const Frame& f) {
    frames_.push_back(f);
    write(QStringLiteral("frame %1 due %2 shown %3").arg(f.refresh).arg(f.due).arg(f.shown));
}

void FrameLog::command(const Command& c) {
    commands_.push_back(c);
    write(QStringLiteral("%1 given %2 refresh %3").arg(c.name).arg(c.given).arg(c.refresh));
    if (file_) file_->flush();
}

Timing timingOf(const FrameLog& log) {
    Timing t;
    const std::int64_t period = log.period();
    t.frames = std::int64_t(log.frames().size());
    std::int64_t last = -1;
    for (const FrameLog::Frame& f : log.frames()) {
        const std::int64_t late = f.shown - f.due;
        t.latestShown = std::max(t.latestShown, late);
        if (late >= period) ++t.missed;
        if (f.refresh <= last) {
            ++t.repeated;
            continue;
        }
        if (last >= 0) t.missed += f.refresh - last - 1;
        last = f.refresh;
    }
    for (const FrameLog::Command& c : log.commands()) {
        if (c.name != QLatin1String("take")) continue;
        // The first frame shown at or after the one it landed on.
        const auto it = std::find_if(log.frames().begin(), log.frames().end(),
                                     [&](const FrameLog::Frame& f) { return f.refresh >= c.refresh; });
        if (it != log.frames().end()) t.takeToScreen.push_back(it->shown - c.given);
    }
    return t;
}

} // namespace velmora::live
