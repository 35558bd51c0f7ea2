#pragma once
// The main window's controls by what the user sees:
//   t1dirbutton..t3dirbutton      IN direction buttons of lines 1..3 (left of each title box)
//   T1DirOutButton..T3DirOutButton OUT direction buttons (right of each title box)
//   Edit1..Edit3                  the black title boxes; PopupMenu1 is their right-click menu
//   StaticText3/5/6, StaticText1/2/4  the red, white and blue strips left and right of them
//   PreVuImage1..3, image1label..3   picture previews and their file names
//   ToolBar3                      New, Open, Save, Play, P All, Prev Pg, Next Pg, the page
//                                 number (CurPgNumber), NPg, C Pg, S Pg, D Pg, Align, C Bar, C Dn
//   PANEL1                        "Delay Controls":
//     TrackBar2 / Label7          "Fade" (0..6000; the label shows the value div 230)
//     DelayTrackBar / Label1      "Movement" (0..6000)
//     TrackBar1 / Label3          "Effects ?" (0..6, the raster operation of every copy)
//     PauseTrackBar / Label4, Label8  "Pause" in seconds (0..60) and "Sec"
//     CheckBox1                   "Manual" (wait for the space bar instead of the pause)
//     SpeedButton4                help on pausing and delays
//   StatusPanels[0..4]            count down, colour bars, page source, page number, project
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QString>

#include "model/editor_state.h"
#include "model/page_document.h"
#include "model/page_file.h"
#include "model/page_record.h"
#include "model/project_file.h"
#include "platform/Bitmap.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QMenu;
class QSlider;
class QToolBar;
class QToolButton;

namespace velmora {

class PlaybackPort;

// The "Effects ?" slider's position 0..6: the raster operation every strip copy uses.
extern std::int16_t RasterEffect;
extern const char* const RasterEffectNames[7];

// What the main window asks of the windows above it; the program entry fills these in.
struct Accessories {
    std::function<void()> showSplash;
    std::function<void()> showAbout;
    std::function<void()> showProjectInformation;
    std::function<void()> showUnderYourHood;
    std::function<void()> showColorBarTime;
    std::function<void()> showFontChooser;
    std::function<void()> showEffects;
    // Configuration > "Show Screen...": the screen the show opens on.
    std::function<void()> chooseShowScreen;
    // File > "Export Show...": the project file to render.
    std::function<void(const QString&)> exportShow;
    // Configuration > "Key Screen...": the screen the live show's key goes to.
    std::function<void()> chooseKeyScreen;
    // Configuration > "Remote Control...".
    std::function<void()> remoteControl;
    // Window > "Live": the project file whose pages make the rundown.
    std::function<void(const QString&)> showLive;
};

// Ends the program. Tests replace it; the default quits the event loop (or, for a fatal
// state, the process at once).
struct ProgramEnd {
    std::function<void()> close;
    std::function<void()> halt;
};
ProgramEnd& programEnd();

// The editor window: it owns the one page being edited, carries the menus and tool bars from
// which every command starts, keeps the settings file and decides when the program ends.
class TBitMovOptMain : public QMainWindow {
    Q_OBJECT

    // Declared first: the forwarding references below are bound to it.
    PageDocument document_;

public:
    explicit TBitMovOptMain(Accessories accessories = {});
    ~TBitMovOptMain() override;

    // The one main window.
    static TBitMovOptMain* instance();

    void setPlayback(PlaybackPort* playback) { playback_ = playback; }
    PlaybackPort* playback() const { return playback_; }

    // ---- The page: all of it lives in the document; these forward to it ------------------
    PageDocument& document() { return document_; }
    const PageDocument& document() const { return document_; }
    TitleLine& line(int n) { return document_.line(n); }
    const TitleLine& line(int n) const { return document_.line(n); }
    std::int32_t& fadedelay = document_.settings().fadedelay;
    std::int32_t& PauseTime = document_.settings().PauseTime;
    bool& mpause = document_.settings().mpause;
    Path& inPath(int n) { return document_.inPath(n); }
    Path& outPath(int n) { return document_.outPath(n); }
    std::int32_t titleX(int n) const { return document_.titleX(n); }
    std::int32_t titleY(int n) const { return document_.titleY(n); }

    // ---- Editor and project state --------------------------------------------------------
    std::uint8_t TITLENUM = 1;
    std::int32_t currentpage = 0;
    bool add = false;
    const bool& sav = document_.changedRef(); // the page's changed mark; set with setsav
    QString dpath;
    QString ProjectName;
    bool UseColorBars = false;
    bool UseCountDown = false;
    std::int32_t Holdtime = 10;
    QString Version;
    std::int32_t ChosenDirection = 0;
    QString DirectionSet;
    bool AlignMode = false;
    bool SettingsRead = false;
    QString OSName;
    std::unique_ptr<platform::Bitmap> WorkBitmap;
    std::int32_t MaxPathIndex = 999;
    // The project's stage, the size its pages are laid out in. 0 while the project has none
    // of its own yet (a new project before its first save): it then takes the show screen's.
    int StageWidth = 0;
    int StageHeight = 0;
    // How the project's lines move, as its file says (Stepped when it says nothing, as every
    // project from before the key); a project made with New Project moves smoothly. Stepped
    // until a project is opened or made. Saved with the project.
    Motion ProjectMotion = Motion::Stepped;

    // ---- Accessors -----------------------------------------------------------------------
    bool getadd() const { return add; }
    void setadd(bool v) { add = v; }
    void getdpath(QString& out) const { out = dpath; }
    void SETdpath(const QString& v) { dpath = v; }
    std::int32_t getcurrentpaGE() const { return currentpage; }
    void SETcurrentpaGE(std::int32_t v) { currentpage = v; }
    bool getmpause() const { return mpause; }
    void setmpause(bool v) { mpause = v; }
    std::uint8_t getTITLENUM() const { return TITLENUM; }
    void setTITLENUM(std::uint8_t v) { TITLENUM = v; }
    std::int32_t getfadedelay() const { return fadedelay; }
    void setfadedelay(std::int32_t v) { fadedelay = v; }
    void setsav(bool flag) { document_.setsav(flag); }

    // The edit box of line n, showing its text and font style.
    QLineEdit* editFor(int n) const;
    QString lineText(int n) const;
    std::uint8_t lineFontStyle(int n) const;
    void setLineFontStyle(int n, std::uint8_t style);
    // Line n's edit box in the line's face, style and colour (its size never changes).
    void showLineFont(int n);

    void Initiate();
    void makenewpage();
    void ShowPage();
    // Stores direction `code` as line n's IN ("In") or OUT (anything else) code and shows
    // picture `glyph` of ImageList2 on its button; leaving code 11 clears that path. Hides the
    // direction tool bar.
    void setdirectionButton(const QString& way, int n, int glyph, std::int32_t code);
    // The line's IN or OUT button shows picture `glyph`, copied through WorkBitmap.
    void showDirectionPicture(bool in, int n, int glyph);
    void loadprevus();
    bool loadbimage(const QString& file, QLabel* image, QLabel* label);
    void ShowIMagelab();
    // A picture or wave named without a folder is looked for in the project's folder.
    QString projectFile(const QString& name) const { return velmora::projectFile(dpath, name); }
    // What the playback window reads of the editor besides the page.
    EditorState editorState() const;
    // The project's stage: its own, or the show screen's while it has none.
    int stageWidth() const;
    int stageHeight() const;
    // Gives the project the stage chosen; an open project's file takes it at once.
    void setStage(int width, int height);
    // Gives the project its motion; an open project's file takes it at once, a project not saved
    // yet with its first save.
    void setMotion(Motion motion);
    // The user's choice of motion: as setMotion, as a step on the undo stack that never marks
    // the page. Choosing the motion the project has does nothing.
    void chooseMotion(Motion motion);
    // Brings the editor back in front once playback ends.
    void returnFromPlayback();

    // ---- Messages, status and checks -----------------------------------------------------
    void ShowProjectLabel(const QString& projectName, const QString& pageNumber);
    void pmsg(const QString& text);
    // Shows the fatal message and ends the program; never returns.
    [[noreturn]] void HaltProgrAM(const QString& text);
    void checkstatus();
    QString MakePageNumber(std::int32_t number);

    // ---- Settings and closing ------------------------------------------------------------
    void SettingsReadFile();
    void SettingsWriteFile();
    // Runs the close query; true when the window may close.
    bool FormCloseQuery();
    void Exit1Click();
    void Exit2Click();

    // ---- Pages and projects --------------------------------------------------------------
    void SaveCurPage();
    // When the page on screen has unsaved changes, asks "Save current page?" and saves on Yes.
    void offerToSaveCurrentPage();
    void LoadPage(const QString& projectName);
    void OpenProject(const QString& fileName);
    void OpenPrjToolButtonClick();
    void SaveprojectClick1();
    void SavePrjToolButtonClick();
    void NewProj1Click();
    void NewPrjToolButtonClick();
    void CurrentPageClick(QObject* sender);
    void NextPageClick();
    void PrevPageClick();
    void NewPageButtonClick();
    void CopyPageButtonClick();
    void CopyPage1Click();
    void SavePgToolButtonClick();
    void DeletePgToolButtonClick();
    void BDeletepageClick();
    void renumberfrompg(std::int32_t page, const QString& projectName);
    // The last page of the project's unbroken run ("NEW" without page 000), shown in the
    // status bar; nothing when all 1000 numbers exist.
    std::optional<QString> GetNumberOFPages(const QString& base);
    // The first free page number, which becomes the current page; nothing when all are taken.
    std::optional<QString> GetNextPageNumber();
    // The page on screen as it would be stored.
    PageImage pageFromEditor() const;

    // File > "Import Pages...": a page from each row of a CSV file, the page on screen their
    // template, written at the project's free numbers; the first of them is then shown.
    void ImportPages1Click();
    // File > "Export Texts...": the project's pages as a CSV file.
    void ExportTexts1Click();

    // The one page record buffer: the page as last loaded or saved.
    PageBuffer& pageBuffer = document_.buffer();
    void LoadBitmap1Click();
    void PlayaWaveto1Click();

    // ---- Shows and delay controls --------------------------------------------------------
    void PlayPage2Click();
    void PlayAllPages2Click();
    // The align screen over the page on screen.
    void Align2Click();
    void AlignToolButtonClick() { Align2Click(); }
    void EasySlowdown1Click();
    bool ProjectValid();
    void TrackBar2Change();
    void DelayTrackBArChange();
    void PauseTrackBarChange();
    void TrackBar1Change();
    void CheckBox1Click();
    void ColorBarToolButtonClick();
    void CountDownToolButtonClick();
    void RepeaTLoop1Click();
    void SetColorBarTime1Click();
    bool easySlowdown() const;
    bool repeatLoop() const;

    // ---- Printing ------------------------------------------------------------------------
    // Prints the project summary, every page in turn loaded into the editor; the page on
    // screen is offered for saving first.
    void PrintFileButton1Click1();
    void PrintSetup1Click();

    // ---- Help ----------------------------------------------------------------------------
    void About1Click();
    void Contents1Click();
    void SpeedButton4Click();
    void SpeedButton5Click();

    // ---- Editing a line ------------------------------------------------------------------
    // The IN or OUT button of line n: the direction tool bar opens beside the line.
    void directionButtonClick(int n, bool in);
    // Direction button of code k (1..13).
    void dirClick(int k);
    // The tool bar's three toggles show line n's smoothing, gradient and shadow.
    void settoolbarbuttons(int n);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    // While the gradient button's press has the effects window open: the line, its gradient
    // switch and the page's changed mark as the press found them.
    struct GradientPress {
        int line = 0;
        bool gradientOn = false;
        bool marked = false;
    };
    const std::optional<GradientPress>& gradientPress() const { return gradientPress_; }
    void ToolButton13Click();
    void ShadowColor1Click();
    void ShadowOnOff1Click();
    // "Bold", "Italic", "Under Line", "Strike Out": that one style alone for the menu's line.
    void styleClick(std::uint8_t style, const QString& name);
    // The popup menu opening on line n's edit box.
    void PopupMenu1Popup(int n);
    void FontAtributes1Click();
    void fontbuttonClick();
    void FontTypeSizw1Click();
    void ToolButton9Click();
    // The whole page shown again after an undo or redo.
    void showRestored();

    // ---- Layout --------------------------------------------------------------------------
    void FormResize();

    // ---- Controls ------------------------------------------------------------------------
    QToolButton* t1dirbutton = nullptr;
    QToolButton* t2dirbutton = nullptr;
    QToolButton* t3dirbutton = nullptr;
    QToolButton* T1DirOutButton = nullptr;
    QToolButton* T2DirOutButton = nullptr;
    QToolButton* T3DirOutButton = nullptr;
    QLabel* StaticText1 = nullptr; // right strips: red, white, blue
    QLabel* StaticText2 = nullptr;
    QLabel* StaticText4 = nullptr;
    QLabel* StaticText3 = nullptr; // left strips: red, white, blue
    QLabel* StaticText5 = nullptr;
    QLabel* StaticText6 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* PreVuImage1 = nullptr;
    QLabel* PreVuImage2 = nullptr;
    QLabel* PreVuImage3 = nullptr;
    QLabel* image1label = nullptr;
    QLabel* image2label = nullptr;
    QLabel* image3label = nullptr;
    QLabel* InLabel = nullptr;
    QLabel* OutLabel = nullptr;
    QToolBar* directiontoolbar = nullptr;
    std::array<QToolButton*, 13> dir{}; // dir[k - 1] is the button of code k
    QToolButton* SpeedButton1 = nullptr; // smoothing
    QToolButton* SpeedButton2 = nullptr; // gradient
    QToolButton* SpeedButton3 = nullptr; // shadow
    QToolButton* ToolButton13 = nullptr; // font colour
    QToolButton* fontbutton = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* ToolButton9 = nullptr; // hides the tool bar

    QToolBar* ToolBar3 = nullptr;
    QToolButton* NewPrjToolButton = nullptr;
    QToolButton* OpenPrjToolButton = nullptr;
    QToolButton* SavePrjToolButton = nullptr;
    QToolButton* PlayPgToolButton = nullptr;
    QToolButton* PlayAllToolButton = nullptr;
    QToolButton* PrevPage = nullptr;
    QToolButton* NextPage = nullptr;
    QLabel* CurPgNumber = nullptr;
    QToolButton* NewPageButton = nullptr;
    QToolButton* CopyPageButton = nullptr;
    QToolButton* SavePgToolButton = nullptr;
    QToolButton* DeletePgToolButton = nullptr;
    QToolButton* AlignToolButton = nullptr;
    QToolButton* ColorBarToolButton = nullptr;
    QToolButton* CountDownToolButton = nullptr;

    QGroupBox* PANEL1 = nullptr;
    QSlider* TrackBar2 = nullptr;
    QSlider* DelayTrackBar = nullptr;
    QSlider* TrackBar1 = nullptr;
    QSlider* PauseTrackBar = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QToolButton* SpeedButton4 = nullptr;

    std::array<QLabel*, 5> StatusPanels{};
    QString statusPanel(int i) const;
    void setStatusPanel(int i, const QString& text);

    QMenu* PopupMenu1 = nullptr;
    QAction* EditContent = nullptr;
    QAction* NewProj1 = nullptr;
    QAction* OpenProjectClick = nullptr;
    QAction* Saveproject = nullptr;
    QAction* NewPage1 = nullptr;
    QAction* SavePage1 = nullptr;
    QAction* BDeletepage = nullptr;
    QAction* PrintFileButton1 = nullptr;
    QAction* PrintSetup1 = nullptr;
    QAction* ExportShow1 = nullptr;
    QAction* ImportPages1 = nullptr;
    QAction* ExportTexts1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Align2 = nullptr;
    QAction* PlayPage2 = nullptr;
    QAction* PlayAllPages2 = nullptr;
    QAction* EasySlowdown1 = nullptr;
    QAction* SetColorBarTime1 = nullptr;
    QAction* ShowScreen1 = nullptr;
    QAction* UseColorBars1 = nullptr;
    QAction* UseCountDown1 = nullptr;
    QAction* RepeaTLoop1 = nullptr;
    QAction* ProjectInformation1 = nullptr;
    QAction* Live1 = nullptr;
    QAction* RemoteControl1 = nullptr;
    QAction* KeyScreen1 = nullptr;
    QAction* UnderYourHood1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* Exit2 = nullptr;
    QAction* FontTypeSize1 = nullptr;
    QMenu* FontAtributes1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Bold1 = nullptr;
    QAction* Italic1 = nullptr;
    QAction* UnderLine1 = nullptr;
    QAction* StrikeOut1 = nullptr;
    QAction* FontColor1 = nullptr;
    QAction* ShadowColor1 = nullptr;
    QAction* ShadowOnOff1 = nullptr;
    QAction* LoadBitmap1 = nullptr;
    QAction* PlayaWaveto1 = nullptr;

    // The line whose edit box the popup menu was last opened on (1..3).
    int popupLine = 1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A click on the bare window brings it back over the playback window.
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FormCreate();
    void buildMenus();
    void buildToolBar();
    void buildTitleRows(QWidget* area);
    void buildDelayControls();
    void buildStatusBar();
    void connectCommands();
    void connectPrinting();
    // Renders the saved project to a video file, after offering to save the page on screen.
    void ExportShow1Click();
    // Window > "Live": the project's pages as a rundown, operated live.
    void Live1Click();
    // Before a command loads other pages: a changed or new page on screen is offered for
    // saving. False when the user chose to save it and the save failed.
    bool pageMayBeReplaced();
    void FormClose();
    void Edit1Change(int n);
    void showPageButtons(bool changed);
    // The pause controls for the "Manual" state.
    void showManualState();
    // The delay, pause and "Manual" controls show the page's settings, signals blocked.
    void showSettings();
    void buildDirectionToolBar();
    // The style items checked by the style rule for line n: one style alone shows its mark.
    void markStyles(int n);
    // Line n's picture preview, brought in line with its bitmap name.
    void showPreview(int n);
    void hidePreview(int n);
    // The edit boxes show the document's texts; a text set anew starts at its beginning when
    // fromStart, else the cursor goes to its end.
    void showTexts(bool fromStart);
    // The number of a slider drag in progress, or 0: the changes of one drag are one step.
    int sliderDrag(const QSlider* slider) const;

    QToolButton* inButton(int n) const;
    QToolButton* outButton(int n) const;
    QLabel* preview(int n) const;
    QLabel* previewLabel(int n) const;

    Accessories accessories_;
    PlaybackPort* playback_ = nullptr;
    QWidget* rowsArea_ = nullptr;
    bool closing_ = false;
    std::array<QString, 3> shownPicture_; // the bitmap each preview shows
    TColor colorDialogColor_ = 0;        // the colour dialog keeps its last colour
    std::optional<GradientPress> gradientPress_;
    int sliderDrags_ = 0;
};

} // namespace velmora
