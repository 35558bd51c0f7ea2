#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <QString>
#include <vector>

#include "platform/StageView.h"
#include "player/frame_composer.h"
#include "player/page_player.h"
#include "player/smooth_page.h"

// Live: the project's pages as a rundown, one of them cued and one on air, each command acting at
// the frame it is given.
namespace velmora::live {

// A line of the rundown: its page number and its three texts.
struct RundownRow {
    QString number;
    std::array<QString, 3> texts;
};

// The on-air controller. It holds the rundown's pages, which row is cued and which page is on
// air, and plays the pages on the stage as smooth pages in show time; the Live window, the show's
// keys and the remote are its callers. Every command takes the show time of the next frame to be
// shown: it changes what that frame, and every one after it, shows. Nothing here waits, draws or
// needs a window.
class OnAir {
public:
    // Lines composed at once: the page on air and two going out under it.
    static constexpr int MaxPages = 3;
    static constexpr int MaxLines = MaxPages * 3;
    using Lines = std::array<FrameComposer::Line, MaxLines>;

    // `pages`: the pages as the show plays them (in-use flags set, pictures' folders resolved).
    OnAir(std::vector<QString> numbers, std::vector<PageImage> pages, const ShowOptions& options,
          const platform::StageView& view, PlayControl& control);
    ~OnAir();

    int rows() const { return int(pages_.size()); }
    RundownRow row(int r) const;
    const PageImage& page(int r) const { return pages_[std::size_t(r)]; }
    // The row of a typed page number ("1", "001"); -1 when the rundown has no such page.
    int rowOfNumber(const QString& typed) const;

    // ---- Cueing: nothing changes on air --------------------------------------------------------
    // Cues row r; a row outside the rundown cues nothing.
    void cue(int r);
    int cued() const { return cued_; }
    // Cues the row after the cued one (after the one on air when none is cued); the last stays.
    void next();

    // ---- On air ------------------------------------------------------------------------------
    // `lead`: how long before t the command was given (a key pressed between two frames): its
    // moves are that far along at t, as if they had started when it was given.
    //
    // The page on air, if any, moves out from where its lines stand, and the cued page's lines
    // move in; the row after it is cued. Nothing cued: nothing happens.
    void take(std::int64_t t, std::int64_t lead = 0);
    // The page on air moves out from wherever its lines are, even in the middle of a move.
    void clear(std::int64_t t, std::int64_t lead = 0);
    // Black at t: every page on the stage is gone.
    void cut(std::int64_t t);
    // The row on air, or -1. A page moving out is no longer on air.
    int onAir() const;
    // Whether anything is on the stage (on air or moving out).
    bool anythingShown() const { return !aired_.empty(); }
    // Whether a line on the stage is moving: coming in, or going out (as of the last advance).
    bool moving() const;

    // Row r's page was edited. The rundown keeps the new page; where it is on the stage (on air
    // or moving out), the lines that changed are drawn anew where they stand, their moves going
    // on. Only texts, fonts, colours and the other looks of a line take effect on the stage; a
    // move or a place takes effect at the page's next take.
    void edit(int r, const PageImage& page);

    // Moves every page on the stage on to t; pages that are gone leave the stage.
    void advanceTo(std::int64_t t);
    // The lines as they stand at t (after advanceTo(t)), the oldest page's first; unused places
    // draw nothing.
    Lines linesAt(std::int64_t t) const;
    // The same lines as how much of each pixel they cover (one byte a pixel, 255 opaque), for
    // the key a vision mixer lays the titles over its pictures with: a text's and its shadow's
    // coverage, a picture's whole rectangle.
    Lines keyLinesAt(std::int64_t t);
    // Counts every change of course and every edit: a frame drawn before is out of date when it
    // changed.
    int changes() const { return changes_; }
    // Counts the edits that made strips anew.
    int edits() const { return edits_; }

private:
    class Waves;
    struct Aired;
    void retire(std::int64_t t, std::int64_t lead);

    std::vector<QString> numbers_;
    std::vector<PageImage> pages_;
    ShowOptions options_;
    platform::StageView view_;
    PlayControl& control_;
    int cued_ = -1;
    // The pages on the stage, oldest first; only the last can be on air.
    std::vector<std::unique_ptr<Aired>> aired_;
    std::unique_ptr<Aired> ready_; // the cued page, made ready
    int changes_ = 0, edits_ = 0;
};

} // namespace velmora::live
