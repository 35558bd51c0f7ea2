// The delay controls and the show toggles of the main window.
#include <QAction>
#include <QCheckBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "main/bitmov2.h"
#include "model/commands/settings_commands.h"

namespace velmora {

std::int16_t RasterEffect = 0;

const char* const RasterEffectNames[7] = {"Normal",    "Not Copy",   "Not Erase", "Patt Paint",
                                          "Src Erase", "Src Invert", "Src paint"};

void TBitMovOptMain::TrackBar2Change() {
    document_.undoStack().push(
        new SetDelay(document_, TrackBar2->value(), sliderDrag(TrackBar2)));
    Label7->setText(QString::number(TrackBar2->value() / 230));
}

void TBitMovOptMain::DelayTrackBArChange() {
    document_.undoStack().push(
        new SetDelay(document_, DelayTrackBar->value(), sliderDrag(DelayTrackBar)));
    Label1->setText(QString::number(fadedelay));
}

void TBitMovOptMain::PauseTrackBarChange() {
    document_.undoStack().push(
        new SetPause(document_, PauseTrackBar->value(), sliderDrag(PauseTrackBar)));
    Label4->setText(QString::number(PauseTrackBar->value()));
}

void TBitMovOptMain::TrackBar1Change() {
    const int v = TrackBar1->value();
    RasterEffect = static_cast<std::int16_t>(v);
    if (v >= 0 && v <= 6) Label3->setText(QString::fromLatin1(RasterEffectNames[v]));
}

void TBitMovOptMain::CheckBox1Click() {
    document_.undoStack().push(new SetManual(document_, CheckBox1->isChecked()));
    showManualState();
}

void TBitMovOptMain::showSettings() {
    // Both delay sliders show the one delay value; showing it never counts as an edit.
    {
        const QSignalBlocker b1(TrackBar2), b2(DelayTrackBar), b3(PauseTrackBar), b4(CheckBox1);
        TrackBar2->setValue(fadedelay);
        DelayTrackBar->setValue(fadedelay);
        PauseTrackBar->setValue(PauseTime);
        CheckBox1->setChecked(mpause);
    }
    Label7->setText(QString::number(TrackBar2->value() / 230));
    Label1->setText(QString::number(fadedelay));
    showManualState();
}

void TBitMovOptMain::showManualState() {
    if (mpause) {
        Label8->hide();
        Label4->setText(QStringLiteral("SpaceBar - Manual"));
        PauseTrackBar->hide();
    } else {
        Label4->setText(QString::number(PauseTrackBar->value()));
        Label8->show();
        PauseTrackBar->show();
    }
}

void TBitMovOptMain::ColorBarToolButtonClick() {
    UseColorBars = ColorBarToolButton->isChecked();
    UseColorBars1->setChecked(UseColorBars);
    setStatusPanel(1,
                   UseColorBars ? QStringLiteral("Clr Bars ON") : QStringLiteral("Clr Bars OFF"));
}

void TBitMovOptMain::CountDownToolButtonClick() {
    UseCountDown = CountDownToolButton->isChecked();
    UseCountDown1->setChecked(UseCountDown);
    setStatusPanel(0, UseCountDown ? QStringLiteral("CntDwn ON") : QStringLiteral("CntDwn OFF"));
}

void TBitMovOptMain::RepeaTLoop1Click() {
    RepeaTLoop1->setChecked(!RepeaTLoop1->isChecked());
}
void TBitMovOptMain::EasySlowdown1Click() {
    EasySlowdown1->setChecked(!EasySlowdown1->isChecked());
}
bool TBitMovOptMain::repeatLoop() const {
    return RepeaTLoop1->isChecked();
}
bool TBitMovOptMain::easySlowdown() const {
    return EasySlowdown1->isChecked();
}

void TBitMovOptMain::SetColorBarTime1Click() {
    if (accessories_.showColorBarTime) accessories_.showColorBarTime();
}

} // namespace velmora
