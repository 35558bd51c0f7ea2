#include "dialogs/efxctrunit.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "main/bitmov2.h"
#include "model/commands/line_commands.h"
#include "platform/Animate.h"
#include "platform/Canvas.h"
#include "player/strip.h"
#include "render/effects.h"

namespace velmora {

using platform::TColor;

namespace {

constexpr int PanelWidth = 248;
constexpr int PanelHeight = 201;

void fillShape(QFrame* shape, TColor c) {
    shape->setStyleSheet(QStringLiteral("background: rgb(%1, %2, %3); border: 1px solid black;")
                             .arg(platform::redOf(c))
                             .arg(platform::greenOf(c))
                             .arg(platform::blueOf(c)));
}

Dynarray::TByteTriple tripleOf(int r, int g, int b) {
    return {{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)}};
}

std::uint32_t packed(const Dynarray::TByteTriple& t) {
    return std::uint32_t(t.b[0]) | (std::uint32_t(t.b[1]) << 8) | (std::uint32_t(t.b[2]) << 16);
}

} // namespace

int readBoxNumber(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    int value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i)
        value = value * 10 + (text[i].unicode() - '0');
    return value;
}

std::array<int, 6> sliderBoxes(int p) {
    if (p <= 255) return {p, 255 - p, 0, 0, p, 255 - p};
    if (p <= 509) {
        const int q = p - 255;
        return {255 - q, q, 0, q, 0, 255 - q};
    }
    const int r = p - 510;
    return {0, 255 - r, r, 255 - r, r, 0};
}

Tefxctr::Tefxctr(TBitMovOptMain* main) : QDialog(main), main_(main) {
    setObjectName(QStringLiteral("efxctr"));
    setWindowTitle(QStringLiteral("Color and Gradient Adjustments"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    resize(PanelWidth + 6, 303);

    Image1 = new QLabel(this);
    Image1->setAccessibleName(QStringLiteral("Sample"));
    Image1->move(3, 0);

    Panel1 = new QWidget(this);
    Panel1->setFixedSize(PanelWidth, PanelHeight);
    auto label = [this](const QString& text, int x, int y, bool bold = false) {
        auto* l = new QLabel(text, Panel1);
        l->move(x, y);
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        return l;
    };
    Label1 = label(QStringLiteral("End - Font Color"), 8, 2);
    Label2 = label(QStringLiteral("Start Color "), 132, 2);
    static const char* const rgbNames[3] = {"R", "G", "B"};
    static const char* const boxNames[6] = {"End red",   "End green",   "End blue",
                                            "Start red", "Start green", "Start blue"};
    for (int i = 0; i < 6; ++i) {
        const int column = i / 3, row = i % 3;
        const int x = column == 0 ? 8 : 132;
        const int y = 22 + row * 25;
        label(QString::fromLatin1(rgbNames[row]), x, y + 3, true);
        auto* e = new QLineEdit(Panel1);
        // Up to three digits, blanks shown as spaces.
        e->setInputMask(QStringLiteral("000; "));
        e->setGeometry(x + 16, y, 44, 22);
        e->setAccessibleName(QString::fromLatin1(boxNames[i]));
        edit[i] = e;
    }
    Shape1 = new QFrame(Panel1);
    Shape1->setGeometry(72, 22, 17, 73);
    Shape1->setAccessibleName(QStringLiteral("End color"));
    Shape2 = new QFrame(Panel1);
    Shape2->setGeometry(196, 22, 17, 73);
    Shape2->setAccessibleName(QStringLiteral("Start color"));

    TrackBar1 = new QSlider(Qt::Horizontal, Panel1);
    TrackBar1->setRange(0, 765);
    TrackBar1->setPageStep(25);
    TrackBar1->setTickInterval(5);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setGeometry(4, 102, PanelWidth - 8, 30);
    TrackBar1->setAccessibleName(QStringLiteral("Color cycle"));

    SpeedButton1 = new QPushButton(QStringLiteral("Gradient On"), Panel1);
    SpeedButton1->setCheckable(true);
    SpeedButton1->setGeometry(8, 138, 110, 26);
    BitBtn1 = new QPushButton(QStringLiteral("&Ok"), Panel1);
    BitBtn1->setGeometry(8, 170, 100, 26);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("&Cancel"), Panel1);
    BitBtn2->setGeometry(140, 170, 100, 26);

    for (QLineEdit* e : edit)
        connect(e, &QLineEdit::textChanged, this, [this] { pROCESSKEYBOARDINPUT(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { ChangeGradientColors(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void Tefxctr::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the program's own show loads the line afresh. The window system's shows (the
    // window mapped, or restored from minimised with the program) come while the user is
    // editing and must leave the edited colours alone.
    if (!event->spontaneous()) FormShow();
}

void Tefxctr::FormShow() {
    const int n = main_->TITLENUM;
    if (n < 1 || n > 3) return;
    OrigEndColor = main_->line(n).FontColor;
    OrigStartColor = main_->line(n).GradientStartColor;
    Writeonbitmap();
    Panel1->move(3, Image1->y() + sample_.height() + 10);
    setFixedSize(PanelWidth + 6, sample_.height() + PanelHeight + 20);
    platform::animateDialog(*this, main_, true);
}

void Tefxctr::Writeonbitmap() {
    const int n = main_->TITLENUM;
    const TitleLine& l = main_->line(n);
    const QString text = main_->editFor(n)->text();
    SpeedButton1->setChecked(l.GradientOn);
    SpeedButton1Click();
    EndColor = l.FontColor;
    StartColor = l.GradientStartColor;
    sample_.setPixelFormat(platform::PixelFormat::Bits24);
    // Each box written anew repaints the gradient over what the sample held before.
    const TColor colours[6] = {platform::redOf(EndColor),   platform::greenOf(EndColor),
                               platform::blueOf(EndColor),  platform::redOf(StartColor),
                               platform::greenOf(StartColor), platform::blueOf(StartColor)};
    for (int i = 0; i < 6; ++i)
        edit[i]->setText(QString::number(colours[i]));

    platform::Canvas canvas(sample_);
    canvas.brush.color = platform::clBlack;
    canvas.font.name = l.FontName;
    canvas.font.style = main_->lineFontStyle(n);
    canvas.font.size = l.FontSize;
    canvas.font.color = l.ShadowOn ? l.ShadowColor : l.FontColor;
    sample_.setSize(PanelWidth, canvas.textHeight(text));
    if (l.ShadowOn) {
        drawShadowedText(canvas, text, {0, 0}, {0, 0}, l.FontColor);
    } else {
        canvas.textOut(0, -1, text);
    }
    showSample();
}

void Tefxctr::pROCESSKEYBOARDINPUT() {
    int v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = readBoxNumber(edit[i]->text());
    // One box over 255 per pass, the end colour's first; the write runs the check again.
    for (int i = 0; i < 6; ++i) {
        if (v[i] >= 256) {
            edit[i]->setText(QStringLiteral("255"));
            return;
        }
    }
    DrawbmSample(tripleOf(v[0], v[1], v[2]), tripleOf(v[3], v[4], v[5]));
}

void Tefxctr::DrawbmSample(const Dynarray::TByteTriple& end, const Dynarray::TByteTriple& start) {
    EndColor = effects::TripleToColor(packed(end));
    StartColor = effects::TripleToColor(packed(start));
    // Only pixels that are not pure black take the gradient.
    effects::GradientFill24(sample_, StartColor, EndColor);
    showSample();
    fillShape(Shape1, EndColor);
    fillShape(Shape2, StartColor);
}

void Tefxctr::ChangeGradientColors() {
    const std::array<int, 6> boxes = sliderBoxes(TrackBar1->value());
    for (int i = 0; i < 6; ++i)
        edit[i]->setText(QString::number(boxes[i]));
}

void Tefxctr::SpeedButton1Click() {
    const bool down = SpeedButton1->isChecked();
    SpeedButton1->setText(down ? QStringLiteral("Gradient On") : QStringLiteral("Gradient Off"));
    main_->SpeedButton2->setChecked(down);
}

void Tefxctr::BitBtn1Click() {
    const int n = main_->TITLENUM;
    if (n >= 1 && n <= 3) {
        // Marks the page only when a colour changed. When the gradient button's press opened
        // the window and the switch is back as the press found it, the page has the mark the
        // press found (with the colours unchanged).
        const bool on = SpeedButton1->isChecked();
        std::optional<bool> markBeforePress;
        if (const auto& press = main_->gradientPress();
            press && press->line == n && press->gradientOn == on)
            markBeforePress = press->marked;
        main_->document().undoStack().push(
            new SetGradient(main_->document(), n, on, EndColor, StartColor, markBeforePress));
        main_->showLineFont(n);
    }
    accept();
}

void Tefxctr::BitBtn2Click() {
    reject();
}

void Tefxctr::done(int result) {
    platform::animateDialog(*this, main_, false);
    QDialog::done(result);
}

void Tefxctr::showSample() {
    Image1->setPixmap(QPixmap::fromImage(sample_.toQImage()));
    Image1->resize(sample_.width(), sample_.height());
}

} // namespace velmora
