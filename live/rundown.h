#pragma once
#include <QString>
#include <Qt>

#include "platform/Bitmap.h"
#include "player/page_player.h"

// What the Live window shows and takes, without the window: a page's picture at rest and the
// keys' commands.
namespace velmora::live {

// A page played with nothing to hear and nothing to wait for: its waves are left out.
class SilentControl : public PlayControl {
public:
    bool stopped() const override { return false; }
    void pump() override {}
    void holdForSpaceBar(bool) override {}
    bool openWave(int, const QString&) override { return false; }
    void playWave() override {}
    void closeWave() override {}
};

// The page with every line at rest, drawn by the player as a live page stands once its lines are
// in, on a stage of stageWidth x stageHeight fitted into width x height (black around it).
platform::Bitmap pictureAtRest(const PageImage& page, const ShowOptions& options, int stageWidth,
                               int stageHeight, int width, int height);

enum class LiveCommand {
    None,
    Take,     // Return: the cued page goes on air
    Clear,    // Escape: the page on air goes out
    Cut,      // Shift+Escape: black
    Next,     // Space: the following row is cued
    CueUp,    // Up, Down: the row above or below is cued
    CueDown,
    Digit,    // a digit of a page number being typed
    Erase,    // Backspace: the last digit typed is taken back
    CueTyped, // Return after digits: the page of that number is cued
};
// The command of a key; `typing`: digits of a page number have been typed.
LiveCommand liveCommandFor(int key, Qt::KeyboardModifiers modifiers, bool typing);

} // namespace velmora::live
