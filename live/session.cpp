#include "live/session.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::live {

LiveSession::LiveSession(std::vector<QString> numbers, std::vector<PageImage> pages,
                         const ShowOptions& options, const platform::StageView& view,
                         PlayControl& control, platform::Bitmap& frame, std::uint64_t period,
                         platform::Clock& clock, std::function<void(const QRect&)> present)
    : onAir_(std::move(numbers), std::move(pages), options, view, control),
      show_(onAir_, frame, view, period, clock, std::move(present)) {
    told_ = now();
}

LiveSession::~LiveSession() = default;

LiveSession::Told LiveSession::now() const {
    return {onAir_.onAir(), onAir_.cued(), onAir_.moving(), edits_};
}

void LiveSession::told() {
    const Told n = now();
    if (n == told_) return;
    told_ = n;
    emit changed();
}

void LiveSession::cue(int row) {
    onAir_.cue(row);
    told();
}

void LiveSession::take() {
    show_.take();
    told();
}

void LiveSession::clear() {
    show_.clear();
    told();
}

void LiveSession::cut() {
    show_.cut();
    told();
}

void LiveSession::next() {
    onAir_.next();
    told();
}

void LiveSession::edit(int row, const PageImage& page) {
    onAir_.edit(row, page);
    ++edits_;
    show_.edited();
    told();
}

void LiveSession::framePresented() {
    told();
}

bool LiveSession::moving() const {
    return onAir_.moving();
}

QByteArray LiveSession::stateJson() const {
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
