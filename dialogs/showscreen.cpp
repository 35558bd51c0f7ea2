#include "dialogs/showscreen.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "model/settings.h"
#include "platform/ShowScreen.h"

namespace velmora {

TShowScreen::TShowScreen(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("ShowScreen"));
    setWindowTitle(QStringLiteral("Show Screen"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    Label1 = new QLabel(QStringLiteral("Play the show on this screen:"), this);
    ScreenList = new QListWidget(this);
    ScreenList->setAccessibleName(QStringLiteral("Screens"));
    ScreenList->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(ScreenList);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ScreenList);
    layout->addLayout(buttons);
    resize(340, 200);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ScreenList, &QListWidget::itemDoubleClicked, this, [this] { BitBtn1Click(); });
    // Screens come and go while the dialog is up; the selection stays on its screen if it can.
    const auto refill = [this] { fillList(selectedName()); };
    connect(qApp, &QGuiApplication::screenAdded, this, refill);
    connect(qApp, &QGuiApplication::screenRemoved, this, refill, Qt::QueuedConnection);
}

QString TShowScreen::entry(const QString& name, int width, int height, bool editor) {
    QString line = QStringLiteral("%1  %2 x %3").arg(name).arg(width).arg(height);
    if (editor) line += QStringLiteral("  (editor)");
    return line;
}

QString TShowScreen::selectedName() const {
    const QListWidgetItem* item = ScreenList->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void TShowScreen::fillList(const QString& select) {
    ScreenList->clear();
    const QScreen* editor = platform::editorScreen();
    for (const QScreen* s : QGuiApplication::screens()) {
        // A screen being removed is still listed while its signal runs; the queued refill
        // after it no longer sees it.
        auto* item = new QListWidgetItem(
            entry(s->name(), s->geometry().width(), s->geometry().height(), s == editor),
            ScreenList);
        item->setData(Qt::UserRole, s->name());
        if (s->name() == select) ScreenList->setCurrentItem(item);
    }
    if (!ScreenList->currentItem()) {
        const QScreen* show = platform::showScreen();
        for (int i = 0; show && i < ScreenList->count(); ++i)
            if (ScreenList->item(i)->data(Qt::UserRole).toString() == show->name())
                ScreenList->setCurrentRow(i);
    }
}

void TShowScreen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QScreen* show = platform::showScreen();
    fillList(show ? show->name() : QString());
    ScreenList->setFocus();
}

void TShowScreen::BitBtn1Click() {
    // A screen without a name (some platforms give none) cannot be told again: choosing it
    // forgets the choice, and the show follows the rule for no choice.
    if (ScreenList->currentItem()) {
        const QString name = selectedName();
        platform::setRememberedShowScreen(name);
        writeShowScreenName(settingsFilePath(), name);
    }
    accept();
}

} // namespace velmora
