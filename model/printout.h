#pragma once
#include <array>
#include <functional>
#include <QString>

#include "platform/PrintSurface.h"

namespace velmora {

// What the project summary prints of one title line.
struct PrintedLine {
    QString Text;
    QString FontName;
    int FontSize = 0;
    bool ShadowOn = false;
    QString BitmapFile;
};
using PrintedPage = std::array<PrintedLine, 3>;

// The title the print queue shows for the project summary.
inline const QString SummaryJobTitle = QStringLiteral("KVT PROJECT");

// Draws the project summary onto a started job: a header with the project's name and last
// page number, one block per page 000 to lastPage (three columns, one per title line), a new
// sheet with its header whenever a block would start too low, the sheet number on every sheet
// that another follows, and four figures at the bottom of the last sheet. lastPage is the
// three-digit number of the last page, or "NEW" for a project without pages (one block, for
// page 000). loadPage(i) makes page i the current one and gives its lines.
void printProjectSummary(platform::PrintSurface& surface, const QString& projectName,
                         const QString& lastPage, const std::function<PrintedPage(int)>& loadPage);

} // namespace velmora
