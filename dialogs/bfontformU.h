#pragma once
#include <cstdint>
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;

namespace velmora {

class TBitMovOptMain;

// "Change Font and Size ": the face and point size of the main window's selected title line,
// with a sample of its text on black. Nothing changes on the page until OK.
class TbFontForm : public QDialog {
    Q_OBJECT

public:
    explicit TbFontForm(TBitMovOptMain* main);

    QLabel* FontSize = nullptr;
    QLabel* fontsizelabel = nullptr;
    QSlider* FontSizeTrackbar = nullptr;
    QLabel* fontlabel = nullptr;
    QListWidget* ListBox1 = nullptr; // every installed face, each drawn in its own face
    QFrame* Panel1 = nullptr;
    QLabel* fsamplelabel = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel

    std::int32_t ChosenSize = 0;
    QString ChosenName;
    std::int32_t SizeAtOpen = 0;
    QString NameAtOpen;
    QString SampleText;

    void FormShow();
    void FontSizeTrackbarChange();
    void ListBox1Click(const QString& face);
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void setSampleFont(const QString& face, int size);
    TBitMovOptMain* main_;
};

} // namespace velmora
