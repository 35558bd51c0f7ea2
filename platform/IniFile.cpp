#include "platform/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace velmora::platform {

namespace {

// The section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith('[')) {
        const int close = t.indexOf(']');
        if (close > 0) return t.mid(1, close - 1).trimmed();
    }
    return QString();
}

bool keyOf(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';')) return false;
    const int eq = t.indexOf('=');
    if (eq < 0) return false;
    *key = t.left(eq).trimmed();
    if (value) {
        QString v = t.mid(eq + 1).trimmed();
        if (v.size() >= 2 &&
            ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// [first, last) lines of the section's body; first is -1 when the section is missing.
struct Span {
    int header = -1;
    int first = -1;
    int last = -1;
};

Span findSection(const QStringList& lines, const QString& section) {
    Span s;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionOf(lines[i]);
        if (name.isNull()) continue;
        if (s.header >= 0) {
            s.last = i;
            return s;
        }
        if (same(name, section)) {
            s.header = i;
            s.first = i + 1;
        }
    }
    if (s.header >= 0) s.last = lines.size();
    return s;
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

QStringList IniFile::load(QByteArray* eol) const {
    if (eol) *eol = QByteArrayLiteral("\n");
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    // A file written on Windows keeps its line ends when a key of it is changed here.
    if (eol) *eol = bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QString all = QString::fromUtf8(bytes);
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = all.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

bool IniFile::store(const QStringList& lines, const QByteArray& eol) const {
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray out;
    for (const QString& l : lines) {
        out += l.toUtf8();
        out += eol;
    }
    if (f.write(out) != out.size()) return false;
    return f.commit();
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const QStringList lines = load();
    const Span s = findSection(lines, section);
    for (int i = s.first; s.first >= 0 && i < s.last; ++i) {
        QString k, v;
        if (keyOf(lines[i], &k, &v) && same(k, key)) return v;
    }
    return def;
}

int IniFile::toInteger(const QString& text, int def) {
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith('$'))
        v = static_cast<int>(t.mid(1).toUInt(&ok, 16));
    else if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        v = static_cast<int>(t.mid(2).toUInt(&ok, 16));
    else if (t.startsWith('-') && (t.mid(1).startsWith('$')))
        // Negated as unsigned: "-$80000000" is the lowest integer, not an overflow.
        v = static_cast<int>(0u - t.mid(2).toUInt(&ok, 16));
    else
        v = t.toInt(&ok, 10);
    return ok ? v : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const QString v = readString(section, key, QString());
    if (v.isEmpty()) return def;
    return toInteger(v, def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::sectionExists(const QString& section) const {
    return findSection(load(), section).header >= 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    const QStringList lines = load();
    const Span s = findSection(lines, section);
    for (int i = s.first; s.first >= 0 && i < s.last; ++i) {
        QString k;
        if (keyOf(lines[i], &k, nullptr) && same(k, key)) return true;
    }
    return false;
}

QStringList IniFile::readSection(const QString& section) const {
    const QStringList lines = load();
    const Span s = findSection(lines, section);
    QStringList keys;
    for (int i = s.first; s.first >= 0 && i < s.last; ++i) {
        QString k;
        if (keyOf(lines[i], &k, nullptr)) keys << k;
    }
    return keys;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    QByteArray eol;
    QStringList lines = load(&eol);
    const Span s = findSection(lines, section);
    const QString entry = key + '=' + value;
    if (s.header < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
        lines << '[' + section + ']' << entry;
        return store(lines, eol);
    }
    int lastKey = s.header;
    for (int i = s.first; i < s.last; ++i) {
        QString k;
        if (!keyOf(lines[i], &k, nullptr)) continue;
        if (same(k, key)) {
            lines[i] = entry;
            return store(lines, eol);
        }
        lastKey = i;
    }
    lines.insert(lastKey + 1, entry);
    return store(lines, eol);
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::eraseSection(const QString& section) {
    QByteArray eol;
    QStringList lines = load(&eol);
    const Span s = findSection(lines, section);
    if (s.header < 0) return true;
    lines.erase(lines.begin() + s.header, lines.begin() + s.last);
    return store(lines, eol);
}

} // namespace velmora::platform
