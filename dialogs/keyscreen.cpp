#include "dialogs/keyscreen.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "model/settings.h"

namespace velmora {

QScreen* keyScreen(const QScreen* show) {
    const QString name = readKeyScreenName(settingsFilePath());
    if (name.isEmpty()) return nullptr;
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == name && s != show) return s;
    return nullptr;
}

TKeyScreen::TKeyScreen(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("KeyScreen"));
    setWindowTitle(QStringLiteral("Key Screen"));
    auto* label = new QLabel(QStringLiteral("Show the live show's key on this screen:"), this);
    ScreenList = new QListWidget(this);
    ScreenList->setAccessibleName(QStringLiteral("Screens"));
    label->setBuddy(ScreenList);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(ScreenList);
    layout->addLayout(buttons);
    resize(360, 200);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TKeyScreen::fillList() {
    ScreenList->clear();
    const QString chosen = readKeyScreenName(settingsFilePath());
    auto* none = new QListWidgetItem(QStringLiteral("None"), ScreenList);
    none->setData(Qt::UserRole, QString());
    ScreenList->setCurrentItem(none);
    for (const QScreen* s : QGuiApplication::screens()) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  %2 x %3")
                                             .arg(s->name())
                                             .arg(s->geometry().width())
                                             .arg(s->geometry().height()),
                                         ScreenList);
        item->setData(Qt::UserRole, s->name());
        if (!chosen.isEmpty() && s->name() == chosen) ScreenList->setCurrentItem(item);
    }
}

void TKeyScreen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fillList();
    ScreenList->setFocus();
}

void TKeyScreen::OkClick() {
    if (const QListWidgetItem* item = ScreenList->currentItem())
        writeKeyScreenName(settingsFilePath(), item->data(Qt::UserRole).toString());
    accept();
}

} // namespace velmora
