#include "dialogs/About1.h"

#include <memory>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "platform/Dialogs.h"

namespace velmora {

namespace {
int live = 0;

QPixmap aboutIcon() {
    QPixmap pm(33, 33);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::black);
    p.setPen(QPen(QColor(0, 0, 200), 2));
    p.drawRoundedRect(2, 5, 29, 23, 3, 3);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(2, 5, 29, 23), Qt::AlignCenter, QStringLiteral("V"));
    return pm;
}
} // namespace

TAnimateXAbout::TAnimateXAbout() {
    ++live;
    setWindowTitle(QStringLiteral("About Velmora-32"));
    setFixedSize(261, 111);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, 33, 33);
    Image1->setScaledContents(true);
    Image1->setPixmap(aboutIcon());
    Image1->setAccessibleName(QStringLiteral("Velmora icon"));
    NameLbl = new QLabel(this);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(16);
    f.setBold(true);
    NameLbl->setFont(f);
    NameLbl->setStyleSheet(QStringLiteral("color: blue;"));
    NameLbl->setGeometry(52, 12, 200, 22);
    OkBtn = new QPushButton(QStringLiteral("&OK"), this);
    OkBtn->setDefault(true);
    OkBtn->setAutoDefault(true);
    OkBtn->setGeometry(93, 70, 75, 25);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

TAnimateXAbout::~TAnimateXAbout() {
    --live;
}
int TAnimateXAbout::liveCount() {
    return live;
}

void ShowAboutBox(const QString& version) {
    // Escape rejects, Enter and OK accept, the system menu closes: the box is released in
    // every case when this scope ends.
    auto box = std::make_unique<TAnimateXAbout>();
    box->NameLbl->setText(QStringLiteral("Velmora ") + QStringLiteral("PRO") + QStringLiteral(" ") +
                          version);
    box->setWindowTitle(QStringLiteral("About Velmora Pro "));
    platform::dialogs().runModal(*box);
}

} // namespace velmora
