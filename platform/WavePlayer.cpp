#include "platform/WavePlayer.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace velmora::platform {

WavePlayer::WavePlayer() = default;
WavePlayer::~WavePlayer() {
    close();
}

bool WavePlayer::open(QString* error) {
    close();
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot open ") + fileName;
        return false;
    }
    const QByteArray head = f.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") {
        if (error) *error = fileName + QStringLiteral(" is not a wave file");
        return false;
    }
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(fileName));
    open_ = true;
    return true;
}

void WavePlayer::play() {
    if (open_ && effect_) effect_->play();
}

void WavePlayer::close() {
    if (effect_) effect_->stop();
    effect_.reset();
    open_ = false;
}

} // namespace velmora::platform
