#pragma once
#include <optional>
#include <QByteArray>
#include <QString>
#include <vector>

#include "model/page_file.h"
#include "model/page_record.h"
#include "model/page_rows.h"

// Pages made from rows of texts and written into a project, and a project's pages read back as
// rows: what File > "Import Pages..." and "Export Texts..." and velmora-pages share.
namespace velmora {

// A project as its project file names it.
struct ProjectPlace {
    QString file;  // the project file
    QString dpath; // its folder, ending in '/'
    QString name;  // the project's name: the file's "ProjectName", else the file's own name
    QString base;  // the base of the page files' names
};

// The project of a project file, found as velmora-render finds it; nothing, with the reason,
// when the file is missing or names no project.
std::optional<ProjectPlace> locateProject(const QString& path, QString* error);

// A rows file's bytes; nothing, with the reason, when it is not a regular file, cannot be read
// or is larger than MaxRowsFileSize.
std::optional<QByteArray> readRowsFile(const QString& path, QString* error);

// Writes a rows file whole or not at all: the old file stays until the new one is complete.
bool writeRowsFile(const QString& path, const QByteArray& data);

// Whether a picture or wave name leads inside the project's folder (dpath) once ".." and
// symbolic links are followed: "logo.bmp" and "pictures/badge.bmp" do; "../x.bmp",
// "/etc/hostname" and a link to a file elsewhere do not. A name that does not exist yet leads
// where its nearest existing folder does.
bool insideProjectFolder(const QString& dpath, const QString& name);

// The page numbers 000..999 without a page file, in order: where new pages go.
std::vector<int> freePageNumbers(const QString& dpath, const QString& base);

// Empty when the project has a free number for each of `count` new pages, else why not.
QString roomForPages(const QString& dpath, const QString& base, int count);

// The numbers written, or why nothing was.
struct ImportResult {
    std::vector<QString> numbers;
    QString error;
    // Fields a later version wrote into the template's block were left out of some page to
    // keep its block within the reader's limit.
    bool laterFieldsLeftOut = false;
};

// Writes the page each row makes of the template (pageFromRow) at the project's free numbers,
// in order, as repeated new pages would take them. `templateRecord` is the record the template
// was read into, so the bytes no field covers are carried as a copied page carries them. All or
// nothing: refused before anything is written when the free numbers are too few, and a page that
// cannot be written removes those written before it.
ImportResult writeRowPages(const QString& dpath, const QString& base, const PageImage& templ,
                           const PageBuffer& templateRecord, const std::vector<PageRow>& rows);

// The project file's "NumberOPages" brought up to date after pages were added (when the file
// exists).
void updateNumberOPages(const QString& projectFile, const QString& dpath, const QString& base);

// "005", "005 to 016", "003, 007 to 017": page numbers in runs.
QString pageNumbersText(const std::vector<QString>& numbers);

// A page of a project with its number.
struct ProjectPage {
    QString number;
    PageImage page;
};

// The project's pages, the unbroken run from 000 that the show plays and the printout lists;
// nothing, with the reason, when one cannot be read.
std::optional<std::vector<ProjectPage>> readProjectPages(const QString& dpath, const QString& base,
                                                         QString* error);

// The pages as CSV: the header, then one row per page (pageRowFields).
QByteArray projectPagesCsv(const std::vector<ProjectPage>& pages);

} // namespace velmora
