#include "live/desk.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::live {

LiveDesk::LiveDesk(std::vector<QString> numbers, std::vector<PageImage> pages,
                         const ShowOptions& options, const platform::StageView& view,
                         PlayControl& control, platform::Bitmap& frame, std::uint64_t period,
                         platform::Clock& clock, std::function<void(const QRect&)> present)
    : onAir_(std::move(numbers), std::move(pages), options, view, control),
      show_(onAir_, frame, view, period, clock, std::move(present)) {
    told_ = now();
}

LiveDesk::~LiveDesk() = default;

LiveDesk::Told LiveDesk::now() const {
    return {onAir_.onAir(), onAir_.cued(), onAir_.moving(), edits_};
}

void LiveDesk::told() {
    const Told n = now();
    if (n == told_) return;
    told_ = n;
    emit changed();
}

void LiveDesk::cue(int row) {
    onAir_.cue(row);
    told();
}

void LiveDesk::take() {
    show_.take();
    told();
}

void LiveDesk::clear() {
    show_.clear();
    told();
}

void LiveDesk::cut() {
    show_.cut();
    told();
}

void LiveDesk::next() {
    onAir_.next();
    told();
}

void LiveDesk::edit(int row, const PageImage& page) {
    onAir_.edit(row, page);
    ++edits_;
    show_.edited();
    told();
}

void LiveDesk::framePresented() {
    told();
}

bool LiveDesk::moving() const {
    return onAir_.moving();
}

QByteArray LiveDesk::stateJson() const {
    const auto number = [this](int r) {
        return r >= 0 ? QJsonValue(onAir_.row(r).number) : QJsonValue(QJsonValue::Null);
    };
    QJsonArray pages;
    for (int r = 0; r < onAir_.rows(); ++r) {
        const RundownRow row = onAir_.row(r);
        QJsonArray lines;
        for (const QString& t : row.texts)
            lines.append(t);
        pages.append(QJsonObject{{"page", row.number}, {"lines", lines}});
    }
    const QJsonObject state{{"onAir", number(onAir_.onAir())},
                            {"cued", number(onAir_.cued())},
                            {"moving", moving()},
                            {"live", true},
                            {"pages", pages}};
    return QJsonDocument(state).toJson(QJsonDocument::Compact);
}

} // namespace velmora::live
