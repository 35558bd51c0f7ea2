// Pages and projects: the page commands of the main window.
#include "main/bitmov2.h"

namespace velmora {

QString TBitMovOptMain::MakePageNumber(std::int32_t number) {
    const QString digits = QString::number(number);
    if (digits.isEmpty()) HaltProgrAM(QStringLiteral("Page Number is very empty"));
    if (digits.size() > 3) HaltProgrAM(QStringLiteral("Page Number is beyond 999"));
    return QString(3 - digits.size(), QLatin1Char('0')) + digits;
}

void TBitMovOptMain::SaveCurPage() {}
void TBitMovOptMain::LoadPage(const QString&) {}
void TBitMovOptMain::OpenProject(const QString&) {}
void TBitMovOptMain::OpenPrjToolButtonClick() {}
void TBitMovOptMain::SaveprojectClick1() {}
void TBitMovOptMain::SavePrjToolButtonClick() {}
void TBitMovOptMain::NewProj1Click() {}
void TBitMovOptMain::NewPrjToolButtonClick() {}
void TBitMovOptMain::CurrentPageClick(QObject*) {}
void TBitMovOptMain::NextPageClick() {}
void TBitMovOptMain::PrevPageClick() {}
void TBitMovOptMain::NewPageButtonClick() {}
void TBitMovOptMain::CopyPageButtonClick() {}
void TBitMovOptMain::CopyPage1Click() {}
void TBitMovOptMain::SavePgToolButtonClick() {}
void TBitMovOptMain::DeletePgToolButtonClick() {}
void TBitMovOptMain::BDeletepageClick() {}
void TBitMovOptMain::renumberfrompg(std::int32_t, const QString&) {}
void TBitMovOptMain::LoadBitmap1Click() {}
void TBitMovOptMain::PlayaWaveto1Click() {}
void TBitMovOptMain::loadprevus() {}
bool TBitMovOptMain::loadbimage(const QString&, QLabel*, QLabel*) { return false; }
void TBitMovOptMain::ShowIMagelab() {}

} // namespace velmora
