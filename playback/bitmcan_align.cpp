// The align screen: the page's strips at their resting places, dragged into place with the
// mouse, the two guide grids and the tool panel.
#include <algorithm>
#include <cmath>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QToolButton>

#include "model/commands/align_commands.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Pump.h"
#include "platform/Screen.h"
#include "player/align_drawing.h"
#include "playback/bitmcan.h"

namespace velmora {

namespace {

// ---- The tool bar's pictures: 16 x 16 -------------------------------------------------------

enum class Glyph { Pencil, PencilInRing, EyeDisc, InfoDisc, Question, Empty };

void drawPencil(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    p.setPen(QPen(QColor(60, 40, 0), 1));
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(-3.5, -2, 9, 4)); // the body
    p.setBrush(QColor(240, 150, 150));
    p.drawRect(QRectF(5.5, -2, 2, 4)); // the eraser
    p.setBrush(QColor(235, 205, 160));
    QPainterPath wood;
    wood.moveTo(-3.5, -2);
    wood.lineTo(-7.5, 0);
    wood.lineTo(-3.5, 2);
    wood.closeSubpath();
    p.drawPath(wood);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-7, 0), 0.8, 0.8); // the lead
    p.restore();
}

QIcon glyph(Glyph g) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (g) {
    case Glyph::Pencil:
        drawPencil(p);
        break;
    case Glyph::PencilInRing:
        drawPencil(p);
        p.setPen(QPen(QColor(220, 0, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        break;
    case Glyph::EyeDisc: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 0, 0));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        p.setBrush(Qt::white);
        QPainterPath eye;
        eye.moveTo(2.5, 8);
        eye.quadTo(8, 2.5, 13.5, 8);
        eye.quadTo(8, 13.5, 2.5, 8);
        p.drawPath(eye);
        p.setBrush(QColor(20, 40, 120));
        p.drawEllipse(QPointF(8, 8), 2.3, 2.3);
        break;
    }
    case Glyph::InfoDisc: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 150, 0));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.5), 1.3, 1.3);
        p.drawRect(QRectF(7, 7, 2, 5.5));
        break;
    }
    case Glyph::Question: {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(220, 0, 0));
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::Empty:
        break;
    }
    return QIcon(pm);
}

QToolButton* toolButton(QWidget* parent, const QString& name, const QString& hint, Glyph g,
                        bool checkable) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setIcon(glyph(g));
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(27, 27);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QCheckBox* gridBox(QWidget* parent, const QString& name, const QString& caption, int width) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedWidth(width);
    return b;
}

QFrame* separator(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setFixedWidth(6);
    return f;
}

// The drag position as the panel shows it.
QString dragCaption(int x, int y) {
    return QStringLiteral("H %1\r\nV %2").arg(x).arg(y);
}

} // namespace

// ---- The strip controls -------------------------------------------------------------------

Tbmp::Tbmp(TCan& owner, int line, platform::PixelFormat format)
    : QWidget(&owner), strip(format), owner_(owner), line_(line) {
    setObjectName(QStringLiteral("Strip%1").arg(line));
    setAccessibleName(QStringLiteral("Title line %1").arg(line));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
    setGeometry(strip.Left, strip.Top, 0, 0);
}

void Tbmp::fitToStrip() {
    const double ratio = owner_.pixelRatio();
    resize(int(std::ceil(strip.picture.width() / ratio)),
           int(std::ceil(strip.picture.height() / ratio)));
    place(stagePos());
}

void Tbmp::place(QPoint stage) {
    strip.setPos(stage.x(), stage.y());
    move(owner_.toWindow(stage));
}

void Tbmp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (strip.picture.isEmpty()) return;
    QImage picture = strip.picture.wrap();
    picture.setDevicePixelRatio(owner_.pixelRatio());
    p.drawImage(0, 0, picture);
}

void Tbmp::mousePressEvent(QMouseEvent* event) {
    owner_.ImageMouseDown(line_, event->button(), event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton) owner_.beginDrag(this);
}

void Tbmp::mouseMoveEvent(QMouseEvent* event) {
    if (owner_.dragSource_ == this) owner_.dragTo(mapTo(&owner_, event->position().toPoint()));
}

void Tbmp::mouseReleaseEvent(QMouseEvent* event) {
    owner_.endDrag(mapTo(&owner_, event->position().toPoint()));
}

// ---- The tool panel -----------------------------------------------------------------------

void TCan::buildAlignPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAccessibleName(QStringLiteral("Align tool panel"));
    Panel1->setAutoFillBackground(true);
    QPalette blue = Panel1->palette();
    blue.setColor(QPalette::Window, QColor(0, 0, 255));
    Panel1->setPalette(blue);
    Panel1->setCursor(Qt::PointingHandCursor);
    Panel1->setGeometry(6, 6, 633, 34);
    Panel1->installEventFilter(this);

    ToolBar1 = new QWidget(Panel1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setAccessibleName(QStringLiteral("Align tool bar"));
    ToolBar1->setAutoFillBackground(true);
    QPalette silver = ToolBar1->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    silver.setColor(QPalette::WindowText, Qt::black);
    silver.setColor(QPalette::Button, QColor(192, 192, 192));
    silver.setColor(QPalette::ButtonText, Qt::black);
    ToolBar1->setPalette(silver);
    ToolBar1->setCursor(Qt::ArrowCursor);
    ToolBar1->setGeometry(3, 3, 627, 28);
    ToolBar1->installEventFilter(this);
    ToolBar1->hide();
    auto* row = new QHBoxLayout(ToolBar1);
    row->setContentsMargins(1, 0, 1, 0);
    row->setSpacing(0);

    const struct {
        QToolButton** button;
        const char* name;
        const char* hint;
    } paths[6] = {{&P1In, "P1In", "1 in"}, {&P1Out, "P1Out", "1 out"},
                  {&P2In, "P2In", "2 In"}, {&P2Out, "P2Out", "2 Out"},
                  {&P3In, "P3In", "3 In"}, {&P3Out, "P3Out", "3 Out"}};
    pathGroup_ = new QButtonGroup(this);
    pathGroup_->setExclusive(true);
    for (int i = 0; i < 6; ++i) {
        QToolButton* b = toolButton(ToolBar1, QLatin1String(paths[i].name),
                                    QLatin1String(paths[i].hint), Glyph::Pencil, true);
        b->setAccessibleName(QStringLiteral("Path of line %1 %2")
                                 .arg(i / 2 + 1)
                                 .arg(i % 2 == 0 ? QStringLiteral("in") : QStringLiteral("out")));
        *paths[i].button = b;
        pathButtons_[i] = b;
        pathGroup_->addButton(b);
        const int n = i / 2 + 1;
        const bool in = i % 2 == 0;
        connect(b, &QToolButton::clicked, this, [this, n, in] { resetPath(n, in); });
        row->addWidget(b);
    }
    row->addWidget(separator(ToolBar1));

    // The grid boxes have fixed widths, so the buttons after them stand where the real-display
    // check expects them.
    CheckBox1 = gridBox(ToolBar1, QStringLiteral("CheckBox1"), QStringLiteral("Grid"), 52);
    connect(CheckBox1, &QCheckBox::clicked, this, &TCan::CheckBox1Click);
    row->addWidget(CheckBox1);
    CheckBox2 = gridBox(ToolBar1, QStringLiteral("CheckBox2"), QStringLiteral("Grid 2"), 62);
    connect(CheckBox2, &QCheckBox::clicked, this, &TCan::CheckBox2Click);
    row->addWidget(CheckBox2);

    ToolButton10 = toolButton(ToolBar1, QStringLiteral("ToolButton10"),
                              QStringLiteral("Reset Current Path"), Glyph::PencilInRing, true);
    pathGroup_->addButton(ToolButton10);
    ToolButton10->setChecked(true);
    row->addWidget(ToolButton10);
    ToolButton4 = toolButton(ToolBar1, QStringLiteral("ToolButton4"), QStringLiteral("Hide Panel"),
                             Glyph::EyeDisc, false);
    connect(ToolButton4, &QToolButton::pressed, this, &TCan::ToolButton4MouseDown);
    connect(ToolButton4, &QToolButton::released, this, &TCan::ToolButton4MouseUp);
    row->addWidget(ToolButton4);
    ToolButton2 = toolButton(ToolBar1, QStringLiteral("ToolButton2"),
                             QStringLiteral("Project Info"), Glyph::InfoDisc, false);
    connect(ToolButton2, &QToolButton::clicked, this, &TCan::ToolButton2Click);
    row->addWidget(ToolButton2);
    ToolButton11 = toolButton(ToolBar1, QStringLiteral("ToolButton11"), QStringLiteral("Help"),
                              Glyph::Question, false);
    connect(ToolButton11, &QToolButton::clicked, this, &TCan::ToolButton11Click);
    row->addWidget(ToolButton11);
    ToolButton1 = toolButton(ToolBar1, QStringLiteral("ToolButton1"),
                             QStringLiteral("Exit Alignment Screen"), Glyph::Empty, false);
    connect(ToolButton1, &QToolButton::clicked, this, &TCan::ExitAlignClick);
    row->addWidget(ToolButton1);
    row->addWidget(separator(ToolBar1));

    Label1 = new QLabel(QStringLiteral("*"), ToolBar1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(QStringLiteral("Drag position"));
    QFont tiny = Label1->font();
    tiny.setPixelSize(9);
    Label1->setFont(tiny);
    Label1->setFixedWidth(32);
    row->addWidget(Label1);

    gauge1 = new QProgressBar(ToolBar1);
    gauge1->setObjectName(QStringLiteral("gauge1"));
    gauge1->setAccessibleName(QStringLiteral("Remaining Path Length"));
    gauge1->setToolTip(QStringLiteral("Remaining Path Length"));
    gauge1->setTextVisible(false);
    gauge1->setRange(0, 999);
    gauge1->setValue(0);
    gauge1->setFixedSize(60, 16);
    gauge1->setStyleSheet(QStringLiteral(
        "QProgressBar { background: rgb(255, 0, 0); border: 1px solid rgb(128, 128, 128); }"
        "QProgressBar::chunk { background: rgb(0, 255, 0); }"));
    gauge1->hide();
    row->addWidget(gauge1);

    StaticText1 = new QLabel(QStringLiteral("Path  Length"), ToolBar1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setAccessibleName(QStringLiteral("Path  Length"));
    StaticText1->setContentsMargins(4, 0, 2, 0);
    row->addWidget(StaticText1);
    Label2 = new QLabel(QStringLiteral("?"), ToolBar1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAccessibleName(QStringLiteral("Path points"));
    Label2->setMinimumWidth(26);
    Label2->hide();
    row->addWidget(Label2);
    row->addStretch(1);

    Panel1->hide();
    Timer1.setInterval(250);
    connect(&Timer1, &QTimer::timeout, this, &TCan::Timer1Timer);
}

QPoint TCan::panelInView(QPoint at) const {
    return {std::clamp(at.x(), 0, std::max(0, platform::Screen::width() - Panel1->width())),
            std::clamp(at.y(), 0, std::max(0, platform::Screen::height() - Panel1->height()))};
}

QPoint TCan::toWindow(QPoint stage) const {
    const QPoint device = canvas_.view().map(stage);
    if (pixelRatio_ == 1) return device;
    return {int(std::floor(device.x() / pixelRatio_)), int(std::floor(device.y() / pixelRatio_))};
}

QPoint TCan::toStage(QPoint window) const {
    const QPoint device = pixelRatio_ == 1 ? window
                                           : QPoint(int(std::lround(window.x() * pixelRatio_)),
                                                    int(std::lround(window.y() * pixelRatio_)));
    return canvas_.view().toStage(device);
}

void TCan::showAlignPanel() {
    Panel1->show();
    Panel1->raise();
    if (Panel1->x() == 6) Panel1->move(6, 6);
    // Left off the screen before, or on a smaller screen now: back into view.
    Panel1->move(panelInView(Panel1->pos()));
    if (CheckBox1->isChecked()) Showgrid1(true);
}

// ---- Opening and leaving ------------------------------------------------------------------

void TCan::StartAlign() {
    // Every mouse move is one point of a path: none may be merged with the next.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    stroke_.reset();
    dragSource_ = nullptr;
    setEnabled(true);
    document_.setAligning(true);
    if (host_.setAlignMode) host_.setAlignMode(true);
    InitImageScreen(true);
    setCursor(Qt::ArrowCursor);
    ToolBar1->show();
    for (int n = 1; n <= 3; ++n) {
        pathButton(n, true)->setEnabled(document_.line(n).InPathArmed);
        pathButton(n, false)->setEnabled(document_.line(n).OutPathArmed);
    }
    Label2->show();
    gauge1->show();
    gauge1->setRange(0, maxPathIndex());

    const Batch batch(*this);
    bool anyPath = false;
    for (int n = 1; n <= 3; ++n)
        anyPath = anyPath || pathShown(pagePath(n, true)) || pathShown(pagePath(n, false));
    if (anyPath) {
        ShowAllPaths();
        Timer1.start();
    }
    for (int n = 1; n <= 3; ++n) {
        if (!document_.line(n).InUse || !setupAlignStrip(n)) continue;
        Tbmp& s = *strips_[n - 1];
        s.show();
        s.raise();
        if (editorState().smoothMotion)
            drawLineAt(canvas_, frame_, s.strip.picture, toFixed(titleX(n)), toFixed(titleY(n)));
        else
            canvas_.draw(titleX(n), titleY(n), s.strip.picture);
    }
    Panel1->raise();
}

bool TCan::setupAlignStrip(int n) {
    KillBitmaps(n);
    auto* control = new Tbmp(*this, n, StripFormat);
    strips_[n - 1] = control;
    TitleLine line = document_.line(n);
    line.BitmapFile = projectFile(editorState().dpath, line.BitmapFile);
    StripInput in;
    in.text = document_.text(n).left(255);
    in.fontStyle = document_.fontStyle(n);
    in.line = &line;
    in.alignMode = true;
    in.stripFormat = StripFormat;
    in.restX = titleX(n);
    in.restY = titleY(n);
    in.view = canvas_.view();
    in.alignColor = alignFrameColor(n);
    in.drawalign = drawalign;
    const StripResult result = renderTitleStrip(control->strip, in);
    if (result == StripResult::BitmapFailed) document_.line(n).BitmapFile.clear();
    if (result == StripResult::BitmapFailed || result == StripResult::TooLarge) {
        // Nothing to show or drag: the line keeps its place.
        KillBitmaps(n);
        return false;
    }
    control->fitToStrip();
    return true;
}

void TCan::KillBitmaps(int n) {
    delete strips_[n - 1];
    strips_[n - 1] = nullptr;
}

void TCan::ExitAlignClick() {
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, true);
    if (host_.setAlignMode) host_.setAlignMode(false);
    document_.setAligning(false);
    Timer1.stop();
    for (int n = 1; n <= 3; ++n) {
        if (!document_.line(n).InUse || !strips_[n - 1]) continue;
        const QPoint rest = restingPlace(pagePath(n, true), strips_[n - 1]->stagePos());
        setTitlePos(n, rest.x(), rest.y());
    }
    if (document_.pathsDifferFromBuffer()) document_.setsav(true);
    Label2->hide();
    ToolBar1->hide();
    gauge1->hide();
    Panel1->hide();
    hide();
    setEnabled(false);
    dragSource_ = nullptr;
    for (int n = 1; n <= 3; ++n)
        KillBitmaps(n);
    if (host_.returnToEditor) host_.returnToEditor();
}

std::optional<QPoint> TCan::stripPlace(int n) const {
    if (!document_.line(n).InUse || !strips_[n - 1]) return std::nullopt;
    return strips_[n - 1]->stagePos();
}

void TCan::placeStripsFromPage() {
    for (int n = 1; n <= 3; ++n)
        if (strips_[n - 1]) strips_[n - 1]->place({titleX(n), titleY(n)});
}

// ---- Dragging -----------------------------------------------------------------------------

void TCan::beginDrag(QObject* source) {
    dragSource_ = source;
    ++dragNumber_;
    if (auto* w = qobject_cast<QWidget*>(source)) w->setCursor(Qt::DragMoveCursor);
}

void TCan::dragTo(QPoint at) {
    if (dragSource_) CanDragOver(dragSource_, at.x(), at.y());
}

void TCan::endDrag(QPoint at) {
    QObject* source = dragSource_;
    dragSource_ = nullptr;
    if (!source) return;
    if (auto* w = qobject_cast<QWidget*>(source)) w->setCursor(Qt::PointingHandCursor);
    FormDragDrop();
    // A strip's release is the window's as well.
    if (dynamic_cast<Tbmp*>(source)) FormMouseUp(at.x(), at.y());
}

bool TCan::CanDragOver(QObject* source, int X, int Y) {
    const QPoint at = toStage({X, Y});
    Label1->setText(dragCaption(at.x(), at.y()));
    Timer1.stop();
    bool accepted = false;
    if (auto* s = dynamic_cast<Tbmp*>(source); s && strips_[s->line() - 1] == s) {
        // The pointer may leave the window while the button is held: a strip stays where at
        // least its corner can be seen and grabbed again. Places are kept in stage pixels.
        const int left = std::clamp(at.x(), 0, std::max(0, canvas_.stageWidth() - 1));
        const int top = std::clamp(at.y(), 0, std::max(0, canvas_.stageHeight() - 1));
        const QPoint from = s->stagePos();
        s->place({left, top});
        // The command marks the page, also when the strip comes back to where it was.
        document_.undoStack().push(
            new MoveTitleLine(document_, s->line(), QPoint(left, top), dragNumber_, from));
        accepted = true;
    } else if (source == Panel1) {
        // The panel holds the only way out: all of it stays on the screen.
        Panel1->move(panelInView(QPoint(X, Y)));
        document_.setsav(true);
        accepted = true;
    }
    return accepted;
}

void TCan::FormDragDrop() {
    Timer1.start();
}

bool TCan::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Panel1 && watched != ToolBar1) return QWidget::eventFilter(watched, event);
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (watched == ToolBar1) {
            ToolBar1Click();
        } else if (e->button() == Qt::LeftButton) {
            beginDrag(Panel1);
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (dragSource_ == Panel1) dragTo(w->mapTo(this, e->position().toPoint()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (dragSource_ == Panel1) endDrag(w->mapTo(this, e->position().toPoint()));
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// ---- Grids --------------------------------------------------------------------------------

void TCan::drawGrid(bool grid2, bool show) {
    Timer1.start();
    const Batch batch(*this);
    canvas_.pen.width = 1;
    canvas_.pen.style = show ? platform::PenStyle::Solid : platform::PenStyle::Clear;
    canvas_.pen.color = show ? GridColor : platform::clBlack;
    auto draw = [this](const QLine& l) {
        canvas_.moveTo(l.x1(), l.y1());
        canvas_.lineTo(l.x2(), l.y2());
    };
    // The grids divide the stage, drawn where it shows.
    const int w = canvas_.stageWidth(), h = canvas_.stageHeight();
    if (grid2) {
        for (const QLine& l : grid2Lines(w, h, w, h))
            draw(l);
    } else {
        for (const QLine& l : grid1Lines(w, h))
            draw(l);
    }
    canvas_.pen.style = platform::PenStyle::Solid;
}

void TCan::Showgrid1(bool show) {
    drawGrid(false, show);
}

void TCan::Showgrid2(bool show) {
    drawGrid(true, show);
}

void TCan::repaintAll() {
    invalidatePlayback();
    repaint();
}

void TCan::gridBoxClick(bool grid2) {
    if ((grid2 ? CheckBox2 : CheckBox1)->isChecked()) {
        drawGrid(grid2, true);
    } else {
        drawGrid(grid2, false);
        repaintAll();
    }
}

void TCan::CheckBox1Click() {
    gridBoxClick(false);
}

void TCan::CheckBox2Click() {
    gridBoxClick(true);
}

// ---- The other tools ----------------------------------------------------------------------

void TCan::ImageMouseDown(int n, Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers) {
    if (button != Qt::RightButton || !strips_[n - 1]) return;
    saveBitmapAs(strips_[n - 1]->strip.picture);
}

void TCan::ToolButton4MouseDown() {
    panelHeld_ = true;
    Panel1->hide();
    repaintAll();
}

void TCan::ToolButton4MouseUp() {
    panelHeld_ = false;
    platform::paintOnly();
    Panel1->show();
}

void TCan::ToolBar1Click() {
    Timer1.stop();
}

void TCan::ToolButton11Click() {
    platform::Help::showTopic(QStringLiteral("Drawing Paths By Hand"));
}

void TCan::ToolButton2Click() {
    if (host_.showProjectInformation) host_.showProjectInformation();
}

TCan::Batch::~Batch() {
    if (--can.batching_ == 0 && !can.showClock_) can.present();
}

} // namespace velmora
