#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;
class QScreen;

namespace velmora {

// "Show Screen": the connected screens by name and size, the editor's marked, the one the show
// opens on now selected. OK remembers the selected one by its name, in the settings file too;
// Cancel changes nothing. The list follows screens plugged in and out while it is up.
class TShowScreen : public QDialog {
    Q_OBJECT

public:
    explicit TShowScreen(QWidget* owner);

    QLabel* Label1 = nullptr;
    QListWidget* ScreenList = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel

    // A line of the list: "HEADLESS-2  1920 x 1080", and "(editor)" after the editor's screen.
    static QString entry(const QString& name, int width, int height, bool editor);

    // The selected screen's name; empty when nothing is selected.
    QString selectedName() const;
    void fillList(const QString& select);
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace velmora
