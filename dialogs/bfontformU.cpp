#include "dialogs/bfontformU.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "main/bitmov2.h"
#include "model/commands/line_commands.h"
#include "platform/Animate.h"
#include "platform/Canvas.h"

namespace velmora {

namespace {
constexpr int MinSize = 16;
constexpr int MaxSize = 200;
} // namespace

TbFontForm::TbFontForm(TBitMovOptMain* main) : QDialog(main), main_(main) {
    setObjectName(QStringLiteral("bFontForm"));
    setWindowTitle(QStringLiteral("Change Font and Size "));
    setModal(true);
    resize(560, 380);

    ListBox1 = new QListWidget(this);
    ListBox1->setAccessibleName(QStringLiteral("Font faces"));
    ListBox1->setUniformItemSizes(false);
    const QFont base = font();
    // Each face is listed in its own face at the system's default size for it.
    for (const QString& face : QFontDatabase::families()) {
        auto* item = new QListWidgetItem(face, ListBox1);
        QFont f(face);
        f.setPointSizeF(base.pointSizeF());
        item->setFont(f);
        item->setSizeHint(QSize(QFontMetrics(f).horizontalAdvance(face) + 2,
                                QFontMetrics(f).height() + 2));
    }

    fontlabel = new QLabel(QStringLiteral("**"), this);
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(16);
    labelFont.setBold(true);
    fontlabel->setFont(labelFont);
    fontlabel->setAccessibleName(QStringLiteral("Chosen face"));

    FontSize = new QLabel(QStringLiteral("Font Size"), this);
    fontsizelabel = new QLabel(this);
    QFont bold = fontsizelabel->font();
    bold.setBold(true);
    fontsizelabel->setFont(bold);
    fontsizelabel->setAccessibleName(QStringLiteral("Chosen size"));
    FontSizeTrackbar = new QSlider(Qt::Horizontal, this);
    FontSizeTrackbar->setRange(MinSize, MaxSize);
    FontSizeTrackbar->setTickInterval(4);
    FontSizeTrackbar->setTickPosition(QSlider::TicksBelow);
    FontSizeTrackbar->setAccessibleName(QStringLiteral("Font Size"));

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    QPalette black = Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel1->setPalette(black);
    Panel1->setMinimumSize(300, 150);
    fsamplelabel = new QLabel(Panel1);
    fsamplelabel->setAccessibleName(QStringLiteral("Sample"));
    QFont sampleFont(QStringLiteral("Arial"));
    sampleFont.setPixelSize(21);
    fsamplelabel->setFont(sampleFont);
    fsamplelabel->setStyleSheet(QStringLiteral("color: white;"));
    auto* sampleLayout = new QVBoxLayout(Panel1);
    sampleLayout->addWidget(fsamplelabel, 0, Qt::AlignLeft | Qt::AlignTop);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* right = new QVBoxLayout;
    right->addWidget(fontlabel);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(FontSize);
    sizeRow->addWidget(fontsizelabel);
    sizeRow->addStretch(1);
    right->addLayout(sizeRow);
    right->addWidget(FontSizeTrackbar);
    right->addWidget(Panel1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(ListBox1, 2);
    layout->addLayout(right, 3);

    connect(FontSizeTrackbar, &QSlider::valueChanged, this, [this] { FontSizeTrackbarChange(); });
    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ListBox1Click(item->text()); });
    connect(ListBox1, &QListWidget::currentTextChanged, this, [this](const QString& face) {
        if (isVisible() && !face.isEmpty()) ListBox1Click(face);
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TbFontForm::setSampleFont(const QString& face, int size) {
    QFont f = fsamplelabel->font();
    f.setFamily(face);
    f.setPointSize(qMax(1, size));
    fsamplelabel->setFont(f);
    fsamplelabel->adjustSize();
}

void TbFontForm::FormShow() {
    const int n = main_->TITLENUM;
    if (n >= 1 && n <= 3) {
        const TitleLine& l = main_->line(n);
        SizeAtOpen = l.FontSize;
        NameAtOpen = l.FontName;
        const std::uint8_t style = main_->lineFontStyle(n);
        QFont f = fsamplelabel->font();
        f.setBold(style & platform::fsBold);
        f.setItalic(style & platform::fsItalic);
        f.setUnderline(style & platform::fsUnderline);
        f.setStrikeOut(style & platform::fsStrikeOut);
        fsamplelabel->setFont(f);
        const TColor c = l.FontColor;
        fsamplelabel->setStyleSheet(QStringLiteral("color: rgb(%1, %2, %3);")
                                        .arg(platform::redOf(c))
                                        .arg(platform::greenOf(c))
                                        .arg(platform::blueOf(c)));
        SampleText = main_->editFor(n)->text().trimmed();
        setSampleFont(l.FontName, l.FontSize);
        {
            const QSignalBlocker block(FontSizeTrackbar);
            FontSizeTrackbar->setValue(l.FontSize); // the slider keeps it within 16..200
        }
        fontsizelabel->setText(QString::number(FontSizeTrackbar->value()));
        ChosenName = l.FontName;
        // The list stands on the line's face (or the face that stands in for it), without
        // counting as a choice; with a current item, gaining the focus chooses nothing either.
        QList<QListWidgetItem*> found = ListBox1->findItems(l.FontName, Qt::MatchExactly);
        if (found.isEmpty())
            found = ListBox1->findItems(QFontInfo(QFont(l.FontName)).family(), Qt::MatchExactly);
        const QSignalBlocker block(ListBox1);
        ListBox1->clearSelection();
        if (!found.isEmpty()) {
            ListBox1->setCurrentItem(found.front());
            ListBox1->scrollToItem(found.front());
        } else if (ListBox1->count() > 0) {
            ListBox1->selectionModel()->setCurrentIndex(ListBox1->model()->index(0, 0),
                                                        QItemSelectionModel::NoUpdate);
        }
    }
    FontSizeTrackbarChange();
    platform::animateDialog(*this, main_, true);
}

void TbFontForm::FontSizeTrackbarChange() {
    ChosenSize = FontSizeTrackbar->value();
    setSampleFont(fsamplelabel->font().family(), ChosenSize);
    fontsizelabel->setText(QString::number(ChosenSize));
    fsamplelabel->setText(SampleText);
    fsamplelabel->adjustSize();
}

void TbFontForm::ListBox1Click(const QString& face) {
    ChosenName = face;
    fontlabel->setText(face);
    setSampleFont(face, ChosenSize);
}

void TbFontForm::BitBtn1Click() {
    const int n = main_->TITLENUM;
    if (n >= 1 && n <= 3) {
        // Marks the page when the size or the face (compared exactly) differs from the line's,
        // which is what it was at opening.
        main_->document().undoStack().push(
            new SetFont(main_->document(), n, ChosenName, ChosenSize));
        main_->showLineFont(n);
    }
    accept();
}

void TbFontForm::BitBtn2Click() {
    // The page was not touched while the dialog was open: the line keeps its face and size.
    reject();
}

void TbFontForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the program's own show starts a choice afresh. The window system's shows (the
    // window mapped, or restored from minimised with the program) come while the user is
    // choosing and must leave the choice alone.
    if (!event->spontaneous()) FormShow();
}

void TbFontForm::done(int result) {
    platform::animateDialog(*this, main_, false);
    QDialog::done(result);
}

} // namespace velmora
