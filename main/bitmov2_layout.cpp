// Building the main window's controls: menus, the tool bar, the three title rows, the delay
// controls and the status bar. Every control a user can operate has an accessible name.
#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

#include "main/bitmov2.h"
#include "main/direction_glyphs.h"

namespace velmora {

namespace {

// A title box takes as many characters as a page keeps of a title, counted as a person counts
// them (perceivedLength): QLineEdit's own limit counts UTF-16 units, so it would take 40 emoji
// or 40 letters typed with their marks apart. As that limit did, what goes past the limit is
// cut from what was typed or pasted, and the rest of the title stays.
class TitleLimit : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        if (perceivedLength(input) > pagelayout::TextChars) {
            input = withinLimit(input);
            pos = std::min<int>(pos, int(input.size()));
        }
        last_ = input;
        return Acceptable;
    }

private:
    // The change from the last text accepted, its new part cut to the room left.
    QString withinLimit(const QString& input) const {
        qsizetype head = 0;
        while (head < last_.size() && head < input.size() && last_[head] == input[head])
            ++head;
        qsizetype tail = 0;
        while (tail < last_.size() - head && tail < input.size() - head &&
               last_[last_.size() - 1 - tail] == input[input.size() - 1 - tail])
            ++tail;
        const QString before = input.left(head), after = input.right(tail);
        QString added = input.mid(head, input.size() - head - tail);
        added = leftPerceived(added, pagelayout::TextChars - perceivedLength(before + after));
        while (!added.isEmpty() && perceivedLength(before + added + after) > pagelayout::TextChars)
            added = leftPerceived(added, perceivedLength(added) - 1);
        const QString kept = before + added + after;
        return perceivedLength(kept) <= pagelayout::TextChars
                   ? kept
                   : leftPerceived(kept, pagelayout::TextChars);
    }

    mutable QString last_;
};

constexpr int RowTop = 22;     // first title row, below the "IN" and "OUT" labels
constexpr int RowStep = 78;    // from one title row to the next
constexpr int RowHeight = 44;  // edit box height (32-pixel text)
constexpr int ButtonSize = 30; // IN and OUT buttons
constexpr int StripWidth = 6;  // the coloured strips beside the edit boxes

QLabel* colourStrip(QWidget* parent, const QColor& c) {
    auto* l = new QLabel(parent);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, c);
    l->setPalette(pal);
    l->resize(StripWidth, RowHeight);
    return l;
}

QToolButton* dirButton(QWidget* parent, const QString& name) {
    auto* b = new QToolButton(parent);
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->resize(ButtonSize, ButtonSize);
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setIcon(glyphIcon(questionGlyph()));
    return b;
}

QSlider* slider(QWidget* parent, const QString& name, int max, int line, int page, int tick) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setRange(0, max);
    s->setSingleStep(line);
    s->setPageStep(page);
    s->setTickInterval(tick);
    s->setTickPosition(QSlider::TicksBelow);
    s->setAccessibleName(name);
    return s;
}

} // namespace

void TBitMovOptMain::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    NewProj1 = file->addAction(QStringLiteral("&New Project"));
    OpenProjectClick = file->addAction(QStringLiteral("&Open Project..."));
    Saveproject = file->addAction(QStringLiteral("&Save Project"));
    file->addSeparator();
    NewPage1 = file->addAction(QStringLiteral("New &Page"));
    SavePage1 = file->addAction(QStringLiteral("Save P&age..."));
    BDeletepage = file->addAction(QStringLiteral("&Delete Current Page"));
    ImportPages1 = file->addAction(QStringLiteral("Import Pages..."));
    connect(ImportPages1, &QAction::triggered, this, [this] { ImportPages1Click(); });
    file->addSeparator();
    PrintFileButton1 = file->addAction(QStringLiteral("&Print..."));
    PrintSetup1 = file->addAction(QStringLiteral("P&rint Setup..."));
    connectPrinting();
    ExportShow1 = file->addAction(QStringLiteral("&Export Show..."));
    connect(ExportShow1, &QAction::triggered, this, [this] { ExportShow1Click(); });
    ExportTexts1 = file->addAction(QStringLiteral("Export Texts..."));
    connect(ExportTexts1, &QAction::triggered, this, [this] { ExportTexts1Click(); });
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("E&xit"));

    QMenu* page = bar->addMenu(QStringLiteral("&Page"));
    Align2 = page->addAction(QStringLiteral("Align"));
    Align2->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    PlayPage2 = page->addAction(QStringLiteral("Play Page"));
    PlayPage2->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    PlayAllPages2 = page->addAction(QStringLiteral("Play All Pages"));
    EasySlowdown1 = page->addAction(QStringLiteral("Easy Slow down"));
    EasySlowdown1->setCheckable(true);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    Undo1 = document_.undoStack().createUndoAction(this, QStringLiteral("Undo"));
    Undo1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    Redo1 = document_.undoStack().createRedoAction(this, QStringLiteral("Redo"));
    Redo1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    edit->addAction(Undo1);
    edit->addAction(Redo1);

    QMenu* config = bar->addMenu(QStringLiteral("&Configuration"));
    SetColorBarTime1 = config->addAction(QStringLiteral("Set Color Bar Time"));
    UseColorBars1 = config->addAction(QStringLiteral("Use Color Bars"));
    UseColorBars1->setCheckable(true);
    UseCountDown1 = config->addAction(QStringLiteral("Use Count Down"));
    UseCountDown1->setCheckable(true);
    RepeaTLoop1 = config->addAction(QStringLiteral("RepeaT - Loop"));
    RepeaTLoop1->setCheckable(true);
    config->addSeparator();
    RemoteControl1 = config->addAction(QStringLiteral("Remote Control..."));
    connect(RemoteControl1, &QAction::triggered, this, [this] {
        if (accessories_.remoteControl) accessories_.remoteControl();
    });
    KeyScreen1 = config->addAction(QStringLiteral("Key Screen..."));
    connect(KeyScreen1, &QAction::triggered, this, [this] {
        if (accessories_.chooseKeyScreen) accessories_.chooseKeyScreen();
    });
    ShowScreen1 = config->addAction(QStringLiteral("Show Screen..."));
    connect(ShowScreen1, &QAction::triggered, this, [this] {
        if (accessories_.chooseShowScreen) accessories_.chooseShowScreen();
    });

    QMenu* window = bar->addMenu(QStringLiteral("&Window"));
    ProjectInformation1 = window->addAction(QStringLiteral("Project Information"));
    UnderYourHood1 = window->addAction(QStringLiteral("Under Your Hood"));
    Live1 = window->addAction(QStringLiteral("Live"));
    Live1->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    connect(Live1, &QAction::triggered, this, [this] { Live1Click(); });

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    About1 = help->addAction(QStringLiteral("About"));
    Contents1 = help->addAction(QStringLiteral("Contents"));

    Exit2 = bar->addAction(QStringLiteral("E&xit"));

    // The edit boxes' shared popup menu.
    PopupMenu1 = new QMenu(this);
    EditContent = PopupMenu1->addAction(QStringLiteral("[]"));
    PopupMenu1->addSeparator();
    FontTypeSize1 = PopupMenu1->addAction(QStringLiteral("Font Type -Size"));
    FontAtributes1 = PopupMenu1->addMenu(QStringLiteral("Font Atributes"));
    Bold1 = FontAtributes1->addAction(QStringLiteral("Bold"));
    Italic1 = FontAtributes1->addAction(QStringLiteral("Italic"));
    UnderLine1 = FontAtributes1->addAction(QStringLiteral("Under Line"));
    StrikeOut1 = FontAtributes1->addAction(QStringLiteral("Strike Out"));
    for (QAction* a : {Bold1, Italic1, UnderLine1, StrikeOut1})
        a->setCheckable(true);
    FontColor1 = PopupMenu1->addAction(QStringLiteral("Font Color"));
    ShadowColor1 = PopupMenu1->addAction(QStringLiteral("Shadow Color"));
    LoadBitmap1 = PopupMenu1->addAction(QStringLiteral("Use a Bitmap instead..."));
    PlayaWaveto1 = PopupMenu1->addAction(QStringLiteral("Play a Wave too..."));
    ShadowOnOff1 = PopupMenu1->addAction(QStringLiteral("Shadow On/Off"));
    ShadowOnOff1->setCheckable(true);
}

void TBitMovOptMain::buildToolBar() {
    ToolBar3 = new QToolBar(QStringLiteral("ToolBar3"), this);
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar3->setMovable(false);
    ToolBar3->setFloatable(false);
    ToolBar3->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar3->setStyleSheet(QStringLiteral("QToolButton { padding: 1px 0px; font-size: 8pt; }"));
    ToolBar3->layout()->setSpacing(0);
    ToolBar3->setContentsMargins(0, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, ToolBar3);

    auto button = [this](const QString& caption, const QString& hint, bool toggle = false) {
        auto* b = new QToolButton(ToolBar3);
        b->setText(caption);
        b->setAccessibleName(caption.trimmed());
        if (!hint.isEmpty()) b->setToolTip(hint);
        b->setCheckable(toggle);
        b->setAutoRaise(true);
        ToolBar3->addWidget(b);
        return b;
    };
    NewPrjToolButton = button(QStringLiteral("New "), QStringLiteral("New project"));
    OpenPrjToolButton = button(QStringLiteral("Open"), QStringLiteral("Open a project"));
    SavePrjToolButton = button(QStringLiteral("Save"), QStringLiteral("Save the project"));
    PlayPgToolButton = button(QStringLiteral("Play"), QStringLiteral("Play current page"));
    PlayAllToolButton = button(QStringLiteral("P All"), QStringLiteral("Play all pages"));
    PrevPage = button(QStringLiteral("Prev Pg"), QStringLiteral("Previous page"));
    NextPage = button(QStringLiteral("Next Pg"), QStringLiteral("Next page"));
    CurPgNumber = new QLabel(QStringLiteral("000"), ToolBar3);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(24);
    f.setBold(true);
    CurPgNumber->setFont(f);
    CurPgNumber->setAccessibleName(QStringLiteral("Page number"));
    CurPgNumber->setContentsMargins(2, 0, 2, 0);
    ToolBar3->addWidget(CurPgNumber);
    NewPageButton = button(QStringLiteral("NPg"), QStringLiteral("New page"));
    CopyPageButton = button(QStringLiteral("C Pg"), QStringLiteral("Copy page"));
    SavePgToolButton = button(QStringLiteral("S Pg"), QStringLiteral("Save page"));
    DeletePgToolButton = button(QStringLiteral("D Pg"), QStringLiteral("Delete page"));
    AlignToolButton = button(QStringLiteral("Align"), QStringLiteral("Go to the Align screen"));
    ColorBarToolButton =
        button(QStringLiteral("C Bar"), QStringLiteral("Start with color bars"), true);
    CountDownToolButton =
        button(QStringLiteral("C Dn"), QStringLiteral("Start with Count Down"), true);
}

void TBitMovOptMain::buildTitleRows(QWidget* area) {
    InLabel = new QLabel(QStringLiteral("IN"), area);
    InLabel->move(22, 2);
    OutLabel = new QLabel(QStringLiteral("OUT"), area);

    const QColor colours[3] = {QColor(255, 0, 0), QColor(255, 255, 255), QColor(0, 0, 255)};
    QToolButton** ins[3] = {&t1dirbutton, &t2dirbutton, &t3dirbutton};
    QToolButton** outs[3] = {&T1DirOutButton, &T2DirOutButton, &T3DirOutButton};
    QLabel** lefts[3] = {&StaticText3, &StaticText5, &StaticText6};
    QLabel** rights[3] = {&StaticText1, &StaticText2, &StaticText4};
    QLineEdit** edits[3] = {&Edit1, &Edit2, &Edit3};
    QLabel** previews[3] = {&PreVuImage1, &PreVuImage2, &PreVuImage3};
    QLabel** labels[3] = {&image1label, &image2label, &image3label};

    QFont editFont(QStringLiteral("Arial"));
    editFont.setPixelSize(32);
    for (int i = 0; i < 3; ++i) {
        const int n = i + 1;
        const int top = RowTop + i * RowStep;
        *ins[i] = dirButton(area, QStringLiteral("Line %1 IN direction").arg(n));
        (*ins[i])->move(20, top + (RowHeight - ButtonSize) / 2);
        *lefts[i] = colourStrip(area, colours[i]);
        auto* e = new QLineEdit(area);
        e->setAccessibleName(QStringLiteral("Title line %1").arg(n));
        e->setFont(editFont);
        e->setValidator(new TitleLimit(e));
        e->setStyleSheet(QStringLiteral("QLineEdit { background: black; color: white; }"));
        e->setContextMenuPolicy(Qt::CustomContextMenu);
        e->resize(529, RowHeight);
        *edits[i] = e;
        *rights[i] = colourStrip(area, colours[i]);
        *outs[i] = dirButton(area, QStringLiteral("Line %1 OUT direction").arg(n));

        auto* pv = new QLabel(area);
        pv->setAccessibleName(QStringLiteral("Line %1 preview").arg(n));
        pv->setScaledContents(true);
        pv->setGeometry(20, top + RowHeight + 2, 26, 26);
        pv->hide();
        *previews[i] = pv;
        auto* lab = new QLabel(area);
        lab->setAccessibleName(QStringLiteral("Line %1 picture file").arg(n));
        lab->resize(400, 18);
        *labels[i] = lab;
    }

    buildDirectionToolBar();
}

void TBitMovOptMain::buildDirectionToolBar() {
    // A floating bar over the window, placed beside a line when its IN or OUT button is pressed.
    directiontoolbar = new QToolBar(QStringLiteral("Directions"), this);
    directiontoolbar->setObjectName(QStringLiteral("directiontoolbar"));
    directiontoolbar->setIconSize(QSize(16, 16));
    directiontoolbar->setMovable(false);
    directiontoolbar->setAutoFillBackground(true);
    directiontoolbar->setStyleSheet(
        QStringLiteral("QToolBar#directiontoolbar { border: 1px solid palette(mid); }"));
    directiontoolbar->layout()->setContentsMargins(1, 1, 1, 1);
    directiontoolbar->layout()->setSpacing(0);
    auto button = [this](int glyph, const QString& name, bool toggle = false) {
        auto* b = new QToolButton(directiontoolbar);
        b->setFixedSize(24, 24);
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(true);
        b->setCheckable(toggle);
        if (glyph >= 0) b->setIcon(glyphIcon(imageList2(glyph)));
        b->setAccessibleName(name);
        b->setToolTip(name);
        directiontoolbar->addWidget(b);
        return b;
    };
    static const char* const moves[13] = {
        "Down and right", "Up and left",   "Up and right",     "Down and left", "Right",
        "Left",           "Down",          "Up",               "Right from the left edge",
        "Left to the right edge",          "Path drawn by hand", "Fade",        "Stand still"};
    for (int k = 1; k <= 13; ++k)
        dir[k - 1] = button(k - 1, QStringLiteral("Direction %1: %2").arg(k).arg(moves[k - 1]));
    directiontoolbar->addSeparator();
    SpeedButton1 = button(13, QStringLiteral("Smoothing"), true);
    SpeedButton2 = button(14, QStringLiteral("Gradient"), true);
    SpeedButton3 = button(15, QStringLiteral("Shadow"), true);
    ToolButton13 = button(16, QStringLiteral("Font Color"));
    directiontoolbar->addSeparator();
    fontbutton = button(17, QStringLiteral("Font and size"));
    SpeedButton5 = button(-1, QStringLiteral("Help on buttons"));
    SpeedButton5->setText(QStringLiteral("?"));
    SpeedButton5->setToolTip(QStringLiteral("Buttons"));
    ToolButton9 = button(18, QStringLiteral("Hide the tool bar"));
    directiontoolbar->adjustSize();
}

void TBitMovOptMain::buildDelayControls() {
    PANEL1 = new QGroupBox(QStringLiteral(" Delay Controls "));
    auto* grid = new QGridLayout(PANEL1);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);

    auto caption = [this](const QString& t) {
        auto* l = new QLabel(t, PANEL1);
        return l;
    };
    auto value = [this](const QString& t, const QString& name) {
        auto* l = new QLabel(t, PANEL1);
        l->setAccessibleName(name);
        l->setMinimumWidth(34);
        return l;
    };

    TrackBar2 = slider(PANEL1, QStringLiteral("Fade"), 6000, 50, 200, 400);
    Label7 = value(QStringLiteral("0"), QStringLiteral("Fade value"));
    DelayTrackBar = slider(PANEL1, QStringLiteral("Movement"), 6000, 50, 200, 400);
    Label1 = value(QStringLiteral("0"), QStringLiteral("Movement value"));
    TrackBar1 = slider(PANEL1, QStringLiteral("Effects"), 6, 1, 1, 1);
    TrackBar1->setToolTip(QStringLiteral("Operating  System Effects"));
    Label3 = value(QStringLiteral("Effects ?"), QStringLiteral("Effects value"));
    PauseTrackBar = slider(PANEL1, QStringLiteral("Pause"), 60, 1, 6, 2);
    Label4 = value(QStringLiteral("0"), QStringLiteral("Pause value"));
    Label8 = new QLabel(QStringLiteral("Sec"), PANEL1);
    CheckBox1 = new QCheckBox(QStringLiteral("Manual"), PANEL1);
    CheckBox1->setAccessibleName(QStringLiteral("Manual"));
    SpeedButton4 = new QToolButton(PANEL1);
    SpeedButton4->setText(QStringLiteral("?"));
    SpeedButton4->setAccessibleName(QStringLiteral("Help on pausing and delays"));
    SpeedButton4->setToolTip(QStringLiteral("About Pausing and Delays"));

    grid->addWidget(caption(QStringLiteral("Fade")), 0, 0);
    grid->addWidget(TrackBar2, 0, 1);
    grid->addWidget(Label7, 0, 2);
    grid->addWidget(caption(QStringLiteral("Movement")), 0, 3);
    grid->addWidget(DelayTrackBar, 0, 4);
    grid->addWidget(Label1, 0, 5);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(TrackBar1, 1, 1);
    grid->addWidget(caption(QStringLiteral("Pause")), 1, 3);
    grid->addWidget(PauseTrackBar, 1, 4);
    auto* pauseValue = new QHBoxLayout;
    pauseValue->addWidget(Label4);
    pauseValue->addWidget(Label8);
    grid->addLayout(pauseValue, 1, 5);
    grid->addWidget(CheckBox1, 1, 6);
    grid->addWidget(SpeedButton4, 0, 6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
}

void TBitMovOptMain::buildStatusBar() {
    const int widths[5] = {80, 80, 70, 40, 80};
    const char* names[5] = {"Count down", "Colour bars", "Page origin", "Page", "Project"};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(this);
        l->setMinimumWidth(widths[i]);
        l->setAccessibleName(QString::fromLatin1(names[i]));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        if (i < 4) {
            l->setFixedWidth(widths[i]);
            statusBar()->addWidget(l);
        } else {
            statusBar()->addWidget(l, 1);
        }
        StatusPanels[i] = l;
    }
    setStatusPanel(0, QStringLiteral("CntDwn OFF"));
    setStatusPanel(1, QStringLiteral("Clr Bars OFF"));
}

void TBitMovOptMain::FormResize() {
    if (!isVisible()) return;
    const int editWidth = width() - 120;
    for (int n = 1; n <= 3; ++n) {
        QToolButton* in = inButton(n);
        QLineEdit* e = editFor(n);
        QLabel* left = n == 1 ? StaticText3 : n == 2 ? StaticText5 : StaticText6;
        QLabel* right = n == 1 ? StaticText1 : n == 2 ? StaticText2 : StaticText4;
        const int top = RowTop + (n - 1) * RowStep;
        in->move(20, in->y());
        left->move(in->x() + in->width(), top);
        e->setGeometry(left->x() + left->width(), top, qMax(0, editWidth), RowHeight);
        right->move(e->x() + e->width(), top);
        outButton(n)->move(e->x() + e->width() + 16, outButton(n)->y());
    }
    for (int n = 1; n <= 3; ++n)
        outButton(n)->move(outButton(n)->x(),
                           RowTop + (n - 1) * RowStep + (RowHeight - ButtonSize) / 2);
    OutLabel->move(T1DirOutButton->x(), 2);
    ShowIMagelab();
}

} // namespace velmora
