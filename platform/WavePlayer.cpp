#include "platform/WavePlayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include "platform/WaveFile.h"

namespace velmora::platform {

namespace {

// How often the feeder tops the device up.
constexpr int FeedIntervalMs = 5;

// The default sound device through Qt Multimedia, fed in push mode.
class DeviceOut : public AudioOut {
public:
    bool start(int sampleRate, int channels) override {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return false;
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(channels);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) return false;
        sink_ = std::make_unique<QAudioSink>(device, format);
        io_ = sink_->start();
        return io_ != nullptr;
    }
    qint64 write(const char* data, qint64 length) override {
        if (!io_) return 0;
        const qint64 room = sink_->bytesFree();
        return room > 0 ? io_->write(data, std::min(room, length)) : 0;
    }
    void stop() override {
        if (sink_) sink_->stop();
        io_ = nullptr;
        sink_.reset();
    }

private:
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* io_ = nullptr;
};

AudioOutFactory theFactory;

std::unique_ptr<AudioOut> makeOut() {
    return theFactory ? theFactory() : std::make_unique<DeviceOut>();
}

} // namespace

void setAudioOutFactory(AudioOutFactory factory) {
    theFactory = std::move(factory);
}

// Lives on the wave thread: tops the output up from a timer until every sample is taken.
class WaveFeeder : public QObject {
public:
    void start(std::shared_ptr<const QByteArray> samples, int rate, int channels) {
        stop();
        samples_ = std::move(samples);
        position_ = 0;
        out_ = makeOut();
        if (!out_->start(rate, channels)) {
            out_.reset(); // no device: silence
            return;
        }
        if (!timer_) {
            timer_ = new QTimer(this);
            timer_->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer_, &QTimer::timeout, this, [this] { feed(); });
        }
        feed();
        timer_->start(FeedIntervalMs);
    }
    void stop() {
        if (timer_) timer_->stop();
        if (out_) out_->stop();
        out_.reset();
        samples_.reset();
    }

private:
    void feed() {
        if (!out_ || !samples_) return;
        while (position_ < samples_->size()) {
            const qint64 taken =
                out_->write(samples_->constData() + position_, samples_->size() - position_);
            if (taken <= 0) return;
            position_ += taken;
        }
        timer_->stop(); // everything is with the device; it plays on until stopped
    }

    std::shared_ptr<const QByteArray> samples_;
    qint64 position_ = 0;
    std::unique_ptr<AudioOut> out_;
    QTimer* timer_ = nullptr;
};

WavePlayer::WavePlayer() : thread_(std::make_unique<QThread>()) {
    thread_->setObjectName(QStringLiteral("Wave player"));
    feeder_ = new WaveFeeder;
    feeder_->moveToThread(thread_.get());
    QObject::connect(thread_.get(), &QThread::finished, feeder_, &QObject::deleteLater);
    thread_->start();
}

WavePlayer::~WavePlayer() {
    close();
    thread_->quit();
    thread_->wait();
}

bool WavePlayer::open(QString* error) {
    close();
    const std::optional<WaveSound> sound = readWaveFile(fileName, error);
    if (!sound) return false;
    samples_ = std::make_shared<const QByteArray>(toInt16Samples(*sound));
    sampleRate_ = sound->sampleRate;
    channels_ = sound->channels;
    open_ = true;
    return true;
}

void WavePlayer::play() {
    if (!open_) return;
    QMetaObject::invokeMethod(
        feeder_, [f = feeder_, s = samples_, r = sampleRate_, c = channels_] { f->start(s, r, c); },
        Qt::QueuedConnection);
}

void WavePlayer::close() {
    if (open_ || samples_) {
        // Waits until the feeder has stopped: after close nothing more reaches the device.
        QMetaObject::invokeMethod(
            feeder_, [f = feeder_] { f->stop(); }, Qt::BlockingQueuedConnection);
    }
    samples_.reset();
    open_ = false;
}

} // namespace velmora::platform
