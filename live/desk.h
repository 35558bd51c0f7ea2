#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

#include "live/live_show.h"
#include "live/on_air.h"

namespace velmora::live {

// One live show as its operators see it: the on-air controller and the paced frames, the
// commands every operator gives (the Live window, its keys, the remote), and a signal whenever
// what is on air, what is cued, or whether lines are moving changes. No widgets: the show
// screen presents through `present`, the window and the remote only call and listen.
class LiveDesk : public QObject {
    Q_OBJECT

public:
    LiveDesk(std::vector<QString> numbers, std::vector<PageImage> pages,
                const ShowOptions& options, const platform::StageView& view, PlayControl& control,
                platform::Bitmap& frame, std::uint64_t period, platform::Clock& clock,
                std::function<void(const QRect&)> present);
    ~LiveDesk() override;

    OnAir& onAir() { return onAir_; }
    const OnAir& onAir() const { return onAir_; }
    LiveShow& show() { return show_; }

    // The commands; each acts at the next frame.
    void cue(int row);
    void take();
    void clear();
    void cut();
    void next();
    // Row r's page was edited (its lines on the stage drawn anew).
    void edit(int row, const PageImage& page);
    // A frame was presented: a page that has gone out, or lines that came to rest, are told.
    void framePresented();

    // Whether a line is moving at the frame shown last.
    bool moving() const;
    // The state as JSON: {"onAir": "001" or null, "cued": "002" or null, "moving": bool,
    // "live": true, "pages": [{"page": "000", "lines": ["...", "...", "..."]}, ...]}.
    QByteArray stateJson() const;

signals:
    void changed();

private:
    // What the signal tells of: on air, cued, moving, the edits.
    struct Told {
        int onAir = -1, cued = -1;
        bool moving = false;
        int edits = 0;
        bool operator==(const Told&) const = default;
    };
    Told now() const;
    void told();

    OnAir onAir_;
    LiveShow show_;
    int edits_ = 0;
    Told told_;
};

} // namespace velmora::live
