#pragma once
#include <optional>
#include <QString>
#include <vector>

#include "model/page_record.h"
#include "model/project_file.h"

namespace velmora {

// A project's pages as the show plays them, read from its files.
struct ShowProject {
    QString dpath; // the project's folder, ending in '/'
    ProjectSettings settings;
    std::vector<QString> pageNames; // "000", "001", ...
    std::vector<PageImage> pages;
    // What the show leaves out, one line each: pages after a missing one, missing pictures.
    std::vector<QString> omitted;
};

// A page as the show plays it: a line is in use when it has a text or a picture, its hand-drawn
// paths armed by their codes, its pictures and waves named without a folder found in the
// project's folder `dpath`.
void prepareForShow(PageImage& page, const QString& dpath);

// Reads the project file and its pages 000 to the last of the unbroken run (the pages after a
// gap are noted as left out). Nothing, with a one-line reason, when the project or a page cannot
// be read, a page is not a regular file, or there is no page.
std::optional<ShowProject> loadShowProject(const QString& projectFile, QString* error);

} // namespace velmora
