#include "main/page_document.h"

namespace velmora {

PageDocument::PageDocument(QObject* parent) : QObject(parent) {}

void PageDocument::setTitlePos(int n, std::int32_t x, std::int32_t y) {
    page_.lines[n - 1].PosX = x;
    page_.lines[n - 1].PosY = y;
}

void PageDocument::clearPath(int n, bool in, std::int32_t keepFrom) {
    setsav(true);
    Path& p = in ? inPath(n) : outPath(n);
    p.LastIndex = -1;
    for (std::int32_t i = 0; i < keepFrom && i < MaxPathPoints; ++i)
        p.Points[i] = PathPoint{};
}

void PageDocument::load(const PageImage& page) {
    for (int i = 0; i < 3; ++i) {
        const TitleLine& was = page_.lines[i].attrs;
        PageImage::Line l = page.lines[i];
        l.attrs.InPathArmed = was.InPathArmed;
        l.attrs.OutPathArmed = was.OutPathArmed;
        l.attrs.InUse = !l.Text.isEmpty() || !l.attrs.BitmapFile.isEmpty();
        page_.lines[i] = l;
    }
    page_.settings = page.settings;
    emit loaded();
}

bool PageDocument::mpauseDiffersFromBuffer() const {
    return page_.settings.mpause != (buffer_.bytes()[pagelayout::MPause] != 0);
}

void PageDocument::setsav(bool flag) {
    changed_ = flag;
    emit changedChanged(flag);
}

} // namespace velmora
