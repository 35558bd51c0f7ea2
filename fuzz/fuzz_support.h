#pragma once
// Helpers the fuzz targets share: a scratch file for readers that take a file name, and a
// check that stops the run on a broken promise (libFuzzer reports the abort as a finding).
#include <cstdio>
#include <cstdlib>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace fuzzsupport {

// Aborts with the message when the condition does not hold.
inline void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

// A file in a folder of the run's own that each input is written into, so the readers open it
// by name exactly as they open the user's files.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) : path_(dir_.filePath(QString::fromLatin1(name))) {}
    const QString& write(const std::uint8_t* data, std::size_t size) {
        QFile f(path_);
        require(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file opens");
        require(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
                "scratch file written");
        return path_;
    }
    const QString& path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace fuzzsupport
