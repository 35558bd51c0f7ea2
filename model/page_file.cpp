#include "model/page_file.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextBoundaryFinder>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace L = pagelayout;

namespace {

constexpr int LastPageNumber = 999;

// Unicode of the bytes 0x80..0x9F in Windows-1252. The five bytes that code page leaves
// undefined stand for the control characters of the same value.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char windows1252Byte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] == code) return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QByteArray toWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    // Code points, not UTF-16 units: a character outside the BMP becomes one '?', not two.
    for (const char32_t code : text.toUcs4())
        out += windows1252Byte(code);
    return out;
}

namespace {

// The nearest form of the text as it stands, composed or not.
QByteArray nearestOf(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t code : text.toUcs4()) {
        const char byte = windows1252Byte(code);
        if (byte != '?' || code == U'?') {
            out += byte;
            continue;
        }
        // A letter with a mark Windows-1252 lacks, a ligature, a wide form: its parts.
        const QString parts = QString::fromUcs4(&code, 1).normalized(QString::NormalizationForm_KD);
        QByteArray kept;
        for (const char32_t part : parts.toUcs4()) {
            if (QChar::category(part) == QChar::Mark_NonSpacing) continue;
            const char b = windows1252Byte(part);
            if (b == '?') {
                kept.clear();
                break;
            }
            kept += b;
        }
        out += kept.isEmpty() ? QByteArray(1, '?') : kept;
    }
    return out;
}

} // namespace

QByteArray nearestWindows1252(const QString& text) {
    return nearestOf(text.normalized(QString::NormalizationForm_C));
}

int perceivedLength(const QString& text) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    int n = 0;
    while (clusters.toNextBoundary() > 0)
        ++n;
    return n;
}

QString leftPerceived(const QString& text, int count) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int n = 0; n < count; ++n) {
        const qsizetype next = clusters.toNextBoundary();
        if (next < 0) return text;
        end = next;
    }
    return text.left(end);
}

bool heldExactly(const QString& text, int maxChars) {
    const QByteArray bytes = toWindows1252(text);
    if (bytes.size() > maxChars) return false;
    return fromWindows1252(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           int(bytes.size())) == text;
}

QString fromWindows1252(const std::uint8_t* bytes, int count) {
    QString out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        out += (b >= 0x80 && b < 0xA0) ? QChar(HighControls[b - 0x80]) : QChar(b);
    }
    return out;
}

QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20)
        ++first;
    while (last > first && text[last - 1].unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

// --- PageBuffer ---------------------------------------------------------------------------

void PageBuffer::putUint16(int offset, std::uint16_t value) {
    bytes_[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PageBuffer::putInt32(int offset, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes_[offset + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::uint16_t PageBuffer::uint16At(int offset) const {
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

std::int32_t PageBuffer::int32At(int offset) const {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= std::uint32_t(bytes_[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

// Writes the length byte and the characters it counts; the rest of the field keeps its bytes.
void PageBuffer::putString(int offset, int maxChars, const QString& text) {
    const QByteArray encoded = nearestWindows1252(text);
    const int n = static_cast<int>(std::min<qsizetype>(encoded.size(), maxChars));
    bytes_[offset] = static_cast<std::uint8_t>(n);
    std::memcpy(bytes_.data() + offset + 1, encoded.constData(), static_cast<std::size_t>(n));
}

// A length byte larger than the field (a damaged or foreign file) reads the whole field only.
QString PageBuffer::getString(int offset, int maxChars) const {
    const int n = std::min<int>(bytes_[offset], maxChars);
    return fromWindows1252(bytes_.data() + offset + 1, n);
}

std::optional<QString> PageBuffer::extended(const PageExtension& ext, pageext::Kind kind, int line,
                                           int offset, int maxChars) const {
    std::optional<QString> text = ext.text(kind, line);
    if (!text) return std::nullopt;
    const int n = std::min<int>(bytes_[offset], maxChars);
    const auto holds = [&](const QByteArray& form) {
        const QByteArray field = form.left(maxChars);
        return field.size() == n &&
               std::memcmp(field.constData(), bytes_.data() + offset + 1, std::size_t(n)) == 0;
    };
    // Files written before texts were composed hold a decomposed text's form as it stood
    // ("Cafe?" for "Cafe" U+0301): that form still vouches for the block's text.
    if (!holds(nearestWindows1252(*text)) && !holds(nearestOf(*text))) return std::nullopt;
    return text;
}

void PageBuffer::putPath(int lastIndexOffset, int pointsOffset, const Path& path) {
    putInt32(lastIndexOffset, path.LastIndex);
    for (int i = 0; i < MaxPathPoints; ++i) {
        const int at = pointsOffset + i * L::PathPointSize;
        putUint16(at, path.Points[i].x);
        putUint16(at + 2, path.Points[i].y);
    }
}

// A counter outside -1..999 (a damaged or hand-made file) reads as no path: every user of a
// path indexes its points by the counter.
void PageBuffer::getPath(int lastIndexOffset, int pointsOffset, Path& path) const {
    const std::int32_t last = int32At(lastIndexOffset);
    path.LastIndex = last >= -1 && last < MaxPathPoints ? last : -1;
    for (int i = 0; i < MaxPathPoints; ++i) {
        const int at = pointsOffset + i * L::PathPointSize;
        path.Points[i].x = uint16At(at);
        path.Points[i].y = uint16At(at + 2);
    }
}

PageBuffer::Stored PageBuffer::encode(const PageImage& page, const QString& pageNumber) {
    const auto& ln = page.lines;
    const PageSettings& s = page.settings;
    for (int i = 0; i < 3; ++i)
        putString(L::Text[i], L::TextChars, ln[i].Text);
    for (int i = 0; i < 3; ++i)
        putByte(L::BlurOn[i], ln[i].attrs.BlurOn ? 1 : 0);
    for (int i = 0; i < 3; ++i)
        putByte(L::GradientOn[i], ln[i].attrs.GradientOn ? 1 : 0);
    putUint16(L::FadeDelay16, static_cast<std::uint16_t>(s.fadedelay & 0xFFFF));
    std::fill_n(bytes_.begin() + L::ZeroBlock1, L::ZeroBlock1Size, 0);
    putByte(L::MPause, s.mpause ? 1 : 0);
    std::fill_n(bytes_.begin() + L::ZeroBlock2, L::ZeroBlock2Size, 0);
    for (int i = 0; i < 3; ++i)
        putInt32(L::GradientStartColor[i],
                 static_cast<std::int32_t>(ln[i].attrs.GradientStartColor));
    for (int i = 0; i < 3; ++i)
        putString(L::WaveFile[i], L::FileNameChars, ln[i].attrs.WaveFile);
    for (int i = 0; i < 3; ++i)
        putString(L::BitmapFile[i], L::FileNameChars, ln[i].attrs.BitmapFile);
    for (int i = 0; i < 3; ++i)
        putByte(L::InDirection[i], static_cast<std::uint8_t>(ln[i].attrs.InDirection));
    for (int i = 0; i < 3; ++i)
        putByte(L::OutDirection[i], static_cast<std::uint8_t>(ln[i].attrs.OutDirection));
    for (int i = 0; i < 3; ++i)
        putInt32(L::FontSize[i], ln[i].attrs.FontSize);
    for (int i = 0; i < 3; ++i)
        putInt32(L::FontColor[i], static_cast<std::int32_t>(ln[i].attrs.FontColor));
    for (int i = 0; i < 3; ++i)
        putInt32(L::ShadowColor[i], static_cast<std::int32_t>(ln[i].attrs.ShadowColor));
    for (int i = 0; i < 3; ++i)
        putInt32(L::FontSizeCopy[i], ln[i].attrs.FontSize);
    putInt32(L::PauseTime, s.PauseTime);
    putInt32(L::FadeDelay, s.fadedelay);
    for (int i = 0; i < 3; ++i)
        putInt32(L::PosX[i], ln[i].PosX);
    for (int i = 0; i < 3; ++i)
        putInt32(L::PosY[i], ln[i].PosY);
    for (int i = 0; i < 3; ++i)
        putByte(L::FontStyle[i], ln[i].FontStyle);
    for (int i = 0; i < 3; ++i)
        putString(L::FontName[i], L::FontNameChars, ln[i].attrs.FontName);
    for (int i = 0; i < 3; ++i)
        putByte(L::ShadowOn[i], ln[i].attrs.ShadowOn ? 1 : 0);
    putString(L::PageNumber, L::PageNumberChars, pageNumber);
    for (int i = 0; i < 3; ++i) {
        putPath(L::InPathLastIndex[i], L::InPathPoints[i], ln[i].InPath);
        putPath(L::OutPathLastIndex[i], L::OutPathPoints[i], ln[i].OutPath);
    }

    // Fields a later version added are carried over as they were read.
    PageExtension ext = decodePageExtension(extension_).value_or(PageExtension{});
    using pageext::Kind;
    std::set<std::uint16_t> knownTags;
    for (int i = 0; i < 3; ++i) {
        const struct {
            Kind kind;
            const QString& value;
            int maxChars;
        } fields[] = {{Kind::Text, ln[i].Text, L::TextChars},
                      {Kind::WaveFile, ln[i].attrs.WaveFile, L::FileNameChars},
                      {Kind::BitmapFile, ln[i].attrs.BitmapFile, L::FileNameChars},
                      {Kind::FontName, ln[i].attrs.FontName, L::FontNameChars}};
        for (const auto& f : fields) {
            knownTags.insert(pageext::tag(f.kind, i + 1));
            if (heldExactly(f.value, f.maxChars))
                ext.fields.erase(pageext::tag(f.kind, i + 1));
            else
                ext.set(f.kind, i + 1, f.value);
        }
    }
    return keepWithinLimit(ext, knownTags);
}

PageBuffer::Stored PageBuffer::keepWithinLimit(PageExtension& ext,
                                               const std::set<std::uint16_t>& ownTags) {
    Stored stored = Stored::Whole;
    std::uint64_t size = encodedBodySize(ext);
    if (size > pageext::MaxBodySize) {
        // What the reader refuses would lose every text of the block: the fields of a later
        // version, which this one cannot show, go first, the largest first.
        std::vector<std::pair<qsizetype, std::uint16_t>> later;
        for (const auto& [tag, value] : ext.fields)
            if (!ownTags.count(tag)) later.push_back({value.size(), tag});
        std::sort(later.rbegin(), later.rend());
        for (const auto& [bytes, tag] : later) {
            if (size <= pageext::MaxBodySize) break;
            ext.fields.erase(tag);
            size -= std::uint64_t(pageext::FieldHeaderSize) + std::uint64_t(bytes);
            stored = Stored::LaterFieldsLeftOut;
        }
    }
    tooLarge_ = size > pageext::MaxBodySize;
    if (tooLarge_) {
        extension_.clear();
        return Stored::TooLarge;
    }
    extension_ = encodePageExtension(ext);
    return stored;
}

bool PageBuffer::decode(PageImage& out) const {
    auto& ln = out.lines;
    PageSettings& s = out.settings;
    for (int i = 0; i < 3; ++i) {
        TitleLine& a = ln[i].attrs;
        a.BlurOn = bytes_[L::BlurOn[i]] != 0;
        a.GradientOn = bytes_[L::GradientOn[i]] != 0;
        a.GradientStartColor = static_cast<TColor>(int32At(L::GradientStartColor[i]));
        a.WaveFile = trimBlanks(getString(L::WaveFile[i], L::FileNameChars));
        ln[i].Text = trimBlanks(getString(L::Text[i], L::TextChars));
        a.InDirection = static_cast<std::int8_t>(bytes_[L::InDirection[i]]);
        a.OutDirection = static_cast<std::int8_t>(bytes_[L::OutDirection[i]]);
        a.ShadowColor = static_cast<TColor>(int32At(L::ShadowColor[i]));
        // A move-in travels from the screen's edge to the resting position one pixel a step: a
        // position of a billion would keep a show moving an unseen strip for hours.
        ln[i].PosX = std::clamp<std::int32_t>(int32At(L::PosX[i]), -MaxRestingPos, MaxRestingPos);
        ln[i].PosY = std::clamp<std::int32_t>(int32At(L::PosY[i]), -MaxRestingPos, MaxRestingPos);
        ln[i].FontStyle = bytes_[L::FontStyle[i]];
        a.FontSize = std::clamp<std::int32_t>(int32At(L::FontSize[i]), MinFontSize, MaxFontSize);
        a.FontColor = static_cast<TColor>(int32At(L::FontColor[i]));
        a.FontName = getString(L::FontName[i], L::FontNameChars);
        a.ShadowOn = bytes_[L::ShadowOn[i]] != 0;
        a.BitmapFile = trimBlanks(getString(L::BitmapFile[i], L::FileNameChars));
        getPath(L::InPathLastIndex[i], L::InPathPoints[i], ln[i].InPath);
        getPath(L::OutPathLastIndex[i], L::OutPathPoints[i], ln[i].OutPath);
    }
    if (const std::optional<PageExtension> ext = decodePageExtension(extension_)) {
        using pageext::Kind;
        for (int i = 0; i < 3; ++i) {
            TitleLine& a = ln[i].attrs;
            if (auto t = extended(*ext, Kind::Text, i + 1, L::Text[i], L::TextChars))
                ln[i].Text = trimBlanks(*t);
            if (auto t = extended(*ext, Kind::WaveFile, i + 1, L::WaveFile[i], L::FileNameChars))
                a.WaveFile = trimBlanks(*t);
            if (auto t =
                    extended(*ext, Kind::BitmapFile, i + 1, L::BitmapFile[i], L::FileNameChars))
                a.BitmapFile = trimBlanks(*t);
            if (auto t = extended(*ext, Kind::FontName, i + 1, L::FontName[i], L::FontNameChars))
                a.FontName = *t;
        }
    }
    s.mpause = bytes_[L::MPause] != 0;
    // Values the controls cannot set are brought into their range: a fadedelay of a billion
    // would make each step of a move wait for minutes, beyond the reach of Escape.
    s.PauseTime = std::clamp<std::int32_t>(int32At(L::PauseTime), 0, MaxPauseTime);
    // The 16-bit copy at FadeDelay16 is always overridden by the full value.
    s.fadedelay = std::clamp<std::int32_t>(int32At(L::FadeDelay), 0, MaxFadeDelay);
    return true;
}

bool PageBuffer::loadFrom(const QByteArray& data) {
    if (data.size() < PageRecordSize) return false;
    std::memcpy(bytes_.data(), data.constData(), PageRecordSize);
    // A damaged, cut or unknown block is dropped whole: the record's values stand.
    const QByteArray rest = data.mid(PageRecordSize);
    extension_.clear();
    qsizetype size = 0;
    if (decodePageExtension(rest, &size)) extension_ = rest.left(size);
    return true;
}

QByteArray PageBuffer::toByteArray() const {
    return QByteArray(reinterpret_cast<const char*>(bytes_.data()), PageRecordSize) +
           extension_;
}

// --- Page numbers and names ---------------------------------------------------------------

std::optional<QString> pageNumberText(int number, QString* haltMessage) {
    const QString digits = QString::number(number);
    QString message;
    if (digits.isEmpty())
        message = QStringLiteral("Page Number is very empty");
    else if (digits.size() > 3)
        message = QStringLiteral("Page Number is beyond 999");
    if (!message.isEmpty()) {
        if (haltMessage) *haltMessage = message;
        return std::nullopt;
    }
    return QString(3 - digits.size(), QLatin1Char('0')) + digits;
}

QString StripKVT(const QString& name) {
    QString base = trimBlanks(name).toUpper();
    const qsizetype at = base.indexOf(QLatin1String(".KVT"));
    if (at >= 0) base.truncate(at);
    return base;
}

QString pageFileName(const QString& dpath, const QString& base, const QString& number) {
    return dpath + base + QLatin1Char('.') + number;
}

bool pageFileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool PageValid(const QString& dpath, const QString& projectName, int number) {
    if (projectName.isEmpty()) return false;
    const std::optional<QString> text = pageNumberText(number);
    if (!text) return false;
    return pageFileExists(pageFileName(dpath, StripKVT(projectName), *text));
}

namespace {

// The first number 0..999 whose page file is missing, or -1 when every one exists.
int firstMissingPage(const QString& dpath, const QString& base) {
    for (int n = 0; n <= LastPageNumber; ++n)
        if (!pageFileExists(pageFileName(dpath, base, *pageNumberText(n)))) return n;
    return -1;
}

} // namespace

std::optional<QString> GetNumberOFPages(const QString& dpath, const QString& base) {
    const int gap = firstMissingPage(dpath, base);
    if (gap < 0) return std::nullopt;
    if (gap == 0) return QStringLiteral("NEW");
    return pageNumberText(gap - 1);
}

std::optional<QString> GetNextPageNumber(const QString& dpath, const QString& base) {
    const int gap = firstMissingPage(dpath, base);
    if (gap < 0) return std::nullopt;
    return pageNumberText(gap);
}

// --- Page file I/O ------------------------------------------------------------------------

bool writePageFile(const QString& path, const PageBuffer& buffer) {
    // A page whose texts did not fit would lose them in the file: the page on disk stays.
    if (buffer.tooLarge()) return false;
    // QSaveFile writes a temporary file in the same directory and renames it over the target
    // on commit; the fallback that writes the target directly is left off on purpose.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray record = buffer.toByteArray();
    if (file.write(record) != record.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

RegularRead readRegularFile(const QString& path, qint64 maxBytes, QByteArray& data) {
    const QFileInfo info(path);
    if (!info.exists()) return RegularRead::Missing;
    if (!info.isFile()) return RegularRead::NotRegular;
    // O_NONBLOCK: should a FIFO take the file's place after the look above, opening it returns
    // at once instead of waiting for a writer, and the descriptor's own type refuses it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return RegularRead::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return RegularRead::NotRegular;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return RegularRead::Unreadable;
    }
    data = maxBytes > 0 ? file.read(maxBytes) : QByteArray();
    return file.error() == QFileDevice::NoError ? RegularRead::Ok : RegularRead::Unreadable;
}

PageReadResult readPageFile(const QString& path, PageBuffer& buffer) {
    QByteArray data;
    switch (
        readRegularFile(path, PageRecordSize + pageext::HeaderSize + pageext::MaxBodySize, data)) {
    case RegularRead::Ok:
        break;
    case RegularRead::Missing:
        return PageReadResult::Missing;
    case RegularRead::NotRegular:
        return PageReadResult::NotRegular;
    case RegularRead::Unreadable:
        return PageReadResult::Unreadable;
    }
    return buffer.loadFrom(data) ? PageReadResult::Ok : PageReadResult::Unreadable;
}

void renumberPagesAbove(const QString& dpath, const QString& base, int deleted,
                        const std::function<void(const QString& newNumber)>& onRenamed) {
    if (deleted < 0) return; // no page was deleted, so there is no gap to close
    for (int k = deleted + 1; k <= LastPageNumber; ++k) {
        const QString from = pageFileName(dpath, base, *pageNumberText(k));
        if (!pageFileExists(from)) return;
        const QString lower = *pageNumberText(k - 1);
        if (!QFile::rename(from, pageFileName(dpath, base, lower))) return;
        if (onRenamed) onRenamed(lower);
    }
}

bool deletePageFile(const QString& path) {
    QByteArray none;
    if (readRegularFile(path, 0, none) != RegularRead::Ok) return false;
    return QFile::remove(path);
}

} // namespace velmora
