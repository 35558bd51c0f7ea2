#include "dialogs/remotedlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/Dialogs.h"

namespace velmora {

QString remoteAddresses(const remote::RemoteSettings& s, const QStringList& networkAddresses) {
    if (!s.enabled) return QStringLiteral("The remote control is off.");
    QStringList lines;
    const QString token = s.network && !s.token.isEmpty() ? QStringLiteral("/?token=") + s.token : QString();
    lines << QStringLiteral("Web remote: http://127.0.0.1:%1%2").arg(s.port).arg(token);
    if (s.network)
        for (const QString& a : networkAddresses)
            lines << QStringLiteral("Web remote: http://%1:%2%3").arg(a).arg(s.port).arg(token);
    lines << QStringLiteral("OSC: UDP port %1%2")
                 .arg(s.port)
                 .arg(s.network && s.oscFromNetwork ? QStringLiteral(", from the network too")
                                                    : QStringLiteral(", this computer only"));
    return lines.join(QLatin1Char('\n'));
}

TRemoteDialog::TRemoteDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("RemoteControl"));
    setWindowTitle(QStringLiteral("Remote Control"));
    auto* top = new QVBoxLayout(this);
    EnabledBox = new QCheckBox(QStringLiteral("Remote control on"), this);
    top->addWidget(EnabledBox);
    auto* form = new QFormLayout;
    PortBox = new QSpinBox(this);
    PortBox->setRange(1, 65535);
    PortBox->setAccessibleName(QStringLiteral("Port"));
    form->addRow(QStringLiteral("Port"), PortBox);
    top->addLayout(form);
    LocalButton = new QRadioButton(QStringLiteral("This computer only"), this);
    NetworkButton = new QRadioButton(QStringLiteral("The network (every request with the token)"), this);
    top->addWidget(LocalButton);
    top->addWidget(NetworkButton);
    auto* tokenRow = new QHBoxLayout;
    tokenRow->addWidget(new QLabel(QStringLiteral("Token"), this));
    TokenEdit = new QLineEdit(this);
    TokenEdit->setReadOnly(true);
    TokenEdit->setAccessibleName(QStringLiteral("Token"));
    tokenRow->addWidget(TokenEdit, 1);
    NewTokenButton = new QPushButton(QStringLiteral("New Token"), this);
    tokenRow->addWidget(NewTokenButton);
    top->addLayout(tokenRow);
    OscBox = new QCheckBox(QStringLiteral("Accept OSC from the network"), this);
    top->addWidget(OscBox);
    Addresses = new QLabel(this);
    Addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Addresses->setObjectName(QStringLiteral("Addresses"));
    top->addWidget(Addresses);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    top->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(NewTokenButton, &QPushButton::clicked, this, [this] {
        TokenEdit->setText(remote::newToken());
        update();
    });
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{EnabledBox, LocalButton, NetworkButton, OscBox})
        connect(b, &QAbstractButton::toggled, this, [this] { update(); });
    connect(PortBox, &QSpinBox::valueChanged, this, [this] { update(); });
    showSettings({});
}

void TRemoteDialog::showSettings(const remote::RemoteSettings& s) {
    EnabledBox->setChecked(s.enabled);
    PortBox->setValue(s.port);
    (s.network ? NetworkButton : LocalButton)->setChecked(true);
    TokenEdit->setText(s.token);
    OscBox->setChecked(s.oscFromNetwork);
    update();
}

remote::RemoteSettings TRemoteDialog::chosen() {
    remote::RemoteSettings s;
    s.enabled = EnabledBox->isChecked();
    s.port = PortBox->value();
    s.network = NetworkButton->isChecked();
    s.oscFromNetwork = OscBox->isChecked();
    // The token is made the first time the network needs it, and kept.
    if (s.network && TokenEdit->text().isEmpty()) TokenEdit->setText(remote::newToken());
    s.token = TokenEdit->text();
    return s;
}

void TRemoteDialog::update() {
    const bool on = EnabledBox->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{PortBox, LocalButton, NetworkButton})
        w->setEnabled(on);
    const bool network = on && NetworkButton->isChecked();
    NewTokenButton->setEnabled(network);
    TokenEdit->setEnabled(network);
    OscBox->setEnabled(network);
    if (network && TokenEdit->text().isEmpty()) TokenEdit->setText(remote::newToken());
    QStringList addresses;
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) addresses << a.toString();
    remote::RemoteSettings s;
    s.enabled = on;
    s.port = PortBox->value();
    s.network = NetworkButton->isChecked();
    s.oscFromNetwork = OscBox->isChecked();
    s.token = TokenEdit->text();
    Addresses->setText(remoteAddresses(s, addresses));
}

void TRemoteDialog::OkClick() {
    const remote::RemoteSettings s = chosen();
    QString why;
    if (applyChoice && !applyChoice(s, &why)) {
        platform::dialogs().message(platform::MsgKind::Error,
                                    QStringLiteral("The remote control cannot listen: %1").arg(why),
                                    platform::MsgButtons::OK);
        return;
    }
    accept();
}

} // namespace velmora
