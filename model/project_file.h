#pragma once
#include <optional>
#include <QString>
#include <QStringList>

// birthText, the date-and-time text that both the settings file and the project file write.
#include "model/settings.h"

namespace velmora {

// How a project's lines move: one whole stage pixel at a time, each step waiting its delay
// ("Stepped", every project from before the key), or each frame drawn where the moves put the
// lines at that instant ("Smooth"). The project file's "Motion" key.
enum class Motion { Stepped, Smooth };
QString motionName(Motion m);
// The motion a "Motion" value names ("Smooth" or "Stepped", in any case); Stepped for anything else.
Motion motionNamed(const QString& text);

// The values a project file gives the program; missing keys read as these defaults.
struct ProjectSettings {
    QString ProjectName;
    bool UseColorBars = false;
    bool UseCountDown = false;
    int Holdtime = 10;
    QString NumberOPages; // read, but the program does not use it
    // The stage the pages are laid out in ("StageWidth", "StageHeight"); each side 0 when the
    // file names none that a stage may have.
    int StageWidth = 0, StageHeight = 0;
    // What the stage keys hold that cannot be used, as written ("StageWidth=abc", or "no
    // StageHeight" beside a width); empty when both sides are usable or the file has neither key.
    QStringList unusableStage;
    // Whether the file names no stage at all, as a project from before stages were kept.
    bool noStage() const { return StageWidth == 0 && StageHeight == 0 && unusableStage.isEmpty(); }
    Motion motion = Motion::Stepped; // "Motion"
};

// The sizes a stage's side may have, in pixels; a file naming anything else names no stage.
constexpr int MinStageSide = 16;
constexpr int MaxStageSide = 16384;
bool isStageSide(int pixels);

// Reads the "VelmoraProject" section. "ProjectName" is reduced to its file-name part, so a
// project file can never send the page routines outside the project directory.
ProjectSettings readProjectFile(const QString& path);

// The one message telling the user which stage values of the project file cannot be used, and
// the stage (width x height) taken instead; empty when there is nothing to tell.
QString unusableStageText(const ProjectSettings& p, const QString& projectFile, int width,
                          int height);

// Writes the keys in their order, updating them in place; the file is never erased, and every
// other key and section in it is kept. The stage follows "Palette" when the project has one
// (both sides nonzero), and "Motion" follows the stage when a motion is given; without one the
// file's "Motion" is left as it stands. False when the file could not be written.
bool writeProjectFile(const QString& path, const QString& program, const QString& version,
                      const QString& projectName, const QString& birth, const QString& numberOPages,
                      bool useColorBars, bool useCountDown, int holdtime, int bpp, int palette,
                      int stageWidth = 0, int stageHeight = 0,
                      std::optional<Motion> motion = std::nullopt);

// Updates "NumberOPages" alone, in place, when pages were added outside a project save. False
// when the file could not be written.
bool writeNumberOPages(const QString& path, const QString& numberOPages);

// Updates "StageWidth" and "StageHeight" alone, in place, when the stage is given or changed
// between project saves. False when the file could not be written.
bool writeStage(const QString& path, int width, int height);

// Updates "Motion" alone, in place. False when the file could not be written.
bool writeMotion(const QString& path, Motion motion);

// Everything up to and including the last '/', '\' or ':'; empty when there is none.
QString directoryPart(const QString& file);
// Everything after the last '/', '\' or ':'.
QString fileNamePart(const QString& file);
// The name with ".kvt" appended when its file-name part has no extension.
QString withKvtExtension(const QString& name);

} // namespace velmora
