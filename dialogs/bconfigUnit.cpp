#include "dialogs/bconfigUnit.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "main/bitmov2.h"
#include "platform/Animate.h"

namespace velmora {

TBconfig::TBconfig(TBitMovOptMain* main) : QDialog(main), main_(main) {
    setObjectName(QStringLiteral("Bconfig"));
    setWindowTitle(QStringLiteral("Time  Options"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(280, 132);

    Label1 = new QLabel(QStringLiteral("Set Color Bar Time in Seconds"), this);
    Label1->setGeometry(12, 8, 200, 20);
    Label2 = new QLabel(QStringLiteral("0"), this);
    QFont bold(QStringLiteral("Arial"));
    bold.setPixelSize(13);
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->setGeometry(230, 8, 40, 20);
    Label2->setAccessibleName(QStringLiteral("Seconds"));

    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setRange(0, 30);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setGeometry(8, 34, 264, 36);
    TrackBar1->setAccessibleName(QStringLiteral("Color Bar Time"));

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(40, 90, 90, 28);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setGeometry(150, 90, 90, 28);

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TBconfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TBconfig::FormShow() {
    if (main_->Holdtime > TrackBar1->maximum()) main_->Holdtime = TrackBar1->maximum();
    HoldAtOpen = static_cast<std::int8_t>(main_->Holdtime & 0xFF);
    // A position that moves the slider writes Holdtime through its change handler.
    TrackBar1->setValue(HoldAtOpen);
    Label2->setText(QString::number(TrackBar1->value()));
    platform::animateDialog(*this, main_, true);
}

void TBconfig::TrackBar1Change() {
    Label2->setText(QString::number(TrackBar1->value()));
    main_->Holdtime = TrackBar1->value();
}

void TBconfig::BitBtn1Click() {
    main_->Holdtime = TrackBar1->value();
    accept();
}

void TBconfig::BitBtn2Click() {
    reject();
}

void TBconfig::done(int result) {
    // Escape and the title bar's close button cancel as the Cancel button does: the slider's
    // live value is only kept by OK.
    if (result != QDialog::Accepted) main_->Holdtime = HoldAtOpen;
    platform::animateDialog(*this, main_, false);
    QDialog::done(result);
}

} // namespace velmora
