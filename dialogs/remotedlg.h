#pragma once
#include <functional>
#include <QDialog>
#include <QString>

#include "remote/remote_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace velmora {

// "Remote Control": the remote control on or off, its port, where it listens (this computer
// only, or the network with the token, generated the first time it is needed), OSC from the
// network, and the addresses to reach it at. OK keeps the choices in the settings file and has
// them listened to at once; Cancel changes nothing.
class TRemoteDialog : public QDialog {
    Q_OBJECT

public:
    explicit TRemoteDialog(QWidget* owner);

    QCheckBox* EnabledBox = nullptr;
    QSpinBox* PortBox = nullptr;
    QRadioButton* LocalButton = nullptr;
    QRadioButton* NetworkButton = nullptr;
    QLineEdit* TokenEdit = nullptr;
    QPushButton* NewTokenButton = nullptr;
    QCheckBox* OscBox = nullptr;
    QLabel* Addresses = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Shows these settings.
    void showSettings(const remote::RemoteSettings& s);
    // The settings as the controls stand; a token is made when the network needs one.
    remote::RemoteSettings chosen();
    // Called by OK with the settings chosen: false, with the reason, keeps the window up.
    std::function<bool(const remote::RemoteSettings&, QString*)> applyChoice;
    void OkClick();

private:
    void update();
};

// The addresses the remote is reached at, a line each: the web remote's, with the token when it
// needs one, and OSC's.
QString remoteAddresses(const remote::RemoteSettings& s, const QStringList& networkAddresses);

} // namespace velmora
