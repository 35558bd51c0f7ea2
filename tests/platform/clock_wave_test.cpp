#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>

#include "platform/Clock.h"
#include "platform/WaveFile.h"
#include "platform/WavePlayer.h"
#include "test_support.h"

using velmora::platform::WavePlayer;

// The delay sliders pace a show alike on every processor only when one delay unit lasts its
// microsecond, however busy the processor is. A spin can only be lengthened by the machine
// (taken off the processor past its end), so the shortest of a few runs is the one compared.
TEST(SystemClock, ASpinLastsItsNominalLength) {
    velmora::platform::SystemClock clock;
    for (const std::uint64_t units : {2000u, 20000u}) {
        SCOPED_TRACE(units);
        double best = 1e9;
        for (int run = 0; run < 7; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            clock.spin(units * 100);
            best = std::min(best, std::chrono::duration<double, std::micro>(
                                      std::chrono::steady_clock::now() - t0)
                                      .count());
        }
        EXPECT_GE(best, double(units)); // never shorter
        EXPECT_GT(best, 0.8 * double(units));
        EXPECT_LT(best, 1.2 * double(units));
    }
}

TEST(WavePlayer, FilesThatAreNoWavesFailToOpenWithTheirReason) {
    testsupport::TempDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(testsupport::writeFile(dir.file(name), bytes));
        return dir.file(name);
    };
    // One byte over the limit, refused from its size (a sparse file: nothing of it is written).
    const QString tooLarge = write("huge.wav", "RIFF\xff\xff\xff\xffWAVE");
    ASSERT_TRUE(QFile::resize(tooLarge, platform::MaxWaveFileBytes + 1));
    struct Case {
        QString file, reason;
    };
    const Case cases[] = {
        {dir.file("missing.wav"), "cannot open " + dir.file("missing.wav")},
        {dir.path(), "cannot open " + dir.path()}, // a folder
        {write("empty.wav", {}), dir.file("empty.wav") + " is not a wave file"},
        {write("short.wav", "RIFF\0\0\0\0WAV"), dir.file("short.wav") + " is not a wave file"},
        {write("avi.wav", QByteArray("RIFF\0\0\0\0AVI LIST", 16)),
         dir.file("avi.wav") + " is not a wave file"},
        {write("text.wav", "just some text, long enough"),
         dir.file("text.wav") + " is not a wave file"},
        {tooLarge, tooLarge + " is too large to play"},
        // A pipe is not opened: reading it would wait for a writer.
        {dir.file("pipe.wav"), dir.file("pipe.wav") + " is not a regular file"},
    };
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("pipe.wav")).constData(), 0600), 0);
    WavePlayer player;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        player.fileName = c.file;
        QString reason;
        EXPECT_FALSE(player.open(&reason));
        EXPECT_EQ(reason, c.reason);
        EXPECT_FALSE(player.isOpen());
        player.play(); // nothing to play: no effect, no crash
        player.close();
    }
}

// ---- Wave files and the wave thread --------------------------------------------------------

namespace {

QByteArray le(std::uint32_t v, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(v >> (8 * i)));
    return b;
}

// A RIFF WAVE file: a format chunk (format code, channels, rate, bits) and a data chunk; extra
// chunks can go in before the data.
QByteArray wave(int format, int channels, int rate, int bits, const QByteArray& data,
                const QByteArray& before = {}, qint64 declaredData = -1) {
    QByteArray fmt = le(format, 2) + le(channels, 2) + le(rate, 4) +
                     le(rate * channels * bits / 8, 4) + le(channels * bits / 8, 2) + le(bits, 2);
    QByteArray body = "WAVE" + QByteArray("fmt ") + le(16, 4) + fmt + before + "data" +
                      le(declaredData < 0 ? data.size() : declaredData, 4) + data;
    return "RIFF" + le(body.size(), 4) + body;
}

} // namespace

TEST(WaveFile, PcmWavesOfEveryWidthBecomeSixteenBitSamples) {
    struct Case {
        const char* name;
        QByteArray file;
        int channels, rate, bits;
        QByteArray int16; // the samples as signed 16-bit, little-endian
    };
    const QByteArray odd = QByteArray("LIST") + le(3, 4) + "abc" + '\0'; // padded to even
    const Case cases[] = {
        {"8-bit mono", wave(1, 1, 8000, 8, QByteArray("\x00\x80\xFF", 3)), 1, 8000, 8,
         le(0x8000, 2) + le(0, 2) + le(0x7F00, 2)},
        {"16-bit stereo", wave(1, 2, 44100, 16, le(0x1234, 2) + le(0xFEDC, 2)), 2, 44100, 16,
         le(0x1234, 2) + le(0xFEDC, 2)},
        {"24-bit", wave(1, 1, 48000, 24, le(0x123456, 3)), 1, 48000, 24, le(0x1234, 2)},
        {"32-bit", wave(1, 1, 48000, 32, le(0x89ABCDEF, 4)), 1, 48000, 32, le(0x89AB, 2)},
        {"extensible PCM", wave(0xFFFE, 1, 8000, 16, le(7, 2)), 1, 8000, 16, le(7, 2)},
        {"a chunk of odd length first", wave(1, 1, 8000, 16, le(5, 2), odd), 1, 8000, 16,
         le(5, 2)},
        {"data longer than the file", wave(1, 2, 8000, 16, le(1, 2) + le(2, 2) + le(3, 2), {}, 1000),
         2, 8000, 16, le(1, 2) + le(2, 2)}, // whole frames only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString reason;
        const auto sound = platform::parseWave(c.file, &reason);
        ASSERT_TRUE(sound) << reason.toStdString();
        EXPECT_EQ(sound->channels, c.channels);
        EXPECT_EQ(sound->sampleRate, c.rate);
        EXPECT_EQ(sound->bitsPerSample, c.bits);
        EXPECT_EQ(platform::toInt16Samples(*sound), c.int16);
    }
    const struct {
        const char* name;
        QByteArray file;
        const char* reason;
    } refused[] = {
        {"float samples", wave(3, 1, 8000, 32, le(0, 4)), "not a PCM wave"},
        {"six channels", wave(1, 6, 8000, 16, QByteArray(12, '\0')),
         "a wave format that cannot be played"},
        {"12-bit", wave(1, 1, 8000, 12, QByteArray(4, '\0')), "a wave format that cannot be played"},
        {"rate 0", wave(1, 1, 0, 16, QByteArray(4, '\0')), "a wave format that cannot be played"},
        {"no data chunk", wave(1, 1, 8000, 16, {}).left(36), "not a wave file"},
        {"data before format", "RIFF" + le(12, 4) + "WAVEdata" + le(0, 4), "not a wave file"},
        {"a chunk claiming 4 GB", "RIFF" + le(20, 4) + "WAVEjunk" + le(0xFFFFFFFF, 4) + "xx",
         "not a wave file"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        QString reason;
        EXPECT_FALSE(platform::parseWave(r.file, &reason));
        EXPECT_EQ(reason, r.reason);
    }
}

namespace {

// A recording output: counts what it is given, under a lock, since the wave thread writes.
struct Recording {
    std::mutex lock;
    std::condition_variable changed;
    QByteArray taken;
    qint64 capacity = -1; // -1: takes everything
    bool deviceMissing = false;
    int starts = 0, stops = 0;
    int rate = 0, channels = 0;

    // Waits, at most five seconds and without processing any event, until the condition holds.
    bool waitFor(const std::function<bool()>& condition) {
        std::unique_lock<std::mutex> l(lock);
        return changed.wait_for(l, std::chrono::seconds(5), condition);
    }
};

class RecordingOut : public platform::AudioOut {
public:
    explicit RecordingOut(Recording& r) : r_(r) {}
    bool start(int sampleRate, int channels) override {
        std::lock_guard<std::mutex> l(r_.lock);
        ++r_.starts;
        r_.rate = sampleRate;
        r_.channels = channels;
        r_.changed.notify_all();
        return !r_.deviceMissing;
    }
    qint64 write(const char* data, qint64 length) override {
        std::lock_guard<std::mutex> l(r_.lock);
        qint64 n = std::min<qint64>(length, 4096);
        if (r_.capacity >= 0) n = std::min<qint64>(n, r_.capacity - r_.taken.size());
        r_.taken.append(data, n);
        r_.changed.notify_all();
        return n;
    }
    void stop() override {
        std::lock_guard<std::mutex> l(r_.lock);
        ++r_.stops;
        r_.changed.notify_all();
    }

private:
    Recording& r_;
};

class WaveThread : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setAudioOutFactory([this] { return std::make_unique<RecordingOut>(rec); });
        for (int i = 0; i < 20000; ++i)
            samples += le(std::uint32_t(i * 7), 2);
        ASSERT_TRUE(testsupport::writeFile(dir.file("tone.wav"), wave(1, 2, 22050, 16, samples)));
        player.fileName = dir.file("tone.wav");
    }
    void TearDown() override { platform::setAudioOutFactory({}); }

    testsupport::TempDir dir;
    Recording rec;
    QByteArray samples; // 40000 bytes, 10000 stereo frames
    platform::WavePlayer player;
};

} // namespace

// The GUI thread stays busy (it processes no event at all while it waits): the wave thread
// delivers every sample by itself.
TEST_F(WaveThread, SamplesAreDeliveredWhileTheGuiThreadIsBusy) {
    ASSERT_TRUE(player.open());
    player.play();
    EXPECT_TRUE(rec.waitFor([&] { return rec.taken.size() == samples.size(); }));
    std::lock_guard<std::mutex> l(rec.lock);
    EXPECT_EQ(rec.taken, samples);
    EXPECT_EQ(rec.starts, 1);
    EXPECT_EQ(rec.rate, 22050);
    EXPECT_EQ(rec.channels, 2);
}

TEST_F(WaveThread, CloseStopsTheSoundAndNothingFollows) {
    rec.capacity = 1000; // the device takes 1000 bytes and is then full
    ASSERT_TRUE(player.open());
    player.play();
    ASSERT_TRUE(rec.waitFor([&] { return rec.taken.size() == 1000; }));
    player.close();
    {
        std::lock_guard<std::mutex> l(rec.lock);
        EXPECT_EQ(rec.stops, 1);
        rec.capacity = -1; // room again: a feeder still running would now write
    }
    EXPECT_FALSE(player.isOpen());
    player.play(); // closed: plays nothing
    player.close();
    std::lock_guard<std::mutex> l(rec.lock);
    EXPECT_EQ(rec.taken.size(), 1000);
    EXPECT_EQ(rec.starts, 1);
}

TEST_F(WaveThread, WithoutASoundDeviceItStaysSilentAndNeverBlocks) {
    rec.deviceMissing = true;
    ASSERT_TRUE(player.open());
    player.play();
    EXPECT_TRUE(rec.waitFor([&] { return rec.starts == 1; }));
    player.close();
    std::lock_guard<std::mutex> l(rec.lock);
    EXPECT_TRUE(rec.taken.isEmpty());
}
