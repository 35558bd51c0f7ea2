// Printing: the project summary and the print setup.
#include <QAction>

#include "main/bitmov2.h"
#include "model/printout.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"

namespace velmora {

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;

void TBitMovOptMain::connectPrinting() {
    connect(PrintFileButton1, &QAction::triggered, this, [this] { PrintFileButton1Click1(); });
    connect(PrintSetup1, &QAction::triggered, this, [this] { PrintSetup1Click(); });
}

bool TBitMovOptMain::pageMayBeReplaced() {
    // Without a project no page is loaded, so nothing on screen can be lost.
    if (StripKVT(ProjectName).isEmpty() || (!sav && !add)) return true;
    if (platform::dialogs().message(MsgKind::Confirmation, QStringLiteral("Save current page?"),
                                    MsgButtons::YesNo) != Answer::Yes)
        return true;
    SaveCurPage();
    // A save that failed was reported; its changes stay on screen.
    return !sav && !add;
}

void TBitMovOptMain::PrintFileButton1Click1() {
    // Printing loads every page of the project in turn into the editor.
    if (!pageMayBeReplaced()) return;
    const QString base = StripKVT(ProjectName);
    // All 1000 numbers in use: the last page is 999.
    const QString lastPage = GetNumberOFPages(base).value_or(QStringLiteral("999"));

    platform::Printer printer;
    printer.begin(SummaryJobTitle);
    printProjectSummary(printer, ProjectName, lastPage, [this](int i) {
        SETcurrentpaGE(i);
        LoadPage(ProjectName);
        PrintedPage page;
        for (int n = 1; n <= 3; ++n) {
            const TitleLine& l = line(n);
            page[n - 1] = {lineText(n), l.FontName, l.FontSize, l.ShadowOn, l.BitmapFile};
        }
        return page;
    });
    printer.end();
}

void TBitMovOptMain::PrintSetup1Click() {
    platform::dialogs().printSetup();
}

} // namespace velmora
