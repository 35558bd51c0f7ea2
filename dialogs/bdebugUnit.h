#pragma once
#include <array>
#include <QDialog>

#include "model/project_file.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace velmora {

class TBitMovOptMain;

// What Project Information shows beside "Motion": the project's motion, and with an effect other
// than Normal (rasterEffect not 0) that the pages play Stepped all the same.
QString motionRowText(Motion motion, int rasterEffect);

// "Velmora Pro Data": the stored parameters of the page on screen, the three lines side by
// side. Not modal; the figures are taken once, when the window is shown, but for the motion,
// which follows the project and the "Effects ?" slider while the window is up.
class Tbdebug : public QDialog {
    Q_OBJECT

public:
    explicit Tbdebug(TBitMovOptMain* main);

    // One column per title line.
    struct Column {
        QLabel* Yend = nullptr;
        QLabel* Xend = nullptr;
        QLabel* GradColor = nullptr;
        QLabel* FontColor = nullptr;
        QLabel* ShadowColor = nullptr;
        QLabel* FontSize = nullptr;
        QLabel* FontName = nullptr;
        QLabel* PosY = nullptr; // as last loaded or saved
        QLabel* PosX = nullptr;
        QLabel* PixHeight = nullptr; // never written
        QLabel* BrushColor = nullptr;
        QLabel* PixBits = nullptr;
    };
    std::array<Column, 3> columns{};

    QLabel* Label1 = nullptr; // "Stored Params"
    QLabel* ProjectPath = nullptr;
    std::array<QLabel*, 3> Valid{};   // "Valid" or "n-Not Valid"
    std::array<QLabel*, 3> Content{}; // the line's text, or its bitmap
    QLabel* Pause = nullptr;
    QLabel* Delay = nullptr;
    QLabel* OS = nullptr;
    QLabel* PathRecordSize = nullptr;
    QLabel* PageRecordSize = nullptr;
    std::array<QLabel*, 3> PathIn{};
    std::array<QLabel*, 3> PathOut{};
    QPushButton* BitBtn1 = nullptr; // "Close"
    QLabel* Stage = nullptr;            // the project's stage, "1920 x 1080"
    QPushButton* StageButton = nullptr; // "Stage...": the stage window
    QLabel* MotionLabel = nullptr;      // the project's motion, as motionRowText says it
    QComboBox* MotionBox = nullptr;     // "Smooth" and "Stepped": the project's motion

    void FormShow();
    void BitBtn1Click();
    // Asks for another stage; OK gives it to the project, Cancel leaves it.
    void StageButtonClick();
    // A motion chosen in MotionBox goes to the project (and its file) at once, as a step that
    // Edit > Undo takes back.
    void MotionBoxActivated(int index);
    // The motion row as the project and the "Effects ?" slider stand.
    void showMotion();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TBitMovOptMain* main_;
};

} // namespace velmora
