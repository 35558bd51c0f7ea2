#include "model/show_project.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "model/editor_state.h"
#include "model/page_file.h"

namespace velmora {

void prepareForShow(PageImage& page, const QString& dpath) {
    for (auto& l : page.lines) {
        l.attrs.InUse = !l.Text.isEmpty() || !l.attrs.BitmapFile.isEmpty();
        l.attrs.InPathArmed = l.attrs.InDirection == 11;
        l.attrs.OutPathArmed = l.attrs.OutDirection == 11;
        // Pictures and waves named without a folder lie in the project's folder.
        l.attrs.BitmapFile = projectFile(dpath, l.attrs.BitmapFile);
        l.attrs.WaveFile = projectFile(dpath, l.attrs.WaveFile);
    }
}

std::optional<ShowProject> loadShowProject(const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return std::nullopt;
    };
    const QFileInfo info(path);
    if (!info.isFile()) return fail(QStringLiteral("no project file %1").arg(path));
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read the project file %1").arg(path));
    probe.close();

    ShowProject show;
    show.dpath = info.absolutePath() + QLatin1Char('/');
    show.settings = readProjectFile(path);
    if (show.settings.ProjectName.isEmpty()) show.settings.ProjectName = info.fileName();
    const QString base = StripKVT(show.settings.ProjectName);
    if (base.isEmpty())
        return fail(QStringLiteral("the project file %1 names no project").arg(path));
    const std::optional<QString> last = GetNumberOFPages(show.dpath, base);
    bool numeric = false;
    const int lastPage = last ? last->toInt(&numeric) : 999;
    if (last && !numeric)
        return fail(QStringLiteral("the project %1 has no pages (no %2)")
                        .arg(path, pageFileName(show.dpath, base, QStringLiteral("000"))));
    for (int i = 0; i <= lastPage; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        const QString file = pageFileName(show.dpath, base, number);
        PageBuffer buffer;
        switch (readPageFile(file, buffer)) {
        case PageReadResult::Ok:
            break;
        case PageReadResult::NotRegular:
            return fail(QStringLiteral("the page file %1 is not a regular file").arg(file));
        case PageReadResult::Missing:
        case PageReadResult::Unreadable:
            return fail(QStringLiteral("cannot read the page file %1").arg(file));
        }
        PageImage page;
        buffer.decode(page);
        prepareForShow(page, show.dpath);
        for (auto& l : page.lines) {
            // The player shows a line whose picture is missing as its text, if it has one.
            if (!l.attrs.BitmapFile.isEmpty() && !QFileInfo(l.attrs.BitmapFile).isFile())
                show.omitted.push_back(QStringLiteral("page %1 line %2: no picture %3")
                                           .arg(number)
                                           .arg(&l - page.lines.data() + 1)
                                           .arg(l.attrs.BitmapFile));
        }
        show.pageNames.push_back(number);
        show.pages.push_back(page);
    }
    // The show stops at the first missing page; pages after it are there for nothing.
    QStringList after;
    for (int i = lastPage + 2; i <= 999; ++i)
        if (PageValid(show.dpath, base, i)) after << *pageNumberText(i);
    if (!after.isEmpty())
        show.omitted.push_back(
            QStringLiteral("no page %1: the show ends before it, leaving out page%2 %3")
                .arg(pageFileName(show.dpath, base, *pageNumberText(lastPage + 1)),
                     after.size() > 1 ? QStringLiteral("s") : QString(),
                     after.join(QStringLiteral(", "))));
    return show;
}

} // namespace velmora
