#include "model/page_document.h"

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

PageImage PageDocument::pageToStore() const {
    PageImage page = page_;
    // Trimmed as reading trims, so a page saved as it was loaded keeps its texts (a no-break
    // space at either end, which the page file holds as it holds any other letter, included).
    for (auto& l : page.lines)
        l.Text = trimBlanks(l.Text);
    return page;
}

EditedPage PageDocument::edited() const {
    EditedPage e;
    for (int i = 0; i < 3; ++i)
        e.lines[i] = {page_.lines[i].Text, page_.lines[i].FontStyle, page_.lines[i].attrs};
    e.settings = page_.settings;
    return e;
}

void PageDocument::restore(const EditedPage& e) {
    for (int i = 0; i < 3; ++i) {
        page_.lines[i].Text = e.lines[i].Text;
        page_.lines[i].FontStyle = e.lines[i].FontStyle;
        page_.lines[i].attrs = e.lines[i].attrs;
    }
    page_.settings = e.settings;
    emit restored();
}

void PageDocument::restorePath(int n, bool in, const Path& path) {
    (in ? inPath(n) : outPath(n)) = path;
}

PageImage PageDocument::lastStored() const {
    PageImage stored;
    buffer_.decode(stored);
    return stored;
}

bool PageDocument::differsFromBuffer() const {
    // Both sides go through the record, so what a read brings into range, or a save cuts, counts
    // the same on both.
    PageBuffer now = buffer_;
    now.encode(pageToStore(), QString());
    PageImage a, b;
    now.decode(a);
    buffer_.decode(b);
    return !(a == b);
}

bool PageDocument::stylesDifferFromBuffer() const {
    const PageImage stored = lastStored();
    for (int i = 0; i < 3; ++i)
        if (page_.lines[i].FontStyle != stored.lines[i].FontStyle) return true;
    return false;
}

bool PageDocument::shadowsDifferFromBuffer() const {
    const PageImage stored = lastStored();
    for (int i = 0; i < 3; ++i)
        if (page_.lines[i].attrs.ShadowOn != stored.lines[i].attrs.ShadowOn) return true;
    return false;
}

bool PageDocument::directionsDifferFromBuffer() const {
    const PageImage stored = lastStored();
    for (int i = 0; i < 3; ++i)
        if (page_.lines[i].attrs.InDirection != stored.lines[i].attrs.InDirection) return true;
    for (int i = 0; i < 3; ++i)
        if (page_.lines[i].attrs.OutDirection != stored.lines[i].attrs.OutDirection) return true;
    return false;
}

bool PageDocument::pathsDifferFromBuffer() const {
    const PageImage stored = lastStored();
    for (int i = 0; i < 3; ++i)
        if (page_.lines[i].InPath.LastIndex != stored.lines[i].InPath.LastIndex ||
            page_.lines[i].OutPath.LastIndex != stored.lines[i].OutPath.LastIndex)
            return true;
    return false;
}

bool PageDocument::mpauseDiffersFromBuffer() const {
    return page_.settings.mpause != (buffer_.bytes()[pagelayout::MPause] != 0);
}

void PageDocument::setsav(bool flag) {
    changed_ = flag;
    emit changedChanged(flag);
}

} // namespace velmora
