#pragma once
#include <functional>
#include <map>
#include <QStringList>

#include "main/bitmov2.h"
#include "model/playback_port.h"

namespace testsupport {

// Stands in for the playback window: it records what the show commands ask of it.
class FakePlayback : public velmora::PlaybackPort {
public:
    explicit FakePlayback(velmora::TBitMovOptMain& m) : main(m) {}
    void PlayPage(const QString& name) override {
        played << name + ":" + main.Edit1->text();
        if (onPlay) onPlay(name);
    }
    bool getkillnow() const override { return killnow; }
    void setkillnow(bool v) override { killnow = v; }
    void killcan() override { ++killcans; }
    void pauseUNtilSpaceBarReset() override {
        ++spaceWaits;
        spcbar = false;
    }
    bool spcbarpause() const override { return spcbar; }
    void setspcbarpause(bool v) override { spcbar = v; }
    void setPlaybackEnabled(bool e) override { enabled = e; }
    bool playbackEnabled() const override { return enabled; }
    void showPlayback() override { ++shows; }
    void invalidatePlayback() override { ++invalidates; }
    void StartAlign() override { ++aligns; }
    void hidePlayback() override { ++hides; }

    velmora::TBitMovOptMain& main;
    QStringList played; // "page name:text of line 1"
    std::function<void(const QString&)> onPlay;
    bool killnow = false, spcbar = false, enabled = false;
    int killcans = 0, spaceWaits = 0, shows = 0, invalidates = 0, aligns = 0, hides = 0;
};

} // namespace testsupport
