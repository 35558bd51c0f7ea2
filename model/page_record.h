#pragma once
#include <array>
#include <cstdint>
#include <QPoint>
#include <QString>

#include "platform/Color.h"

namespace velmora {

using platform::TColor;

constexpr int MaxPathPoints = 1000;

struct PathPoint {
    std::uint16_t x = 0;
    std::uint16_t y = 0;

    bool operator==(const PathPoint&) const = default;
};

// A hand-drawn movement path: LastIndex is -1 when there is no path.
struct Path {
    std::int32_t LastIndex = -1;
    std::array<PathPoint, MaxPathPoints> Points{};

    bool operator==(const Path&) const = default;
};

// Where a line rests once the align screen is left: the last point its in path uses, when it
// has one, else where its strip stands.
inline QPoint restingPlace(const Path& inPath, QPoint stripAt) {
    if (inPath.LastIndex > 0 && inPath.LastIndex <= MaxPathPoints) {
        const PathPoint p = inPath.Points[inPath.LastIndex - 1];
        return {p.x, p.y};
    }
    return stripAt;
}

// One title line's attributes. Its text, font style, resting position and paths stand beside
// it in PageImage::Line.
struct TitleLine {
    QString FontName = QStringLiteral("Arial");
    std::int32_t FontSize = 40;
    TColor FontColor = 0xFFFFFF;
    TColor ShadowColor = 0xC0C0C0;
    bool ShadowOn = false;
    bool GradientOn = false;
    TColor GradientStartColor = 0xFFFFFF;
    bool BlurOn = false;
    std::int32_t InDirection = 5;
    std::int32_t OutDirection = 6;
    QString BitmapFile;
    QString WaveFile;

    // Derived, never stored.
    bool InUse = false;
    bool InPathArmed = false;
    bool OutPathArmed = false;

    bool operator==(const TitleLine&) const = default;
};

// The page settings beside the three lines.
struct PageSettings {
    std::int32_t fadedelay = 0;
    std::int32_t PauseTime = 0;
    bool mpause = false;

    bool operator==(const PageSettings&) const = default;
};

// The whole page as it travels to and from a page file: the lines with their texts, styles and
// positions, the settings and the six paths. Plain data, no widgets.
struct PageImage {
    struct Line {
        QString Text;
        std::uint8_t FontStyle = 0;
        std::int32_t PosX = 0;
        std::int32_t PosY = 0;
        TitleLine attrs;
        Path InPath;
        Path OutPath;

        bool operator==(const Line&) const = default;
    };
    std::array<Line, 3> lines;
    PageSettings settings;

    bool operator==(const PageImage&) const = default;
};

// What the editor's commands change of a page: each line's text, font style and attributes,
// and the settings. Positions and paths are left out; the commands that change them keep their
// own copies.
struct EditedPage {
    struct Line {
        QString Text;
        std::uint8_t FontStyle = 0;
        TitleLine attrs;

        bool operator==(const Line&) const = default;
    };
    std::array<Line, 3> lines;
    PageSettings settings;

    bool operator==(const EditedPage&) const = default;
};

// The start defaults written into the page once the windows are created.
constexpr std::int32_t StartFontSizes[3] = {60, 50, 30};
constexpr std::int32_t StartInDirections[3] = {1, 5, 3};
constexpr std::int32_t StartOutDirections[3] = {3, 6, 1};

} // namespace velmora
