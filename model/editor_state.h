#pragma once
#include <cstdint>
#include <QString>

namespace velmora {

// What the playback window reads of the editor beside the page itself: the editor's switches
// and the project's leaders. The main window fills it in when asked.
struct EditorState {
    bool AlignMode = false;        // the align screen is in use
    bool easySlowdown = false;     // "Easy Slow down" checked
    std::int16_t rasterEffect = 0; // the "Effects ?" slider, 0..6
    bool UseColorBars = false;
    bool UseCountDown = false;
    std::int32_t Holdtime = 10; // colour bar time, seconds
    QString dpath;              // the project's folder, ending in '/', or empty
    std::int32_t MaxPathIndex = 999; // how far drawing may fill a path
    // The project's stage, the size its pages are laid out in; 0 while it has none (the show
    // then takes its screen's size).
    int StageWidth = 0, StageHeight = 0;
    // The project's lines move smoothly (each frame where its instant puts them), else in steps.
    bool smoothMotion = false;
};

// A picture or wave named without a folder lies in the project's folder.
QString projectFile(const QString& dpath, const QString& name);

// The name a page stores for a chosen file: relative to the project's folder when the file lies
// inside it, else as chosen. Kept whole however long: what the record's field cannot hold goes
// into the page file's extension block.
QString storableFileName(const QString& dpath, const QString& chosen);

} // namespace velmora
