#include "main/bitmov2.h"

#include <cstdlib>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "main/direction_glyphs.h"
#include "platform/Canvas.h"
#include "model/playback_port.h"
#include "model/settings.h"
#include "platform/QtDialogs.h"
#include "platform/Application.h"
#include "platform/Help.h"
#include "platform/Screen.h"
#include "platform/SystemInfo.h"

namespace velmora {

using platform::Answer;
using platform::MsgButtons;
using platform::MsgKind;

namespace {
TBitMovOptMain* theMain = nullptr;

// Below this many bytes of memory left, the program cannot go on.
constexpr std::uint64_t LowMemoryLimit = 512;
// The window's size as designed, and where a saved size is unusable.
constexpr QSize DesignSize(649, 492);
} // namespace

ProgramEnd& programEnd() {
    static ProgramEnd end{[] { QCoreApplication::quit(); }, [] { std::_Exit(1); }};
    return end;
}

TBitMovOptMain::TBitMovOptMain(Accessories accessories) : accessories_(std::move(accessories)) {
    theMain = this;
    setObjectName(QStringLiteral("BitMovOptMain"));
    resize(DesignSize);
    buildMenus();
    buildToolBar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    rowsArea_ = new QWidget(central);
    rowsArea_->setMinimumHeight(250);
    buildTitleRows(rowsArea_);
    layout->addWidget(rowsArea_, 1);
    buildDelayControls();
    layout->addWidget(PANEL1);
    setCentralWidget(central);
    buildStatusBar();
    // Like its controls, the window may be made narrower than its contents.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    this->layout()->setSizeConstraint(QLayout::SetNoConstraint);
    setMinimumSize(160, 200);
    connectCommands();
    platform::setDialogParent(this);
    // After an error that stopped a command: a show in progress ends and the editor returns.
    platform::setExceptionRecovery([this] {
        if (playback_ && playback_->playbackEnabled()) {
            playback_->setkillnow(true);
            playback_->killcan();
        }
    });
    FormCreate();
}

TBitMovOptMain::~TBitMovOptMain() {
    if (theMain == this) {
        theMain = nullptr;
        platform::setExceptionRecovery({});
    }
}

TBitMovOptMain* TBitMovOptMain::instance() {
    return theMain;
}

void TBitMovOptMain::FormCreate() {
    if (accessories_.showSplash) accessories_.showSplash();

    // The common-controls check of old stands for the Qt library: warn when the one found at
    // run time is older than the one the program was built with.
    if (platform::SystemInfo::qtOlderThanBuild(platform::SystemInfo::qtRuntimeVersion(),
                                               platform::SystemInfo::qtBuildVersion()))
        platform::dialogs().message(
            MsgKind::Information,
            QStringLiteral("You need to upgrade Comctrl32.dll to version 4.70  to prevent memory "
                           "problems.\r\nContact Microsoft for this free upgrade."),
            MsgButtons::OK);

    SettingsRead = false;
    dpath.clear();
    Version = QStringLiteral("1.%1").arg(VELMORA_VERSION_MINOR);
    setWindowTitle(QApplication::applicationName() + QStringLiteral(" PRO ") + Version);
    // Of the system families the program names ("Windows 95", "Windows NT"), this is neither.
    OSName = QStringLiteral("Unknown");

    WorkBitmap = std::make_unique<platform::Bitmap>(24, 24, platform::PixelFormat::Bits24);
    directiontoolbar->hide();
    UseCountDown = false;
    UseColorBars = false;
    Holdtime = 10;
    MaxPathIndex = 999;
    Initiate();
}

void TBitMovOptMain::connectCommands() {
    connect(&document_, &PageDocument::changedChanged, this,
            [this](bool changed) { showPageButtons(changed); });
    connect(NewProj1, &QAction::triggered, this, [this] { NewProj1Click(); });
    connect(OpenProjectClick, &QAction::triggered, this, [this] { OpenPrjToolButtonClick(); });
    connect(Saveproject, &QAction::triggered, this, [this] { SaveprojectClick1(); });
    connect(BDeletepage, &QAction::triggered, this, [this] { BDeletepageClick(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(Exit2, &QAction::triggered, this, [this] { Exit2Click(); });
    connect(PlayPage2, &QAction::triggered, this, [this] { PlayPage2Click(); });
    connect(PlayAllPages2, &QAction::triggered, this, [this] { PlayAllPages2Click(); });
    connect(Align2, &QAction::triggered, this, [this] { Align2Click(); });
    // "Easy Slow down" and "RepeaT - Loop" only invert their check marks, which choosing a
    // checkable menu item does by itself: they need no connection.
    connect(SetColorBarTime1, &QAction::triggered, this, [this] { SetColorBarTime1Click(); });
    connect(UseColorBars1, &QAction::triggered, this, [this] { ColorBarToolButtonClick(); });
    connect(UseCountDown1, &QAction::triggered, this, [this] { CountDownToolButtonClick(); });
    connect(ProjectInformation1, &QAction::triggered, this, [this] {
        if (accessories_.showProjectInformation) accessories_.showProjectInformation();
    });
    connect(UnderYourHood1, &QAction::triggered, this, [this] {
        if (accessories_.showUnderYourHood) accessories_.showUnderYourHood();
    });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
    connect(Contents1, &QAction::triggered, this, [this] { Contents1Click(); });
    connect(LoadBitmap1, &QAction::triggered, this, [this] { LoadBitmap1Click(); });
    connect(PlayaWaveto1, &QAction::triggered, this, [this] { PlayaWaveto1Click(); });

    connect(NewPrjToolButton, &QToolButton::clicked, this, [this] { NewPrjToolButtonClick(); });
    connect(OpenPrjToolButton, &QToolButton::clicked, this, [this] { OpenPrjToolButtonClick(); });
    connect(SavePrjToolButton, &QToolButton::clicked, this, [this] { SavePrjToolButtonClick(); });
    connect(PlayPgToolButton, &QToolButton::clicked, this, [this] { PlayPage2Click(); });
    connect(PlayAllToolButton, &QToolButton::clicked, this, [this] { PlayAllPages2Click(); });
    connect(AlignToolButton, &QToolButton::clicked, this, [this] { AlignToolButtonClick(); });
    connect(PrevPage, &QToolButton::clicked, this, [this] { PrevPageClick(); });
    connect(NextPage, &QToolButton::clicked, this, [this] { NextPageClick(); });
    connect(NewPageButton, &QToolButton::clicked, this, [this] { NewPageButtonClick(); });
    connect(CopyPageButton, &QToolButton::clicked, this, [this] { CopyPageButtonClick(); });
    connect(SavePgToolButton, &QToolButton::clicked, this, [this] { SavePgToolButtonClick(); });
    connect(DeletePgToolButton, &QToolButton::clicked, this, [this] { DeletePgToolButtonClick(); });
    connect(ColorBarToolButton, &QToolButton::clicked, this, [this] { ColorBarToolButtonClick(); });
    connect(CountDownToolButton, &QToolButton::clicked, this,
            [this] { CountDownToolButtonClick(); });

    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(DelayTrackBar, &QSlider::valueChanged, this, [this] { DelayTrackBArChange(); });
    connect(PauseTrackBar, &QSlider::valueChanged, this, [this] { PauseTrackBarChange(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { SpeedButton5Click(); });

    for (QSlider* s : {TrackBar2, DelayTrackBar, PauseTrackBar})
        connect(s, &QSlider::sliderPressed, this, [this] { ++sliderDrags_; });
    connect(&document_, &PageDocument::restored, this, [this] { showRestored(); });

    for (int n = 1; n <= 3; ++n) {
        QLineEdit* e = editFor(n);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, [this, n] { Edit1Change(n); });
        connect(e, &QWidget::customContextMenuRequested, this, [this, n, e](const QPoint& p) {
            PopupMenu1Popup(n);
            PopupMenu1->popup(e->mapToGlobal(p));
        });
        connect(inButton(n), &QToolButton::clicked, this,
                [this, n] { directionButtonClick(n, true); });
        connect(outButton(n), &QToolButton::clicked, this,
                [this, n] { directionButtonClick(n, false); });
    }
    for (int k = 1; k <= 13; ++k)
        connect(dir[k - 1], &QToolButton::clicked, this, [this, k] { dirClick(k); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(ToolButton13, &QToolButton::clicked, this, [this] { ToolButton13Click(); });
    connect(fontbutton, &QToolButton::clicked, this, [this] { fontbuttonClick(); });
    connect(ToolButton9, &QToolButton::clicked, this, [this] { ToolButton9Click(); });
    connect(FontTypeSize1, &QAction::triggered, this, [this] { FontTypeSizw1Click(); });
    connect(FontAtributes1, &QMenu::aboutToShow, this, [this] { FontAtributes1Click(); });
    connect(Bold1, &QAction::triggered, this, [this] { styleClick(1, Bold1->text()); });
    connect(Italic1, &QAction::triggered, this, [this] { styleClick(2, Italic1->text()); });
    connect(UnderLine1, &QAction::triggered, this, [this] { styleClick(4, UnderLine1->text()); });
    connect(StrikeOut1, &QAction::triggered, this, [this] { styleClick(8, StrikeOut1->text()); });
    connect(FontColor1, &QAction::triggered, this, [this] { ToolButton13Click(); });
    connect(ShadowColor1, &QAction::triggered, this, [this] { ShadowColor1Click(); });
    connect(ShadowOnOff1, &QAction::triggered, this, [this] { ShadowOnOff1Click(); });
}

// ---- Controls by line ---------------------------------------------------------------------

QLineEdit* TBitMovOptMain::editFor(int n) const {
    return n == 1 ? Edit1 : n == 2 ? Edit2 : Edit3;
}
QToolButton* TBitMovOptMain::inButton(int n) const {
    return n == 1 ? t1dirbutton : n == 2 ? t2dirbutton : t3dirbutton;
}
QToolButton* TBitMovOptMain::outButton(int n) const {
    return n == 1 ? T1DirOutButton : n == 2 ? T2DirOutButton : T3DirOutButton;
}
QLabel* TBitMovOptMain::preview(int n) const {
    return n == 1 ? PreVuImage1 : n == 2 ? PreVuImage2 : PreVuImage3;
}
QLabel* TBitMovOptMain::previewLabel(int n) const {
    return n == 1 ? image1label : n == 2 ? image2label : image3label;
}

QString TBitMovOptMain::lineText(int n) const {
    return document_.text(n);
}

std::uint8_t TBitMovOptMain::lineFontStyle(int n) const {
    return document_.fontStyle(n);
}

void TBitMovOptMain::setLineFontStyle(int n, std::uint8_t style) {
    document_.setFontStyle(n, style);
    showLineFont(n);
}

void TBitMovOptMain::showLineFont(int n) {
    QLineEdit* e = editFor(n);
    const std::uint8_t style = document_.fontStyle(n);
    QFont f = e->font();
    f.setFamily(line(n).FontName);
    f.setBold(style & platform::fsBold);
    f.setItalic(style & platform::fsItalic);
    f.setUnderline(style & platform::fsUnderline);
    f.setStrikeOut(style & platform::fsStrikeOut);
    e->setFont(f);
    const TColor c = line(n).FontColor;
    e->setStyleSheet(QStringLiteral("QLineEdit { background: black; color: #%1%2%3; }")
                         .arg(platform::redOf(c), 2, 16, QLatin1Char('0'))
                         .arg(platform::greenOf(c), 2, 16, QLatin1Char('0'))
                         .arg(platform::blueOf(c), 2, 16, QLatin1Char('0')));
}

QString TBitMovOptMain::statusPanel(int i) const {
    return StatusPanels[i]->text();
}
void TBitMovOptMain::setStatusPanel(int i, const QString& text) {
    StatusPanels[i]->setText(text);
}

// ---- The page -----------------------------------------------------------------------------

void TBitMovOptMain::showPageButtons(bool changed) {
    SavePgToolButton->setEnabled(changed);
    NewPageButton->setEnabled(!changed);
    CopyPageButton->setEnabled(!changed);
}

EditorState TBitMovOptMain::editorState() const {
    EditorState s;
    s.AlignMode = AlignMode;
    s.easySlowdown = easySlowdown();
    s.rasterEffect = RasterEffect;
    s.UseColorBars = UseColorBars;
    s.UseCountDown = UseCountDown;
    s.Holdtime = Holdtime;
    s.dpath = dpath;
    s.MaxPathIndex = MaxPathIndex;
    s.StageWidth = stageWidth();
    s.StageHeight = stageHeight();
    s.smoothMotion = ProjectMotion == Motion::Smooth;
    return s;
}

void TBitMovOptMain::returnFromPlayback() {
    show();
    raise();
    activateWindow();
}

void TBitMovOptMain::Initiate() {
    for (int n = 1; n <= 3; ++n)
        line(n).FontName = QStringLiteral("Arial");
    for (int n = 1; n <= 3; ++n)
        line(n).FontSize = 40;
    for (int n = 1; n <= 3; ++n)
        line(n).ShadowOn = false;
    for (int n = 1; n <= 3; ++n)
        line(n).FontColor = 0xFFFFFF;
    for (int n = 1; n <= 3; ++n)
        line(n).ShadowColor = 0xC0C0C0;
    AlignMode = false;
    TITLENUM = 1;
    PauseTime = 0;
    fadedelay = 0;
    CheckBox1->setChecked(false);
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    for (int n = 1; n <= 3; ++n)
        line(n).BitmapFile.clear();
    for (int n = 1; n <= 3; ++n)
        line(n).InUse = false;
    for (int n = 1; n <= 3; ++n)
        line(n).InDirection = 5;
    for (int n = 1; n <= 3; ++n)
        line(n).OutDirection = 6;
    for (int n = 1; n <= 3; ++n)
        line(n).GradientStartColor = 0xFFFFFF;
    for (int n = 1; n <= 3; ++n)
        line(n).GradientOn = false;
}

void TBitMovOptMain::makenewpage() {
    for (int n = 1; n <= 3; ++n) {
        document_.clearPath(n, true, MaxPathIndex);
        document_.clearPath(n, false, MaxPathIndex);
    }
    for (int n = 1; n <= 3; ++n) {
        hidePreview(n);
        line(n).InUse = false;
    }
}

void TBitMovOptMain::ShowPage() {
    for (int n = 1; n <= 3; ++n) {
        const std::int32_t code = line(n).InDirection;
        if (code >= 1 && code <= 13) setdirectionButton(QStringLiteral("In"), n, code - 1, code);
    }
    for (int n = 1; n <= 3; ++n) {
        const std::int32_t code = line(n).OutDirection;
        if (code >= 1 && code <= 13) setdirectionButton(QStringLiteral("Out"), n, code - 1, code);
    }
    showSettings();
    for (int n = 1; n <= 3; ++n)
        showLineFont(n);
    for (int n = 1; n <= 3; ++n)
        line(n).InUse = !editFor(n)->text().isEmpty() || !line(n).BitmapFile.isEmpty();
    loadprevus();
    ShowProjectLabel(ProjectName, MakePageNumber(currentpage));
    // The page shown is a page loaded, new or replaced: what was done to the one before cannot
    // be undone on it.
    document_.forgetEdits();
}

// ---- Messages, status and checks ----------------------------------------------------------

void TBitMovOptMain::ShowProjectLabel(const QString& projectName, const QString& pageNumber) {
    setStatusPanel(3, pageNumber);
    setStatusPanel(4, QStringLiteral("PROJECT: ") + projectName);
    CurPgNumber->setText(MakePageNumber(currentpage));
}

void TBitMovOptMain::pmsg(const QString& text) {
    platform::dialogs().message(MsgKind::Information, QStringLiteral("File error, ") + text,
                                MsgButtons::OK);
}

void TBitMovOptMain::HaltProgrAM(const QString& text) {
    platform::dialogs().message(
        MsgKind::Error,
        text + QStringLiteral(" Please Contact KVT-ORBANEX about this error.") +
            QStringLiteral("\r\nVelmora will now shut down."),
        MsgButtons::OK);
    programEnd().halt();
    std::_Exit(1);
}

void TBitMovOptMain::checkstatus() {
    // The memory the system can still give the process stands for the heap's free total.
    if (platform::SystemInfo::availableMemory() < LowMemoryLimit)
        HaltProgrAM(QStringLiteral("Memory is very Low"));
}

// ---- Settings and closing -----------------------------------------------------------------

void TBitMovOptMain::SettingsReadFile() {
    Settings s;
    if (!readSettings(settingsFilePath(), s)) return;
    const QRect screen(0, 0, platform::Screen::width(), platform::Screen::height());
    const QRect place =
        placeOnScreen({s.Left, s.Top, s.Width, s.Height}, screen, minimumSize(), DesignSize);
    move(place.topLeft());
    resize(place.size());
    dpath = s.dpath;
    if (!s.Lastproject.isEmpty() && QFileInfo::exists(s.Lastproject)) OpenProject(s.Lastproject);
}

void TBitMovOptMain::SettingsWriteFile() {
    SettingsToWrite v;
    v.program = QApplication::applicationName();
    v.version = Version;
    v.lastproject = ProjectName.isEmpty() ? QString() : dpath + ProjectName;
    v.dir = dpath;
    v.top = y();
    v.left = x();
    v.height = height();
    v.width = width();
    v.birth = birthText(QDateTime::currentDateTime());
    writeSettings(settingsFilePath(), v);
}

bool TBitMovOptMain::FormCloseQuery() {
    if (!sav || ProjectName.isEmpty()) return true;
    switch (platform::dialogs().message(MsgKind::Confirmation,
                                        QStringLiteral("Save current page first?"),
                                        MsgButtons::YesNoCancel)) {
    case Answer::Yes:
        SaveCurPage();
        return true;
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void TBitMovOptMain::FormClose() {
    SettingsWriteFile();
    WorkBitmap.reset();
    programEnd().close();
}

void TBitMovOptMain::closeEvent(QCloseEvent* event) {
    if (closing_ || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
    FormClose();
}

void TBitMovOptMain::Exit1Click() {
    SettingsWriteFile();
    close();
}

void TBitMovOptMain::Exit2Click() {
    close();
}

void TBitMovOptMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TBitMovOptMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormResize();
}

// ---- Help ---------------------------------------------------------------------------------

void TBitMovOptMain::About1Click() {
    if (accessories_.showAbout) accessories_.showAbout();
}
void TBitMovOptMain::Contents1Click() {
    platform::Help::showContents();
}
void TBitMovOptMain::SpeedButton4Click() {
    platform::Help::showTopic(QStringLiteral("About Pausing and Delays"));
}
void TBitMovOptMain::SpeedButton5Click() {
    platform::Help::showTopic(QStringLiteral("Buttons"));
}

} // namespace velmora
