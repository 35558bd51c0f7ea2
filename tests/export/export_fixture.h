#pragma once
// What the export's tests share: projects of picture pages written into a temporary folder, and
// the export's options for them.
#include <cmath>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include "export/exporter.h"
#include "model/page_file.h"
#include "model/project_file.h"
#include "test_support.h"

using velmora::ExportOptions;
using velmora::PageImage;
using velmora::VideoFormat;

namespace {

constexpr int PicW = 40, PicH = 30;
constexpr platform::TColor Orange = 0x00A0FF; // 0xBBGGRR

using testsupport::readFile;
using testsupport::writeFile;

// Frame k, counted from 0, of a PNG sequence.
inline QImage pngFrame(const QString& folder, std::int64_t k) {
    return QImage(
        QDir(folder).filePath(QStringLiteral("%1.png").arg(k + 1, 6, 10, QLatin1Char('0'))));
}

// velmora-render run to its end: how it ended and what it wrote.
struct RenderRun {
    int code = -1;
    QString err, out;
};

inline RenderRun runRender(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(VELMORA_RENDER, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError()),
            QString::fromUtf8(p.readAllStandardOutput())};
}

inline QString writePicture(const QString& file, QRgb colour) {
    QImage img(PicW, PicH, QImage::Format_RGB32);
    img.fill(colour);
    img.save(file, "BMP");
    return file;
}

// A 16-bit mono wave: a tone of `seconds`.
inline void writeWave(const QString& file, int rate, double seconds) {
    const int n = int(rate * seconds);
    QByteArray data;
    for (int i = 0; i < n; ++i) {
        const auto v = std::int16_t(12000 * std::sin(2 * M_PI * 440 * i / rate));
        data.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    }
    auto u32 = [](std::uint32_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::uint16_t v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QByteArray wav = "RIFF" + u32(36 + std::uint32_t(data.size())) + "WAVEfmt " + u32(16) + u16(1) +
                     u16(1) + u32(std::uint32_t(rate)) + u32(std::uint32_t(rate * 2)) + u16(2) +
                     u16(16) + "data" + u32(std::uint32_t(data.size())) + data;
    writeFile(file, wav);
}

class ExportTest : public ::testing::Test {
protected:
    // A project "show.kvt" of the pages given.
    QString writeProject(const std::vector<PageImage>& pages, bool bars = false,
                         bool countDown = false, int holdtime = 10) {
        velmora::PageBuffer buffer;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const QString number = *velmora::pageNumberText(int(i));
            buffer.encode(pages[i], number);
            EXPECT_TRUE(velmora::writePageFile(
                velmora::pageFileName(dir.path() + "/", "SHOW", number), buffer));
        }
        const QString file = dir.file("show.kvt");
        velmora::writeProjectFile(file, "Velmora-32", "1.30", "show.kvt", "2026-12-07 10:00:00",
                                  *velmora::pageNumberText(int(pages.size()) - 1), bars, countDown,
                                  holdtime, 32, 0);
        return file;
    }
    // A page with one picture at (x, y) moving in by `in` and out without movement.
    PageImage picturePage(int in, int x, int y, int delay, int pause) {
        PageImage p;
        p.lines[0].attrs.BitmapFile = writePicture(dir.file("pic.bmp"), qRgb(255, 160, 0));
        p.lines[0].attrs.InDirection = in;
        p.lines[0].attrs.OutDirection = 13;
        p.lines[0].PosX = x;
        p.lines[0].PosY = y;
        p.settings.fadedelay = delay;
        p.settings.PauseTime = pause;
        return p;
    }
    ExportOptions options(const QString& project, const QString& out, VideoFormat f) {
        ExportOptions o;
        o.project = project;
        o.output = out;
        o.format = f;
        o.show.width = 320;
        o.show.height = 240;
        o.show.rate = {25, 1};
        return o;
    }
    // Files left in the folder besides those the test wrote.
    QStringList leftovers(const QStringList& expected) {
        QStringList all =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QString& e : expected)
            all.removeAll(e);
        return all;
    }

    testsupport::TempDir dir;
};

// A title line in use: white text with a shadow, resting at (x, y).
inline PageImage::Line titleLine(const QString& text, const char* font, int size, int in, int out,
                                 int x, int y, platform::TColor shadow) {
    PageImage::Line l;
    l.Text = text;
    l.PosX = x;
    l.PosY = y;
    l.attrs.InUse = true;
    l.attrs.FontName = QString::fromLatin1(font);
    l.attrs.FontSize = size;
    l.attrs.FontColor = platform::clWhite;
    l.attrs.ShadowOn = true;
    l.attrs.ShadowColor = shadow;
    l.attrs.InDirection = in;
    l.attrs.OutDirection = out;
    return l;
}

// The picture's pixels: the picture is orange inside a one-pixel black frame.
inline bool orangeAt(const QImage& img, int x, int y) {
    return img.valid(x, y) && img.pixel(x, y) == qRgb(255, 160, 0);
}

} // namespace
