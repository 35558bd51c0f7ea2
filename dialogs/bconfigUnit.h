#pragma once
#include <cstdint>
#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;

namespace velmora {

class TBitMovOptMain;

// "Time  Options": how many seconds (0..30) the colour bars are shown before a show. The
// slider writes the main window's Holdtime as it moves; Cancel puts back the value the window
// opened with. Neither button marks the page or the project changed.
class TBconfig : public QDialog {
    Q_OBJECT

public:
    explicit TBconfig(TBitMovOptMain* main);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr; // the slider's position
    QSlider* TrackBar1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel

    // Holdtime as the window opened, after the limit to the slider's range.
    std::int8_t HoldAtOpen = 0;

    void FormShow();
    void TrackBar1Change();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    TBitMovOptMain* main_;
};

} // namespace velmora
