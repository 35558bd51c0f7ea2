#pragma once
#include <functional>
#include <memory>
#include <QString>

class QThread;

namespace velmora::platform {

// Where a wave's samples go: the sound device, or a recorder in tests. Used on the wave
// thread only.
class AudioOut {
public:
    virtual ~AudioOut() = default;
    // Opens the output for signed 16-bit samples; false when there is no device to play on.
    virtual bool start(int sampleRate, int channels) = 0;
    // Takes as many of the bytes as the output has room for now; returns how many.
    virtual qint64 write(const char* data, qint64 length) = 0;
    virtual void stop() = 0;
};
using AudioOutFactory = std::function<std::unique_ptr<AudioOut>()>;
// Tests put their recorder here; an empty function restores the sound device.
void setAudioOutFactory(AudioOutFactory factory);

class WaveFeeder;

// Plays a wave file by name: open (a clear failure when it is missing or not a wave), play
// without waiting, close (stops it). The samples are fed to the sound device from a thread of
// the player's own, so a busy show cannot starve them. With no sound device it plays silently
// and never blocks.
class WavePlayer {
public:
    WavePlayer();
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    QString fileName;
    // Returns false, with a reason, when the file cannot be played.
    bool open(QString* error = nullptr);
    void play();
    // Stops the sound; once it returns, nothing more is fed to the device.
    void close();
    bool isOpen() const { return open_; }

private:
    bool open_ = false;
    std::shared_ptr<const QByteArray> samples_; // signed 16-bit
    int sampleRate_ = 0;
    int channels_ = 0;
    std::unique_ptr<QThread> thread_;
    WaveFeeder* feeder_ = nullptr; // lives on thread_
};

} // namespace velmora::platform
