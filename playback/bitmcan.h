#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <QTimer>

#include "model/editor_state.h"
#include "model/page_document.h"
#include "model/playback_port.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/WavePlayer.h"
#include "player/page_player.h"
#include "player/smooth_page.h"
#include "player/show_clock.h"
#include "player/strip.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QToolButton;

namespace velmora {

class TCan;

// What the playback window needs of the editor beside the page: its state when a page starts,
// and the way back to it when playback ends.
struct PlaybackHost {
    std::function<EditorState()> state;
    std::function<void()> returnToEditor;
    // The editor's AlignMode, set while the align screen is up.
    std::function<void(bool)> setAlignMode;
    // Shows the diagnostics window.
    std::function<void()> showProjectInformation;
};

// A title line's strip as the align screen shows it: a control over the screen, the size of its
// picture, that the mouse drags. It hands its presses, moves and releases to the screen.
class Tbmp : public QWidget {
public:
    Tbmp(TCan& owner, int line, platform::PixelFormat format);

    Strip strip;
    int line() const { return line_; }
    // Sizes the control to its picture and places it where the strip stands.
    void fitToStrip();
    // Where the strip stands, in stage pixels.
    QPoint stagePos() const { return {strip.Left, strip.Top}; }
    // Stands the strip at a stage place, and the control where that place shows.
    void place(QPoint stage);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TCan& owner_;
    int line_;
};

// The full-screen black playback window, which is also the align screen. Created once at
// start, after the main window; shown and hidden, never re-created. Everything it shows is
// drawn into a framebuffer the size of the screen. While a page plays, the show clock presents
// the changed part at each display frame; outside a show each drawing is presented at once.
class TCan : public QWidget, public PlaybackPort, private PlayControl, private FrameTarget {
    Q_OBJECT

public:
    TCan(PageDocument& document, PlaybackHost host);
    ~TCan() override;

    // Resting positions of the title lines, held by the page.
    std::int32_t titleX(int line) const { return document_.titleX(line); }
    std::int32_t titleY(int line) const { return document_.titleY(line); }
    void setTitlePos(int line, std::int32_t x, std::int32_t y) {
        document_.setTitlePos(line, x, y);
    }

    // PlaybackPort
    void PlayPage(const QString& PageName) override;
    bool getkillnow() const override { return killnow; }
    void setkillnow(bool value) override { killnow = value; }
    void killcan() override;
    void pauseUNtilSpaceBarReset() override;
    bool spcbarpause() const override { return spcbarpause_; }
    void setspcbarpause(bool value) override { spcbarpause_ = value; }
    void setPlaybackEnabled(bool enabled) override { setEnabled(enabled); }
    bool playbackEnabled() const override { return isEnabled(); }
    void showPlayback() override;
    void invalidatePlayback() override;
    void hidePlayback() override { hide(); }

    // ---- The align screen ----
    void StartAlign() override;
    void ExitAlignClick();
    // One step of a drag over the screen at (X, Y): a strip's or the tool panel's top-left
    // corner follows the pointer. Whether the dragged object was accepted.
    bool CanDragOver(QObject* source, int X, int Y);
    // A drag ended.
    void FormDragDrop();
    void Showgrid1(bool show);
    void Showgrid2(bool show);
    void CheckBox1Click();
    void CheckBox2Click();
    // A press on line n's strip: the right button saves the strip as a bitmap file.
    void ImageMouseDown(int line, Qt::MouseButton button, Qt::MouseButtons buttons,
                        Qt::KeyboardModifiers modifiers);
    void ToolButton4MouseDown();
    void ToolButton4MouseUp();
    void ToolBar1Click();
    void ToolButton11Click();
    void ToolButton2Click();

    // ---- Hand-drawn paths ----
    // Starts line n's in or out path afresh (the path buttons).
    void resetPath(int line, bool in);
    void P1InClick() { resetPath(1, true); }
    void P1OutClick() { resetPath(1, false); }
    void P2InClick() { resetPath(2, true); }
    void P2OutClick() { resetPath(2, false); }
    void P3InClick() { resetPath(3, true); }
    void P3OutClick() { resetPath(3, false); }
    void FormMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int X, int Y);
    void FormMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int X, int Y);
    void FormMouseUp(int X, int Y);
    // One recording step towards the pointer from the previous point, drawn from the pen.
    PathPoint SetXY(int X, int Y, PathPoint previous);
    void ShowAllPaths();
    void Timer1Timer();

    bool alignMode() const { return editorState().AlignMode; }
    // Where a stage point shows in the window, and which stage point a window point shows: the
    // stage is drawn scaled to fit the screen's device pixels and centred.
    QPoint toWindow(QPoint stage) const;
    QPoint toStage(QPoint window) const;
    // Device pixels per window pixel.
    double pixelRatio() const { return pixelRatio_; }
    // The strip control of line n while the align screen shows it.
    Tbmp* strip(int line) const { return strips_[line - 1]; }
    // The path button of line n's in or out path.
    QToolButton* pathButton(int line, bool in) const { return pathButtons_[(line - 1) * 2 + !in]; }

    QTimer Timer1;
    bool MarqueePhase = false;
    std::int32_t PenX = 0;
    std::int32_t PenY = 0;
    QFrame* Panel1 = nullptr;
    QWidget* ToolBar1 = nullptr;
    QToolButton* P1In = nullptr;
    QToolButton* P1Out = nullptr;
    QToolButton* P2In = nullptr;
    QToolButton* P2Out = nullptr;
    QToolButton* P3In = nullptr;
    QToolButton* P3Out = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QToolButton* ToolButton10 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton11 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* gauge1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* Label2 = nullptr;

    platform::PixelFormat ScreenFormat = platform::PixelFormat::Device;
    platform::PixelFormat StripFormat = platform::PixelFormat::Bits24;
    std::int8_t ScreenBits = 0;

    void InitImageScreen(bool alignMode);
    void saveabitmap();
    // Asks for a file name and saves the picture there as a bitmap file.
    void saveBitmapAs(const platform::Bitmap& picture);
    // Prepares the window for showing: screen format, strip format and depth.
    void FormShow();

    platform::WavePlayer MediaPlayer1;

    // The screen the window draws into, and the canvas over it.
    platform::Bitmap& screenBitmap() { return frame_; }
    // Sizes the framebuffer to the screen's device pixels and fits the project's stage in it.
    void fitStageToScreen();
    platform::Canvas& canvas() { return canvas_; }
    // Told the show time of each smooth frame once it is presented, the framebuffer holding it.
    void setFramePresented(std::function<void(std::int64_t showTime)> f) {
        framePresented_ = std::move(f);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class Tbmp;
    void FormCreate();
    void buildAlignPanel();
    // The align screen's part of showing the window.
    void showAlignPanel();
    // Renders line n into a new strip control at its resting position; false when it could not.
    bool setupAlignStrip(int line);
    void KillBitmaps(int line);
    // Places the strip controls where the page now puts its lines (after an undo or redo).
    void placeStripsFromPage();
    // Where line n's strip stands on the align screen; none for a line without one.
    std::optional<QPoint> stripPlace(int n) const;
    // The panel's place nearest `at` at which all of it is on the screen.
    QPoint panelInView(QPoint at) const;
    // Drawing on the align screen is presented once a handler is done, not pixel by pixel.
    struct Batch {
        explicit Batch(TCan& c) : can(c) { ++can.batching_; }
        ~Batch();
        TCan& can;
    };
    void drawGrid(bool grid2, bool show);
    // A grid's box clicked: the grid drawn, or the whole window repainted without it.
    void gridBoxClick(bool grid2);
    // Repaints the whole window: whatever was drawn on the screen is gone.
    void repaintAll();
    // The dragging: what the left button went down on, and the drag's number.
    void beginDrag(QObject* source);
    void dragTo(QPoint windowPos);
    void endDrag(QPoint windowPos);
    // The line and kind of the path button that is down; 0 when none is.
    int downPathLine(bool* in) const;
    Path& pagePath(int line, bool in) {
        return in ? document_.inPath(line) : document_.outPath(line);
    }
    std::int32_t maxPathIndex() const { return editorState().MaxPathIndex; }
    void present(const QRect& r);
    EditorState editorState() const { return host_.state ? host_.state() : EditorState{}; }

    // FrameTarget
    bool hasChanges() const override { return !dirty_.isEmpty(); }
    void present() override;
    void waitEvents() override;
    // The display's frame period.
    std::uint64_t framePeriod() const;
    // Waits, at most two seconds, until the window is exposed on the display.
    void waitUntilExposed();
    // Plays the page smoothly: at each display refresh the frame of that refresh's time is
    // drawn, presented when its time comes, and then keys and clicks are taken.
    PlayOutcome playSmooth(const PageImage& page, const ShowOptions& options);

    // PlayControl
    bool stopped() const override { return killnow; }
    void pump() override;
    void holdForSpaceBar(bool manual) override;
    // Shows the message and closes the player on failure.
    bool openWave(int line, const QString& file) override;
    void playWave() override { MediaPlayer1.play(); }
    void closeWave() override { MediaPlayer1.close(); }
    void beforeMove() override { setCursor(Qt::BlankCursor); }

    PageDocument& document_;
    PlaybackHost host_;
    platform::Bitmap frame_;
    platform::Canvas canvas_;
    double pixelRatio_ = 1;
    bool killnow = false;
    bool spcbarpause_ = false;
    ShowClock* showClock_ = nullptr; // while a page plays
    SmoothPage* smooth_ = nullptr;   // while a page plays smoothly
    std::int64_t smoothShown_ = 0;   // the show time of the frame on the screen
    bool takenOut_ = false;          // Escape sent the lines out
    int smoothCommands_ = 0;         // keys and clicks taken during a smooth page
    std::function<void(std::int64_t)> framePresented_;
    QRect dirty_;                    // drawn, not presented yet
    int batching_ = 0;
    bool panelHeld_ = false; // the panel is hidden while its button is held

    std::array<Tbmp*, 3> strips_{};
    std::array<QToolButton*, 6> pathButtons_{};
    QButtonGroup* pathGroup_ = nullptr;
    QObject* dragSource_ = nullptr;
    int dragNumber_ = 0;
    // The stroke being drawn: its line and kind, and the path as it grows.
    struct Stroke {
        int line = 0;
        bool in = true;
        Path path;
    };
    std::optional<Stroke> stroke_;
};

} // namespace velmora
