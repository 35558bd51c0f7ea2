#include "dialogs/bdebugUnit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QUndoStack>

#include "dialogs/figures.h"
#include "dialogs/stagedlg.h"
#include "main/bitmov2.h"
#include "model/page_file.h"
#include "platform/Dialogs.h"

namespace velmora {

namespace {

constexpr int PathRecordBytes = MaxPathPoints * 4;

QLabel* figure(QWidget* parent, const QString& caption) {
    return figureLabel(parent, caption);
}

void writeColor(QLabel* label, TColor c) {
    setFigure(label, QString::number(static_cast<std::int32_t>(c)));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText,
               QColor(platform::redOf(c), platform::greenOf(c), platform::blueOf(c)));
    label->setPalette(p);
}

// MotionBox's entries, in their order.
constexpr Motion MotionChoices[] = {Motion::Smooth, Motion::Stepped};

} // namespace

QString motionRowText(Motion motion, int rasterEffect) {
    // Only Normal copies a line as it is; the other effects mix each copy into the screen, so a
    // page is played in steps whatever the project's motion.
    if (motion == Motion::Smooth && rasterEffect != 0)
        return motionName(motion) + QStringLiteral(" (the effect plays Stepped)");
    return motionName(motion);
}

Tbdebug::Tbdebug(TBitMovOptMain* main) : QDialog(main), main_(main) {
    setObjectName(QStringLiteral("bdebug"));
    setWindowTitle(QStringLiteral("Velmora Pro Data"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(530, 380);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);
    Label1 = new QLabel(QStringLiteral("Stored Params"), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    grid->addWidget(Label1, 0, 0, 1, 2);
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    grid->addWidget(BitBtn1, 0, 5, Qt::AlignRight);

    auto caption = [this](const QString& text) { return new QLabel(text, this); };
    for (int n = 1; n <= 3; ++n) {
        Column& c = columns[n - 1];
        const QString line = QStringLiteral("Line %1 ").arg(n);
        static const char* const yends[3] = {"Img1Yend", "Img2Yend", "Img3end"};
        const struct {
            QString text;
            QLabel** slot;
        } rows[] = {
            {QString::fromLatin1(yends[n - 1]), &c.Yend},
            {QStringLiteral("Img%1Xend").arg(n), &c.Xend},
            {QStringLiteral("Grad Color"), &c.GradColor},
            {QStringLiteral("Font Color"), &c.FontColor},
            {QStringLiteral("Shadow Color"), &c.ShadowColor},
            {QStringLiteral("Font Size"), &c.FontSize},
            {QStringLiteral("Font Name"), &c.FontName},
            {QStringLiteral("Y Pos"), &c.PosY},
            {QStringLiteral("X Pos"), &c.PosX},
            {QStringLiteral("Pix Height "), &c.PixHeight},
            {QStringLiteral("Brush Color"), &c.BrushColor},
            {QStringLiteral("Pix Bits"), &c.PixBits},
        };
        int r = 1;
        for (const auto& row : rows) {
            const int col = (n - 1) * 2;
            grid->addWidget(caption(row.text), r, col);
            *row.slot = figure(this, line + row.text.trimmed());
            grid->addWidget(*row.slot, r, col + 1);
            ++r;
        }
    }

    int r = 14;
    grid->addWidget(caption(QStringLiteral("Titles")), r, 0);
    ProjectPath = figure(this, QStringLiteral("Project Path"));
    grid->addWidget(ProjectPath, r, 1, 1, 3);
    for (int n = 1; n <= 3; ++n) {
        ++r;
        Valid[n - 1] = figure(this, QStringLiteral("Line %1 state").arg(n));
        Content[n - 1] = figure(this, QStringLiteral("Line %1 content").arg(n));
        grid->addWidget(Valid[n - 1], r, 0);
        grid->addWidget(Content[n - 1], r, 1, 1, 3);
    }
    const struct {
        QString text;
        QLabel** slot;
        int row;
        int col;
    } rest[] = {
        {QStringLiteral("Pause"), &Pause, 18, 0},
        {QStringLiteral("Delay"), &Delay, 19, 0},
        {QStringLiteral("O.S."), &OS, 20, 0},
        {QStringLiteral("Path Record Size "), &PathRecordSize, 14, 4},
        {QStringLiteral("Page Record Size"), &PageRecordSize, 15, 4},
        {QStringLiteral("Path 1in"), &PathIn[0], 16, 4},
        {QStringLiteral("Path 1 out"), &PathOut[0], 17, 4},
        {QStringLiteral("Path 2 in"), &PathIn[1], 18, 4},
        {QStringLiteral("Path 2 out"), &PathOut[1], 19, 4},
        {QStringLiteral("Path 3 in"), &PathIn[2], 20, 4},
        {QStringLiteral("Path 3 out"), &PathOut[2], 21, 4},
    };
    for (const auto& f : rest) {
        grid->addWidget(caption(f.text), f.row, f.col);
        *f.slot = figure(this, f.text.trimmed());
        grid->addWidget(*f.slot, f.row, f.col + 1);
    }
    grid->addWidget(caption(QStringLiteral("Stage")), 21, 0);
    Stage = figure(this, QStringLiteral("Stage"));
    grid->addWidget(Stage, 21, 1);
    StageButton = new QPushButton(QStringLiteral("Stage..."), this);
    StageButton->setAccessibleName(QStringLiteral("Stage..."));
    grid->addWidget(StageButton, 21, 2, 1, 2, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("Motion")), 22, 0);
    MotionLabel = figure(this, QStringLiteral("Motion"));
    grid->addWidget(MotionLabel, 22, 1, 1, 3);
    MotionBox = new QComboBox(this);
    for (const Motion m : MotionChoices)
        MotionBox->addItem(motionName(m));
    MotionBox->setAccessibleName(QStringLiteral("Choose the motion"));
    grid->addWidget(MotionBox, 22, 4, 1, 2, Qt::AlignLeft);
    grid->setRowStretch(23, 1);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(StageButton, &QPushButton::clicked, this, [this] { StageButtonClick(); });
    connect(MotionBox, &QComboBox::activated, this,
            [this](int index) { MotionBoxActivated(index); });
    // The row follows an undo or redo of the motion and the effect chosen while it is up.
    connect(&main_->document().undoStack(), &QUndoStack::indexChanged, this,
            [this] { showMotion(); });
    connect(main_->TrackBar1, &QSlider::valueChanged, this, [this] { showMotion(); });
}

void Tbdebug::showEvent(QShowEvent* event) {
    centreOnScreen(*this);
    QDialog::showEvent(event);
    FormShow();
}

void Tbdebug::FormShow() {
    const PageImage stored = main_->document().lastStored();
    for (int n = 1; n <= 3; ++n) {
        Column& c = columns[n - 1];
        const TitleLine& l = main_->line(n);
        setFigure(c.Yend, QString::number(main_->titleY(n)));
        setFigure(c.Xend, QString::number(main_->titleX(n)));
        writeColor(c.GradColor, l.GradientStartColor);
        writeColor(c.FontColor, l.FontColor);
        writeColor(c.ShadowColor, l.ShadowColor);
        setFigure(c.FontSize, QString::number(l.FontSize));
        setFigure(c.FontName, l.FontName);
        setFigure(c.PosY, QString::number(stored.lines[n - 1].PosY));
        setFigure(c.PosX, QString::number(stored.lines[n - 1].PosX));
    }
    setFigure(ProjectPath, QStringLiteral("Project Path: ") + main_->dpath);
    for (int n = 1; n <= 3; ++n) {
        const TitleLine& l = main_->line(n);
        setFigure(Valid[n - 1],
                  l.InUse ? QStringLiteral("Valid") : QStringLiteral("%1-Not Valid").arg(n));
        // With neither a text nor a picture the label keeps what it showed before.
        const QString text = main_->lineText(n);
        if (!text.isEmpty())
            setFigure(Content[n - 1], text);
        else if (!l.BitmapFile.isEmpty())
            setFigure(Content[n - 1], l.BitmapFile);
    }
    setFigure(Pause, QString::number(main_->PauseTime));
    setFigure(Delay, QString::number(main_->fadedelay));
    setFigure(OS, main_->OSName);
    setFigure(PathRecordSize, QString::number(PathRecordBytes));
    setFigure(PageRecordSize, QString::number(velmora::PageRecordSize));
    for (int n = 1; n <= 3; ++n) {
        setFigure(PathIn[n - 1], QString::number(main_->inPath(n).LastIndex));
        setFigure(PathOut[n - 1], QString::number(main_->outPath(n).LastIndex));
    }
    setFigure(Stage, stageText({main_->stageWidth(), main_->stageHeight()}));
    showMotion();
}

void Tbdebug::showMotion() {
    const Motion motion = main_->ProjectMotion;
    setFigure(MotionLabel, motionRowText(motion, main_->editorState().rasterEffect));
    for (int i = 0; i < MotionBox->count(); ++i)
        if (MotionChoices[i] == motion) MotionBox->setCurrentIndex(i);
}

void Tbdebug::MotionBoxActivated(int index) {
    if (index < 0 || index >= MotionBox->count()) return;
    main_->chooseMotion(MotionChoices[index]);
    showMotion();
}

void Tbdebug::StageButtonClick() {
    TStageDialog dialog(this);
    dialog.setStage({main_->stageWidth(), main_->stageHeight()});
    if (platform::dialogs().runModal(dialog) != QDialog::Accepted) return;
    const StageSize chosen = dialog.stage();
    // The titles stay where they are: the stage is only the size they are laid out in.
    main_->setStage(chosen.width, chosen.height);
    setFigure(Stage, stageText(chosen));
}

void Tbdebug::BitBtn1Click() {
    close();
}

} // namespace velmora
