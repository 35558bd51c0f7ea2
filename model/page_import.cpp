#include "model/page_import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "model/editor_state.h"
#include "model/project_file.h"

namespace velmora {

namespace {

constexpr int LastPageNumber = 999;

} // namespace

std::optional<ProjectPlace> locateProject(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = QStringLiteral("no project file %1").arg(path);
        return std::nullopt;
    }
    QByteArray none;
    if (readRegularFile(path, 0, none) != RegularRead::Ok) {
        *error = QStringLiteral("can not read the project file %1").arg(path);
        return std::nullopt;
    }
    ProjectPlace place;
    place.file = path;
    place.dpath = info.absolutePath() + QLatin1Char('/');
    place.name = readProjectFile(path).ProjectName;
    if (place.name.isEmpty()) place.name = info.fileName();
    place.base = StripKVT(place.name);
    if (place.base.isEmpty()) {
        *error = QStringLiteral("the project file %1 names no project").arg(path);
        return std::nullopt;
    }
    return place;
}

std::optional<QByteArray> readRowsFile(const QString& path, QString* error) {
    // One byte beyond the limit tells a file at the limit from a larger one.
    QByteArray data;
    switch (readRegularFile(path, MaxRowsFileSize + 1, data)) {
    case RegularRead::Ok:
        break;
    case RegularRead::NotRegular:
        *error = QStringLiteral("%1 is not a regular file").arg(path);
        return std::nullopt;
    case RegularRead::Missing:
    case RegularRead::Unreadable:
        *error = QStringLiteral("can not read %1").arg(path);
        return std::nullopt;
    }
    if (data.size() > MaxRowsFileSize) {
        *error = QStringLiteral("%1 is larger than %2 MiB").arg(path).arg(MaxRowsFileSize >> 20);
        return std::nullopt;
    }
    return data;
}

bool writeRowsFile(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool insideProjectFolder(const QString& dpath, const QString& name) {
    const QString folder = QFileInfo(dpath).canonicalFilePath();
    if (folder.isEmpty()) return false;
    // The name's nearest existing part is resolved by the file system, links and all; what
    // follows it cannot hold a link, and holds no "..", once the path is cleaned.
    QString existing = QDir::cleanPath(QFileInfo(projectFile(dpath, name)).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink()) {
        const QFileInfo part(existing);
        rest = QLatin1Char('/') + part.fileName() + rest;
        const QString parent = part.path();
        if (parent == existing) return false;
        existing = parent;
    }
    const QString resolved = QFileInfo(existing).canonicalFilePath();
    if (resolved.isEmpty()) return false; // a link that leads nowhere
    return (resolved + rest).startsWith(folder + QLatin1Char('/'));
}

std::vector<int> freePageNumbers(const QString& dpath, const QString& base) {
    std::vector<int> free;
    for (int n = 0; n <= LastPageNumber; ++n)
        if (!pageFileExists(pageFileName(dpath, base, *pageNumberText(n)))) free.push_back(n);
    return free;
}

QString roomForPages(const QString& dpath, const QString& base, int count) {
    const std::size_t free = freePageNumbers(dpath, base).size();
    if (std::size_t(count) <= free) return {};
    return QStringLiteral("%1 has room for %2 more %3, not %4")
        .arg(base)
        .arg(free)
        .arg(free == 1 ? QStringLiteral("page") : QStringLiteral("pages"))
        .arg(count);
}

ImportResult writeRowPages(const QString& dpath, const QString& base, const PageImage& templ,
                           const PageBuffer& templateRecord, const std::vector<PageRow>& rows) {
    ImportResult result;
    result.error = roomForPages(dpath, base, int(rows.size()));
    if (!result.error.isEmpty()) return result;
    const std::vector<int> free = freePageNumbers(dpath, base);
    PageBuffer buffer = templateRecord;
    std::vector<QString> written;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString number = *pageNumberText(free[i]);
        const QString file = pageFileName(dpath, base, number);
        PageImage page = pageFromRow(templ, rows[i]);
        // Names the rows give are kept as a choice in the editor keeps them.
        for (auto& l : page.lines) {
            l.attrs.BitmapFile = storableFileName(dpath, l.attrs.BitmapFile);
            l.attrs.WaveFile = storableFileName(dpath, l.attrs.WaveFile);
        }
        const PageBuffer::Stored stored = buffer.encode(page, number);
        result.laterFieldsLeftOut =
            result.laterFieldsLeftOut || stored == PageBuffer::Stored::LaterFieldsLeftOut;
        // A page that appeared since the numbers were counted is not overwritten.
        if (stored == PageBuffer::Stored::TooLarge || pageFileExists(file) ||
            !writePageFile(file, buffer)) {
            for (const QString& w : written)
                QFile::remove(w);
            result.numbers.clear();
            result.error =
                stored == PageBuffer::Stored::TooLarge
                    ? QStringLiteral("row %1: its texts and names are too long for a page file; "
                                     "no page was made")
                          .arg(rows[i].row)
                    : QStringLiteral("can not write the page file %1; no page was made").arg(file);
            return result;
        }
        written.push_back(file);
        result.numbers.push_back(number);
    }
    return result;
}

void updateNumberOPages(const QString& projectFile, const QString& dpath, const QString& base) {
    if (!QFileInfo(projectFile).isFile()) return;
    // Like every write of the project file, a failure here goes unreported: the value is only
    // informative, and the pages themselves are written.
    writeNumberOPages(projectFile, GetNumberOFPages(dpath, base).value_or(QStringLiteral("999")));
}

QString pageNumbersText(const std::vector<QString>& numbers) {
    QStringList runs;
    std::size_t i = 0;
    while (i < numbers.size()) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1].toInt() == numbers[j].toInt() + 1)
            ++j;
        runs << (j == i ? numbers[i] : numbers[i] + QStringLiteral(" to ") + numbers[j]);
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

std::optional<std::vector<ProjectPage>> readProjectPages(const QString& dpath, const QString& base,
                                                         QString* error) {
    // All 1000 numbers in use: the last page is 999; "NEW", no page 000: no pages.
    const QString last = GetNumberOFPages(dpath, base).value_or(QStringLiteral("999"));
    bool numeric = false;
    const int lastPage = last.toInt(&numeric);
    std::vector<ProjectPage> pages;
    if (!numeric) return pages;
    for (int n = 0; n <= lastPage; ++n) {
        const QString number = *pageNumberText(n);
        const QString file = pageFileName(dpath, base, number);
        PageBuffer buffer;
        if (const PageReadResult read = readPageFile(file, buffer); read != PageReadResult::Ok) {
            *error = QStringLiteral("can not read the page file %1").arg(file);
            if (read == PageReadResult::NotRegular)
                *error += QStringLiteral(": it is not a regular file");
            return std::nullopt;
        }
        ProjectPage p{number, {}};
        buffer.decode(p.page);
        pages.push_back(std::move(p));
    }
    return pages;
}

QByteArray projectPagesCsv(const std::vector<ProjectPage>& pages) {
    std::vector<QStringList> rows = {pageRowHeader()};
    for (const ProjectPage& p : pages)
        rows.push_back(pageRowFields(p.number, p.page));
    return csvText(rows);
}

} // namespace velmora
