#pragma once
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace velmora {

// The about box of the Help menu.
class TAnimateXAbout : public QDialog {
    Q_OBJECT

public:
    TAnimateXAbout();
    ~TAnimateXAbout() override;
    QLabel* Image1 = nullptr;
    QLabel* NameLbl = nullptr;
    QPushButton* OkBtn = nullptr;

    // How many about boxes exist right now (each is released when it closes).
    static int liveCount();
};

// Shows the about box modally for the given version text and releases it afterwards.
void ShowAboutBox(const QString& version);

} // namespace velmora
