#pragma once
#include <cstdint>
#include <QString>

namespace velmora {

// What the main window needs of the playback window. The playback window implements it; the
// program entry connects the two.
class PlaybackPort {
public:
    virtual ~PlaybackPort() = default;

    // Plays the page the document holds; "000" opens with the leaders.
    virtual void PlayPage(const QString& pageName) = 0;
    virtual bool getkillnow() const = 0;
    virtual void setkillnow(bool value) = 0;
    // Ends playback and brings back the main window.
    virtual void killcan() = 0;
    virtual void pauseUNtilSpaceBarReset() = 0;
    virtual bool spcbarpause() const = 0;
    virtual void setspcbarpause(bool value) = 0;
    virtual void setPlaybackEnabled(bool enabled) = 0;
    virtual bool playbackEnabled() const = 0;
    virtual void showPlayback() = 0;
    // The screen turns black when messages are next processed.
    virtual void invalidatePlayback() = 0;
    // Opens the align screen over the page the document holds.
    virtual void StartAlign() = 0;
    // Hides the playback window or the align screen, leaving its mode as it is.
    virtual void hidePlayback() = 0;
};

} // namespace velmora
