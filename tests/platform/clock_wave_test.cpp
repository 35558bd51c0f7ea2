#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <QFile>

#include "platform/Clock.h"
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
        QFile f(dir.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return dir.file(name);
    };
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
    };
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
