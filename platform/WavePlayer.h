#pragma once
#include <memory>
#include <QString>

class QSoundEffect;

namespace velmora::platform {

// Plays a wave file by name: open (a clear failure when it is missing or not a wave), play
// without waiting, close (stops it). With no sound device it plays silently and never blocks.
class WavePlayer {
public:
    WavePlayer();
    ~WavePlayer();

    QString fileName;
    // Returns false, with a reason, when the file cannot be played.
    bool open(QString* error = nullptr);
    void play();
    void close();
    bool isOpen() const { return open_; }

private:
    bool open_ = false;
    std::unique_ptr<QSoundEffect> effect_;
};

} // namespace velmora::platform
