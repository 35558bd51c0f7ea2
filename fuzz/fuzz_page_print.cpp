// One page file printed: read and decoded into the page document as the program loads a page,
// then the project summary laid out onto a recording print surface, the page loaded again for
// every page number the summary covers, as printing loads every page in turn. Each block shows
// the lines as the document holds them, every sheet but the last carries its number, and the
// summary ends with its four figures.
#include <cstdint>
#include <QStringList>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "model/printout.h"
#include "platform/PrintSurface.h"

using namespace velmora;
using fuzzsupport::require;

namespace {

// Where the choices lie in the reserved field (see fuzzsupport::Choices).
enum ChoiceAt {
    LastPage = 0, // 0..15: the last page number; 254: "999"; 255: "NEW"
    Width = 1,    // 1, 2: the printable width, 0..65535 device pixels
    Height = 3,   // 3, 4: the printable height
    Line = 5,     // the text height of the printer's font, 1..256
};

struct Drawn {
    int sheet;
    int x, y;
    QString text;
};

// Records every text with its sheet; the text height stands for the printer's font.
class RecordingSurface : public platform::PrintSurface {
public:
    RecordingSurface(int w, int h, int lineHeight) : w_(w), h_(h), line_(lineHeight) {}
    int pageWidth() const override { return w_; }
    int pageHeight() const override { return h_; }
    void setFontName(const QString&) override {}
    void setFontSize(int points) override { require(points > 0, "a font has a size"); }
    int textHeight(const QString&) const override { return line_; }
    void textOut(int x, int y, const QString& text) override {
        drawn.push_back({sheet, x, y, text});
    }
    int pageNumber() const override { return sheet; }
    void newPage() override { ++sheet; }

    int sheet = 1;
    std::vector<Drawn> drawn;

private:
    int w_, h_, line_;
};

QString lastPageText(std::uint8_t b) {
    if (b == 255) return QStringLiteral("NEW");
    if (b == 254) return QStringLiteral("999");
    return *pageNumberText(b % 16);
}

} // namespace

FUZZ_START_GUI_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ProjectFolder folder;
    const fuzzsupport::Choices c(data, size);
    fuzzsupport::QuietDialogsScope quiet;
    PageDocument doc;
    PageImage loaded;
    const QString& path = folder.writePage(data, size, c);
    if (!fuzzsupport::loadPage(path, size, doc, loaded)) return 0;

    const QString last = lastPageText(c.byte(LastPage));
    const int lastNumber = last == QLatin1String("NEW") ? 0 : last.toInt();
    RecordingSurface surface((c.byte(Width) << 8) | c.byte(Width + 1),
                             (c.byte(Height) << 8) | c.byte(Height + 1), 1 + c.byte(Line));
    std::vector<int> asked;
    const QString project = QStringLiteral("FUZZ.KVT");
    printProjectSummary(surface, project, last, [&](int i) {
        asked.push_back(i);
        // Printing loads every page in turn, as the program loads a page.
        PageImage again;
        require(fuzzsupport::loadPage(path, size, doc, again) && again == loaded,
                "the page reads the same every time");
        PrintedPage page;
        for (int n = 1; n <= 3; ++n) {
            const TitleLine& l = doc.line(n);
            page[n - 1] = {doc.text(n), l.FontName, l.FontSize, l.ShadowOn, l.BitmapFile};
        }
        return page;
    });

    require(int(asked.size()) == lastNumber + 1, "every page up to the last is loaded once");
    for (int i = 0; i <= lastNumber; ++i)
        require(asked[std::size_t(i)] == i, "the pages are loaded in order");

    // Each block shows the page's three lines as the document holds them.
    const QString header = project + QStringLiteral(" Pages : ") + last;
    QStringList texts;
    for (const Drawn& d : surface.drawn)
        texts << d.text;
    for (int n = 1; n <= 3; ++n) {
        const TitleLine& l = doc.line(n);
        require(texts.count(QStringLiteral("Font Size : ") + QString::number(l.FontSize)) >=
                    lastNumber + 1,
                "every block gives each line's font size");
        require(texts.count(QStringLiteral("BM File: ") + l.BitmapFile) >= lastNumber + 1,
                "every block gives each line's picture");
        require(texts.count(doc.text(n)) >= lastNumber + 1, "every block gives each line's text");
    }
    // A header on every sheet, the number on every sheet another follows.
    for (int sheet = 1; sheet <= surface.sheet; ++sheet) {
        bool headed = false, numbered = false;
        for (const Drawn& d : surface.drawn) {
            if (d.sheet != sheet) continue;
            headed = headed || (d.text == header && d.x == 30 && d.y == 10);
            numbered = numbered || d.text == QString::number(sheet);
        }
        require(headed, "every sheet has its header");
        require(numbered || sheet == surface.sheet, "every sheet another follows is numbered");
    }
    require(!surface.drawn.empty() && surface.drawn.back().sheet == surface.sheet &&
                surface.drawn.back().text ==
                    QStringLiteral("Total Pages: ") + *pageNumberText(lastNumber),
            "the summary ends with the number of pages on the last sheet");
    return 0;
}
