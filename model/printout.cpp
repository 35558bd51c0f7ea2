#include "model/printout.h"

namespace velmora {

namespace {

QString threeDigits(int n) {
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

void header(platform::PrintSurface& s, const QString& projectName, const QString& lastPage) {
    s.textOut(30, 10, projectName + QStringLiteral(" Pages : ") + lastPage);
}

} // namespace

void printProjectSummary(platform::PrintSurface& s, const QString& projectName,
                         const QString& lastPage, const std::function<PrintedPage(int)>& loadPage) {
    // "NEW" reads as 0: one block, for page 000.
    bool ok = false;
    int last = lastPage.toInt(&ok);
    if (!ok || last < 0) last = 0;

    s.setFontSize(10);
    header(s, projectName, lastPage);
    const int pw = s.pageWidth();
    const int ph = s.pageHeight();
    const int c1 = pw / 4;
    const int columns[3] = {c1, 2 * c1, 3 * c1};
    // Measured once, in the face the job starts with.
    const int fh = s.textHeight(QStringLiteral("Hg"));
    int y = 40;
    for (int i = 0; i <= last; ++i) {
        const PrintedPage page = loadPage(i);
        s.setFontName(QStringLiteral("Arial"));
        s.textOut(c1, y + fh, QStringLiteral("Page: ") + threeDigits(i));
        for (int k = 0; k < 3; ++k) {
            const PrintedLine& l = page[k];
            const int x = columns[k];
            s.textOut(x, y + 2 * fh, QStringLiteral("----- %1 ----").arg(k + 1));
            s.setFontName(l.FontName);
            s.textOut(x, y + 3 * fh, l.Text);
            s.setFontName(QStringLiteral("Arial"));
            s.textOut(x, y + 4 * fh, QStringLiteral("Font Size : ") + QString::number(l.FontSize));
            s.textOut(x, y + 5 * fh,
                      l.ShadowOn ? QStringLiteral("Shadow On") : QStringLiteral("Shadow Off"));
            s.textOut(x, y + 6 * fh, QStringLiteral("BM File: ") + l.BitmapFile);
        }
        y = y + 6 * fh + 150;
        if (y > ph - 200) {
            s.textOut(pw - 200, ph - 100, QString::number(s.pageNumber()));
            s.newPage();
            header(s, projectName, lastPage);
            y = 10;
        }
    }
    s.textOut(10, ph - 4 * fh, QStringLiteral("Pixel Pg Height ") + QString::number(ph));
    s.textOut(10, ph - 3 * fh, QStringLiteral("Pixel Pg Width ") + QString::number(pw));
    s.textOut(10, ph - 2 * fh, QStringLiteral("fh ") + QString::number(fh));
    s.textOut(10, ph - fh, QStringLiteral("Total Pages: ") + threeDigits(last));
}

} // namespace velmora
