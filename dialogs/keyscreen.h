#pragma once
#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;
class QScreen;

namespace velmora {

// "Key Screen": the screen a live show's key goes to, beside the show screen that shows its
// fill, or "None". OK keeps the choice in the settings file; Cancel changes nothing.
class TKeyScreen : public QDialog {
    Q_OBJECT

public:
    explicit TKeyScreen(QWidget* owner);

    QListWidget* ScreenList = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void fillList();
    void OkClick();

protected:
    void showEvent(QShowEvent* event) override;
};

// The key's screen as the settings file names it, while it is connected and is not the show
// screen; null otherwise.
QScreen* keyScreen(const QScreen* show);

} // namespace velmora
