#pragma once
#include <array>
#include <QDialog>
#include <QString>

#include "platform/Bitmap.h"
#include "platform/Color.h"
#include "render/Dynarray.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;

namespace velmora {

class TBitMovOptMain;

// A colour box's number: leading blanks skipped, the digits up to the first other character;
// an empty box reads 0.
int readBoxNumber(const QString& text);

// The six box values (end red, green, blue, then start red, green, blue) that the
// colour-cycling slider gives at position p (0..765).
std::array<int, 6> sliderBoxes(int p);

// "Color and Gradient Adjustments": the end (font) colour and the gradient's start colour of
// the main window's selected line, with a sample recoloured as a show renders it. Only OK
// writes the page.
class Tefxctr : public QDialog {
    Q_OBJECT

public:
    explicit Tefxctr(TBitMovOptMain* main);

    QLabel* Image1 = nullptr;
    QWidget* Panel1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<QLineEdit*, 6> edit{}; // edit[0..2] end R, G, B; edit[3..5] start R, G, B
    QFrame* Shape1 = nullptr;         // the end colour
    QFrame* Shape2 = nullptr;         // the start colour
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    platform::TColor OrigStartColor = 0;
    platform::TColor OrigEndColor = 0;
    platform::TColor EndColor = 0;
    platform::TColor StartColor = 0;

    // The sample as drawn: 24 bits, black background.
    const platform::Bitmap& sample() const { return sample_; }

    void FormShow();
    void Writeonbitmap();
    void pROCESSKEYBOARDINPUT();
    void DrawbmSample(const Dynarray::TByteTriple& end, const Dynarray::TByteTriple& start);
    void ChangeGradientColors();
    void SpeedButton1Click();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void showSample();
    TBitMovOptMain* main_;
    platform::Bitmap sample_;
};

} // namespace velmora
