// Pages and projects: saving and loading pages, opening and saving projects, and the page
// commands of the main window.
#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "main/bitmov2.h"
#include "model/commands/line_commands.h"
#include "model/commands/project_commands.h"
#include "model/page_file.h"
#include "model/playback_port.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "platform/Dialogs.h"
#include "platform/Screen.h"
#include "platform/SystemInfo.h"

namespace velmora {

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;

namespace {

void inform(const QString& text) {
    platform::dialogs().message(MsgKind::Information, text, MsgButtons::OK);
}

} // namespace

QString TBitMovOptMain::MakePageNumber(std::int32_t number) {
    QString halt;
    const std::optional<QString> text = pageNumberText(number, &halt);
    if (!text) HaltProgrAM(halt);
    return *text;
}

std::optional<QString> TBitMovOptMain::GetNumberOFPages(const QString& base) {
    const std::optional<QString> last = velmora::GetNumberOFPages(dpath, base);
    if (last) ShowProjectLabel(base, *last);
    return last;
}

std::optional<QString> TBitMovOptMain::GetNextPageNumber() {
    const std::optional<QString> next = velmora::GetNextPageNumber(dpath, StripKVT(ProjectName));
    if (!next) return next;
    currentpage = next->toInt();
    ShowProjectLabel(ProjectName, *next);
    return next;
}

// ---- The page record and the page files ---------------------------------------------------

PageImage TBitMovOptMain::pageFromEditor() const {
    return document_.pageToStore();
}

void TBitMovOptMain::SaveCurPage() {
    if (ProjectName.isEmpty()) return;
    const QString base = StripKVT(ProjectName);
    if (base.isEmpty()) {
        inform(QStringLiteral("Open a Project or Save this project first."));
        return;
    }
    QString number;
    if (add) {
        const std::optional<QString> next = GetNextPageNumber();
        if (!next) {
            // Nothing is written: the page keeps its changes and stays a new page.
            inform(QStringLiteral("All 1000 page numbers of this project are in use."));
            return;
        }
        number = *next;
    } else {
        number = MakePageNumber(currentpage);
    }
    const QString file = pageFileName(dpath, base, number);
    const PageBuffer::Stored stored = pageBuffer.encode(pageFromEditor(), number);
    const bool written = writePageFile(file, pageBuffer);
    if (!written)
        pmsg(stored == PageBuffer::Stored::TooLarge
                 ? QStringLiteral("Can not save page: its texts and names are too long for a "
                                  "page file")
                 : QStringLiteral("Can not save page"));
    else if (stored == PageBuffer::Stored::LaterFieldsLeftOut)
        inform(QStringLiteral("Fields a later version wrote into this page were left out: they "
                              "did not fit beside the texts."));
    ShowProjectLabel(ProjectName, number);
    add = false;
    // The user was told a failed save failed: the page still counts as changed.
    if (written) {
        setsav(false);
        document_.stored();
    }
}

void TBitMovOptMain::LoadPage(const QString& projectName) {
    const QString base = StripKVT(projectName);
    if (base.isEmpty()) return;
    const QString number = MakePageNumber(currentpage);
    if (!PageValid(dpath, projectName, currentpage)) {
        pmsg(QStringLiteral("Page file does not exist:") + base + QLatin1Char('.') + number);
        return;
    }
    add = false;
    setStatusPanel(2, QStringLiteral("Current"));
    if (readPageFile(pageFileName(dpath, base, number), pageBuffer) != PageReadResult::Ok) {
        inform(QStringLiteral("Error opening (possible older file structure) ") + base +
               QLatin1Char('.') + number);
        return;
    }
    // The editor's own state goes back to where a new page starts; the page is the file's.
    AlignMode = false;
    TITLENUM = 1;
    for (int n = 1; n <= 3; ++n)
        hidePreview(n);
    PageImage page;
    pageBuffer.decode(page);
    document_.load(page);
    showTexts(true); // a long title shows from its start; ShowPage shows the rest
    ShowPage();
    setsav(false);
}

// ---- Projects -----------------------------------------------------------------------------

void TBitMovOptMain::OpenProject(const QString& fileName) {
    // What was done in the project before is not undone in this one (also when this one has no
    // page to show, which would forget it).
    document_.forgetEdits();
    dpath = directoryPart(fileName);
    const QString name = fileNamePart(fileName);
    if (QFileInfo::exists(dpath + name)) {
        const ProjectSettings p = readProjectFile(dpath + name);
        UseCountDown = p.UseCountDown;
        UseColorBars = p.UseColorBars;
        Holdtime = p.Holdtime;
        ProjectName = p.ProjectName;
        ProjectMotion = p.motion; // Stepped when the file does not say
        // A project from before stages were kept was laid out on the screen it played on: it
        // keeps that screen's size from now on, so it looks as it did wherever it plays next.
        StageWidth = p.StageWidth;
        StageHeight = p.StageHeight;
        const bool olderProject = p.noStage();
        StageWidth = stageWidth();
        StageHeight = stageHeight();
        if (olderProject) {
            // A file that cannot be written is left as it is, without a word.
            writeStage(dpath + name, StageWidth, StageHeight);
        } else if (!p.unusableStage.isEmpty()) {
            // A side the file gives is kept, the screen gives the other; the file is left as
            // the user wrote it until the project is saved.
            platform::dialogs().message(
                MsgKind::Warning,
                unusableStageText(p, name, StageWidth, StageHeight) +
                    QStringLiteral(" Save the project to keep this stage."),
                MsgButtons::OK);
        }
    }
    currentpage = 0;
    const std::optional<QString> last = GetNumberOFPages(StripKVT(ProjectName));
    ShowProjectLabel(ProjectName, last.value_or(QString()));

    NewPageButton->setEnabled(true);
    CopyPageButton->setEnabled(true);
    SavePgToolButton->setEnabled(true);
    ColorBarToolButton->setChecked(UseColorBars);
    CountDownToolButton->setChecked(UseCountDown);
    // The menu's check marks and the status bar follow the buttons.
    ColorBarToolButtonClick();
    CountDownToolButtonClick();
    DeletePgToolButton->setEnabled(true);
    AlignToolButton->setEnabled(true);
    PlayPgToolButton->setEnabled(true);
    PlayAllToolButton->setEnabled(true);

    currentpage = 0;
    LoadPage(ProjectName);
}

void TBitMovOptMain::offerToSaveCurrentPage() {
    if (!sav && !add) return;
    if (platform::dialogs().message(MsgKind::Confirmation, QStringLiteral("Save current page?"),
                                    MsgButtons::YesNo) == Answer::Yes)
        SaveCurPage();
}

void TBitMovOptMain::OpenPrjToolButtonClick() {
    offerToSaveCurrentPage();
    platform::FileDialogOptions options;
    options.title = QStringLiteral("Open");
    options.filter = QStringLiteral("KVT Title Project (*.KVT *.kvt)");
    options.directory = dpath;
    options.mustExist = true;
    const std::optional<QString> file = platform::dialogs().openFile(options);
    if (!file) return;
    dpath = directoryPart(*file);
    OpenProject(*file);
    setsav(false);
}

void TBitMovOptMain::SaveprojectClick1() {
    QString name;
    if (!ProjectName.isEmpty()) {
        name = ProjectName;
    } else {
        platform::FileDialogOptions options;
        options.title = QStringLiteral("Save KVT Title Project");
        options.filter = QStringLiteral("KVT Project Files (*.KVT *.kvt)");
        options.directory = dpath;
        const std::optional<QString> file = platform::dialogs().saveFile(options);
        if (!file) return;
        name = file->trimmed();
        dpath = directoryPart(name);
    }
    if (dpath.isEmpty()) dpath = QDir::currentPath() + QLatin1Char('/');
    name = withKvtExtension(fileNamePart(name));
    // The page count is that of the project being saved, under its new name.
    const QString pages = GetNumberOFPages(StripKVT(name)).value_or(QString());
    if (!writeProjectFile(dpath + name, QApplication::applicationName(), Version, name,
                          birthText(QDateTime::currentDateTime()), pages, UseColorBars,
                          UseCountDown, Holdtime, platform::SystemInfo::bitsPerPixel(),
                          platform::SystemInfo::paletteReservedEntries(), stageWidth(),
                          stageHeight(), ProjectMotion)) {
        // The project keeps the name it had: nothing was saved under the new one.
        platform::dialogs().message(MsgKind::Error,
                                    QStringLiteral("Can not write the project file ") + dpath +
                                        name,
                                    MsgButtons::OK);
        return;
    }
    ProjectName = name;
    StageWidth = stageWidth();
    StageHeight = stageHeight();
    ShowProjectLabel(ProjectName, GetNumberOFPages(StripKVT(ProjectName)).value_or(QString()));
}

void TBitMovOptMain::SavePrjToolButtonClick() {
    SaveprojectClick1();
    NewPageButton->setEnabled(true);
    CopyPageButton->setEnabled(true);
}

void TBitMovOptMain::NewProj1Click() {
    offerToSaveCurrentPage();
    // The pages and the project's saves still go to an open project, which keeps its own motion
    // as it keeps its stage; without one, the project to come is a new one.
    if (ProjectName.isEmpty()) ProjectMotion = Motion::Smooth;
    Initiate();
    ShowPage();
    ShowProjectLabel(QString(), QStringLiteral("NEW"));
}

void TBitMovOptMain::NewPrjToolButtonClick() {
    offerToSaveCurrentPage();
    ProjectName.clear();
    StageWidth = StageHeight = 0; // the new project's is fixed by its first save
    ProjectMotion = Motion::Smooth;
    ShowProjectLabel(QString(), QStringLiteral("000"));
    NewPageButton->setEnabled(false);
    CopyPageButton->setEnabled(false);
    Initiate();
    makenewpage();
    ShowPage();
    currentpage = 0;
    CurPgNumber->setText(QStringLiteral("000"));
    setsav(true);
}

// A screen's side beyond what a stage may have gives the nearest a stage may have.
int TBitMovOptMain::stageWidth() const {
    return StageWidth != 0 ? StageWidth
                           : std::clamp(platform::Screen::width(), MinStageSide, MaxStageSide);
}

int TBitMovOptMain::stageHeight() const {
    return StageHeight != 0 ? StageHeight
                            : std::clamp(platform::Screen::height(), MinStageSide, MaxStageSide);
}

void TBitMovOptMain::setStage(int width, int height) {
    StageWidth = width;
    StageHeight = height;
    // A project not saved yet takes it with its first save.
    const QString file = dpath + ProjectName;
    if (!ProjectName.isEmpty() && QFileInfo::exists(file)) writeStage(file, width, height);
}

void TBitMovOptMain::setMotion(Motion motion) {
    ProjectMotion = motion;
    // As the stage: a file that cannot be written keeps what it had, and the project's next
    // save writes the motion with the rest.
    const QString file = dpath + ProjectName;
    if (!ProjectName.isEmpty() && QFileInfo::exists(file)) writeMotion(file, motion);
}

void TBitMovOptMain::chooseMotion(Motion motion) {
    if (motion == ProjectMotion) return;
    document_.undoStack().push(
        new SetMotion(ProjectMotion, motion, [this](Motion m) { setMotion(m); }));
}

// ---- Page commands ------------------------------------------------------------------------

void TBitMovOptMain::CurrentPageClick(QObject* sender) {
    const bool next = sender == NextPage;
    const bool prev = sender == PrevPage;
    if ((next || prev) && (sav || add)) {
        if (platform::dialogs().message(MsgKind::Confirmation, QStringLiteral("Save current page?"),
                                        MsgButtons::YesNo) == Answer::Yes) {
            SaveCurPage();
            return;
        }
    }
    if (next) {
        if (PageValid(dpath, ProjectName, currentpage + 1)) {
            currentpage = currentpage + 1;
        } else {
            NextPage->setEnabled(false);
            PrevPage->setEnabled(true);
            return;
        }
    }
    if (currentpage >= 0) PrevPage->setEnabled(true);
    if (prev && currentpage >= 0) {
        if (PageValid(dpath, ProjectName, currentpage - 1)) {
            currentpage = currentpage - 1;
        } else {
            if (currentpage == 0) PrevPage->setEnabled(false);
            NextPage->setEnabled(true);
            return;
        }
    }
    if (currentpage >= 0) NextPage->setEnabled(true);
    CurPgNumber->setText(MakePageNumber(currentpage));
    LoadPage(ProjectName);
}

void TBitMovOptMain::NextPageClick() {
    CurrentPageClick(NextPage);
}
void TBitMovOptMain::PrevPageClick() {
    CurrentPageClick(PrevPage);
}

void TBitMovOptMain::NewPageButtonClick() {
    if (add) return;
    add = true;
    setStatusPanel(2, QStringLiteral("New Page"));
    NewPageButton->setEnabled(false);
    CopyPageButton->setEnabled(false);
    makenewpage();
    Initiate();
    if (const std::optional<QString> next = GetNextPageNumber()) setStatusPanel(2, *next);
    ShowPage();
    setsav(true);
}

void TBitMovOptMain::CopyPageButtonClick() {
    CopyPage1Click();
}

void TBitMovOptMain::CopyPage1Click() {
    document_.forgetEdits();
    setsav(true);
    setStatusPanel(2, QStringLiteral("Copy Page"));
    NewPageButton->setEnabled(false);
    CopyPageButton->setEnabled(false);
    GetNextPageNumber();
}

void TBitMovOptMain::SavePgToolButtonClick() {
    if (ProjectName.isEmpty()) {
        inform(QStringLiteral("Save Project first, than add New pages."));
        return;
    }
    SaveCurPage();
    // After a failed save the page is still changed, and new pages wait until it is saved.
    if (!sav) {
        NewPageButton->setEnabled(true);
        CopyPageButton->setEnabled(true);
    }
}

void TBitMovOptMain::DeletePgToolButtonClick() {
    BDeletepageClick();
}

void TBitMovOptMain::BDeletepageClick() {
    if (!PageValid(dpath, ProjectName, currentpage)) return;
    const QString base = StripKVT(ProjectName);
    const QString number = MakePageNumber(currentpage);
    if (platform::dialogs().message(MsgKind::Warning,
                                    QStringLiteral("Delete Page ") + number +
                                        QStringLiteral(" of ") + base +
                                        QStringLiteral(" ARE YOU SURE?"),
                                    MsgButtons::YesNo) != Answer::Yes)
        return;
    if (!deletePageFile(pageFileName(dpath, base, number))) {
        platform::dialogs().message(
            MsgKind::Error, QStringLiteral("File I/O error, page not deleted."), MsgButtons::OK);
        return;
    }
    renumberfrompg(currentpage, ProjectName);
    if (PageValid(dpath, ProjectName, currentpage - 1)) {
        currentpage = currentpage - 1;
        LoadPage(ProjectName);
    } else if (PageValid(dpath, ProjectName, currentpage + 1)) {
        currentpage = currentpage + 1;
        LoadPage(ProjectName);
    }
}

void TBitMovOptMain::renumberfrompg(std::int32_t page, const QString& projectName) {
    const QString base = StripKVT(projectName);
    renumberPagesAbove(dpath, base, page,
                       [this, &base](const QString& n) { ShowProjectLabel(base, n); });
}

// ---- Pictures and waves -------------------------------------------------------------------

void TBitMovOptMain::LoadBitmap1Click() {
    platform::FileDialogOptions options;
    options.title = QStringLiteral("Load A Graphic File");
    options.filter = QStringLiteral("Bitmaps (*.bmp)");
    options.defaultSuffix = QStringLiteral("BMP");
    options.mustExist = true;
    options.directory = dpath;
    const std::optional<QString> file = platform::dialogs().openFile(options);
    if (!file) return;
    const QString name = storableFileName(dpath, *file);
    const int n = popupLine;
    const bool shown = loadbimage(name, preview(n), previewLabel(n));
    document_.undoStack().push(new ChooseBitmap(document_, n, name, shown));
    const QSignalBlocker block(editFor(n));
    editFor(n)->clear();
}

void TBitMovOptMain::PlayaWaveto1Click() {
    platform::FileDialogOptions options;
    options.title = QStringLiteral("Open");
    options.filter = QStringLiteral("Wave Files (*.wav)");
    options.directory = dpath;
    const std::optional<QString> file = platform::dialogs().openFile(options);
    if (!file) return;
    document_.undoStack().push(
        new ChooseWave(document_, popupLine, storableFileName(dpath, *file)));
}

bool TBitMovOptMain::loadbimage(const QString& file, QLabel* image, QLabel* label) {
    label->setText(file);
    for (int n = 1; n <= 3; ++n)
        if (preview(n) == image) shownPicture_[n - 1] = file;
    platform::Bitmap picture;
    if (!picture.loadFromFile(projectFile(file))) {
        platform::dialogs().message(
            MsgKind::Error, QStringLiteral("Error opening graphics file: ") + file, MsgButtons::OK);
        return false;
    }
    image->setPixmap(QPixmap::fromImage(picture.toQImage()));
    image->setScaledContents(true);
    image->show();
    ShowIMagelab();
    return true;
}

void TBitMovOptMain::ShowIMagelab() {
    for (int n = 1; n <= 3; ++n) {
        if (line(n).BitmapFile.isEmpty()) continue;
        QLabel* label = previewLabel(n);
        QLineEdit* e = editFor(n);
        label->move(e->x(), e->y() + e->height() + (n == 1 ? 1 : 0));
        label->setText(line(n).BitmapFile);
        label->show();
    }
}

void TBitMovOptMain::loadprevus() {
    static const char* const which[3] = {" for line one?", " for line two?", " for line three?"};
    for (int n = 1; n <= 3; ++n) {
        const QString file = line(n).BitmapFile;
        if (file.isEmpty()) continue;
        if (!loadbimage(file, preview(n), previewLabel(n)))
            pmsg(QStringLiteral(" Where is ") + file + QLatin1String(which[n - 1]));
    }
}

} // namespace velmora
