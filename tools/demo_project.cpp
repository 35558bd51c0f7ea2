#include "tools/demo_project.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "model/page_file.h"
#include "model/project_file.h"

namespace velmora::demo {

namespace {

PageImage::Line text(const QString& t, int size, int in, int out, int x, int y,
                     TColor color = 0xFFFFFF) {
    PageImage::Line l;
    l.Text = t;
    l.attrs.FontName = QStringLiteral("Arial");
    l.attrs.FontSize = size;
    l.attrs.FontColor = color;
    l.attrs.InDirection = in;
    l.attrs.OutDirection = out;
    l.PosX = x;
    l.PosY = y;
    return l;
}

PageImage::Line unused() {
    PageImage::Line l = text(QString(), 40, 5, 6, 0, 0);
    return l;
}

PageImage page(PageImage::Line a, PageImage::Line b, PageImage::Line c, int delay, int pause,
               bool manual = false) {
    PageImage p;
    p.lines = {a, b, c};
    p.settings.fadedelay = delay;
    p.settings.PauseTime = pause;
    p.settings.mpause = manual;
    return p;
}

bool writeLogo(const QString& file) {
    QImage img(360, 120, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 360, 120);
    g.setColorAt(0, QColor(20, 40, 160));
    g.setColorAt(1, QColor(160, 20, 120));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(Qt::white, 3));
    p.drawRect(img.rect().adjusted(4, 4, -5, -5));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("VELMORA"));
    p.end();
    return img.save(file, "BMP");
}

} // namespace

std::vector<PageImage> demoPages() {
    std::vector<PageImage> pages;

    // 000: the opening, after the colour bars and the count down.
    {
        auto title = text(QStringLiteral("Velmora Pro"), 72, 5, 6, 160, 160, 0x00C0FF);
        title.attrs.ShadowOn = true;
        title.attrs.ShadowColor = 0x303030;
        title.attrs.GradientOn = true;
        title.attrs.GradientStartColor = 0x80FFFF;
        auto sub = text(QStringLiteral("presents"), 40, 12, 12, 300, 330);
        pages.push_back(page(title, sub, unused(), 0, 2));
    }
    // 001: diagonals, with a smoothed line.
    {
        auto a = text(QStringLiteral("Titles that move"), 56, 1, 3, 120, 140);
        a.attrs.ShadowOn = true;
        auto b = text(QStringLiteral("in every direction"), 44, 3, 2, 220, 300, 0x80FF80);
        b.attrs.BlurOn = true;
        auto c = text(QStringLiteral("straight or diagonal"), 36, 6, 5, 260, 440, 0xFFC080);
        pages.push_back(page(a, b, c, 150, 2));
    }
    // 002: stretches and straight lines.
    {
        auto a = text(QStringLiteral("Stretched open"), 60, 9, 10, 140, 160, 0x4080FF);
        a.FontStyle = 1; // bold
        auto b = text(QStringLiteral("and closed again"), 44, 10, 9, 200, 320);
        auto c = text(QStringLiteral("from the top"), 36, 7, 8, 260, 460, 0xFFFF80);
        pages.push_back(page(a, b, c, 150, 2));
    }
    // 003: a picture instead of text.
    {
        auto a = text(QString(), 40, 8, 7, 200, 120);
        a.attrs.BitmapFile = QStringLiteral("demo_logo.bmp");
        auto b = text(QStringLiteral("pictures fly too"), 48, 6, 5, 180, 320, 0xC0C0FF);
        b.attrs.ShadowOn = true;
        b.attrs.ShadowColor = 0x800000;
        pages.push_back(page(a, b, unused(), 150, 2));
    }
    // 004: a manual page: it waits for the space bar.
    {
        auto a = text(QStringLiteral("Press Space"), 64, 13, 12, 180, 200, 0x40FFFF);
        a.attrs.GradientOn = true;
        a.attrs.GradientStartColor = 0x0000FF;
        auto b = text(QStringLiteral("this page waits for you"), 36, 12, 12, 200, 340);
        pages.push_back(page(a, b, unused(), 0, 0, true));
    }
    // 005: the end, slowly.
    {
        auto a = text(QStringLiteral("The End"), 80, 12, 12, 220, 200);
        a.attrs.ShadowOn = true;
        a.attrs.GradientOn = true;
        a.attrs.GradientStartColor = 0xFFFFFF;
        a.attrs.FontColor = 0x0080FF;
        pages.push_back(page(a, unused(), unused(), 300, 3));
    }
    return pages;
}

bool writeDemo(const QString& folder) {
    if (!writeLogo(folder + QStringLiteral("demo_logo.bmp"))) return false;
    const std::vector<PageImage> pages = demoPages();
    PageBuffer buffer;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString number = *pageNumberText(int(i));
        buffer.encode(pages[i], number);
        if (!writePageFile(pageFileName(folder, QStringLiteral("DEMO"), number), buffer))
            return false;
    }
    // The pages' places and sizes were chosen for an 800 x 600 screen; the lines move smoothly,
    // as a new project's do.
    return writeProjectFile(folder + QStringLiteral("demo.kvt"), QStringLiteral("Velmora-32"),
                            QStringLiteral("1.30"), QStringLiteral("demo.kvt"),
                            QStringLiteral("2026-12-06 10:00:00"),
                            *pageNumberText(int(pages.size()) - 1), true, true, 3, 32, 0,
                            DemoStageWidth, DemoStageHeight, Motion::Smooth);
}

DemoCommand demoCommand(const QStringList& arguments) {
    const QString usage = QStringLiteral(
        "usage: velmora_make_demo FOLDER\n"
        "Writes the demo project into FOLDER (made when missing): demo.kvt, its pages DEMO.000 "
        "to DEMO.005 and the picture demo_logo.bmp.\n");
    if (arguments.size() == 1 &&
        (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h")))
        return {QString(), usage, 0};
    // A folder named like an option is far more likely a mistyped option than a folder; one
    // that is really meant can be given as ./-name.
    if (arguments.size() != 1 || arguments[0].isEmpty() || arguments[0].startsWith('-'))
        return {QString(), usage, 2};
    return {arguments[0], QString(), 0};
}

} // namespace velmora::demo
