#include "platform/Animate.h"

#include <QGuiApplication>
#include <QPainter>
#include <QVariantAnimation>
#include <QWidget>

#include "platform/Pump.h"

namespace velmora::platform {

namespace {

constexpr int DurationMs = 180;

// The gliding caption: the highlight colour with the dialog's title.
class Caption : public QWidget {
public:
    explicit Caption(const QString& title)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
          title_(title) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Highlight));
        p.setPen(palette().color(QPalette::HighlightedText));
        p.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, title_);
    }

private:
    QString title_;
};

bool platformAnimates() {
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

} // namespace

bool animateDialog(QWidget& dialog, QWidget* owner, bool opening) {
    if (!owner || !platformAnimates()) {
        pump();
        return false;
    }
    const int captionHeight = qMax(18, dialog.fontMetrics().height() + 6);
    const QRect frame = dialog.frameGeometry();
    const QRect dialogCaption(frame.topLeft(), QSize(frame.width(), captionHeight));
    const QRect ownerCorner(owner->frameGeometry().topLeft(), QSize(1, 1));

    auto* caption = new Caption(dialog.windowTitle());
    auto* animation = new QVariantAnimation(caption);
    animation->setDuration(DurationMs);
    animation->setStartValue(opening ? ownerCorner : dialogCaption);
    animation->setEndValue(opening ? dialogCaption : ownerCorner);
    QObject::connect(animation, &QVariantAnimation::valueChanged, caption,
                     [caption](const QVariant& v) { caption->setGeometry(v.toRect()); });
    QObject::connect(animation, &QVariantAnimation::finished, caption, &QWidget::close);
    caption->setGeometry(animation->startValue().toRect());
    caption->show();
    animation->start();
    return true;
}

} // namespace velmora::platform
