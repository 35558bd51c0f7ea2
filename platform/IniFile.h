#pragma once
#include <QString>
#include <QStringList>

namespace velmora::platform {

// An INI file with the semantics of the Windows profile functions: section and key names match
// without regard to case, a missing key reads as the default, a write updates the key in place
// (or appends it to its section, or the section to the file), erasing a section removes it
// whole, and every other line is kept. Each change is written to disk at once.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString& fileName() const { return path_; }

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, "$" or "0x" hexadecimal; the default on anything else.
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList readSection(const QString& section) const; // the key names, in file order

    // Each returns false when the file could not be written.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);
    bool eraseSection(const QString& section);

    // The integer rules of readInteger, on their own.
    static int toInteger(const QString& text, int def);

private:
    // The file's lines, and the line end it uses ("\r\n" when it has any, else "\n").
    QStringList load(QByteArray* eol = nullptr) const;
    bool store(const QStringList& lines, const QByteArray& eol) const;

    QString path_;
};

} // namespace velmora::platform
