#pragma once
// What the fuzz targets share: a scratch file for readers that take a file name, a check that
// stops the run on a broken promise (libFuzzer reports the abort as a finding), and for the
// targets that take one page file through the program: the program's start without a display,
// a project folder of the run's own, the page loaded into the page document the way the program
// loads a page (with the reader's and the document's promises checked), and the harness's own
// choices, which come from bytes of the record the program never reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

#include "model/page_document.h"
#include "model/page_extension.h"
#include "model/page_file.h"
#include "model/page_record.h"
#include "platform/Bitmap.h"
#include "platform/Dialogs.h"

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


// The program draws its texts and reads its pictures with a QGuiApplication running; the
// offscreen platform needs no display.
inline void startGuiApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // Qt's complaints about unknown font faces and broken pictures would only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// The start of a target that needs the QGuiApplication.
#define FUZZ_START_GUI_APPLICATION                                                                 \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {                                 \
        fuzzsupport::startGuiApplication(argc, argv);                                              \
        return 0;                                                                                  \
    }

// Messages are counted, never shown or printed; every question gets the answer that changes
// nothing and no file or colour is chosen.
class QuietDialogs : public velmora::platform::Dialogs {
public:
    using Answer = velmora::platform::Answer;
    Answer message(velmora::platform::MsgKind, const QString&,
                   velmora::platform::MsgButtons buttons) override {
        ++messages;
        switch (buttons) {
        case velmora::platform::MsgButtons::YesNo:
            return Answer::No;
        case velmora::platform::MsgButtons::YesNoCancel:
            return Answer::Cancel;
        default:
            return Answer::OK;
        }
    }
    std::optional<QString> openFile(const velmora::platform::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const velmora::platform::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<velmora::platform::TColor> chooseColor(velmora::platform::TColor) override {
        return std::nullopt;
    }
    bool printSetup() override { return false; }
    int runModal(QDialog&) override { return 0; }

    int messages = 0;
};

// Installs the quiet dialogs for the life of the object.
class QuietDialogsScope {
public:
    QuietDialogsScope() { velmora::platform::setDialogs(&dialogs); }
    ~QuietDialogsScope() { velmora::platform::setDialogs(nullptr); }
    QuietDialogs dialogs;
};

// The harness's choices (screen size, switches, direction codes, pointer moves) are read from
// the record's reserved field: its 65 bytes are never interpreted by the program, so the page
// is the same page whatever they hold, and the fuzzer can still steer them.
class Choices {
public:
    static constexpr int Count = velmora::pagelayout::ReservedChars + 1;
    // The last byte is every page target's: bit 0 makes the length and checksum of the block
    // after the record right for its body, so fuzzed texts of any script get past them.
    static constexpr int Block = Count - 1;

    Choices(const std::uint8_t* data, std::size_t size) {
        for (int i = 0; i < Count; ++i)
            bytes_[i] = std::size_t(i) < size ? data[velmora::pagelayout::Reserved + i] : 0;
    }
    std::uint8_t byte(int at) const { return bytes_[at % Count]; }
    bool bit(int at, int bit) const { return (byte(at) >> bit) & 1; }

private:
    std::uint8_t bytes_[Count];
};

// The project folder of the run: the page file under test, and two small pictures under the
// names the demo and the tests give theirs, so lines naming them show a picture.
class ProjectFolder {
public:
    static constexpr const char* PageName = "FUZZ.000";

    ProjectFolder() : page_(PageName) {
        velmora::platform::Bitmap picture(20, 10, velmora::platform::PixelFormat::Bits24);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, x < 10 ? 0x0080FF : (y < 5 ? 0xFFFFFF : 0));
        for (const char* name : {"demo_logo.bmp", "pic.bmp"})
            require(picture.saveToFile(file(QString::fromLatin1(name))), "the pictures written");
    }

    // The folder, ending in '/', as the program keeps a project's folder.
    QString dpath() const { return QFileInfo(page_.path()).absolutePath() + QLatin1Char('/'); }
    QString file(const QString& name) const { return dpath() + name; }
    const QString& writePage(const std::uint8_t* data, std::size_t size, const Choices& c) {
        using velmora::PageRecordSize;
        namespace ext = velmora::pageext;
        if (!c.bit(Choices::Block, 0) || size < std::size_t(PageRecordSize + ext::HeaderSize))
            return page_.write(data, size);
        QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
        const qsizetype body = PageRecordSize + ext::HeaderSize;
        const auto length = std::uint32_t(file.size() - body);
        const std::uint32_t crc = velmora::crc32(file.constData() + body, length);
        for (int i = 0; i < 4; ++i) {
            file[PageRecordSize + 12 + i] = char((length >> (8 * i)) & 0xFF);
            file[PageRecordSize + 16 + i] = char((crc >> (8 * i)) & 0xFF);
        }
        return page_.write(reinterpret_cast<const std::uint8_t*>(file.constData()), size);
    }
    const QString& pagePath() const { return page_.path(); }
    // The names of the page's pictures and waves, resolved as below.
    void resolveNames(velmora::PageImage& page) const {
        for (auto& l : page.lines) {
            l.attrs.BitmapFile = resolve(l.attrs.BitmapFile);
            l.attrs.WaveFile = resolve(l.attrs.WaveFile);
        }
    }

    // A picture or wave a page names is looked for by its bare name in this folder only: a
    // fuzzed page must not send the run into the machine's own files. Relative names are
    // resolved against the project's folder exactly so by the program.
    QString resolve(const QString& name) const {
        if (name.isEmpty()) return name;
        QString bare = name;
        bare.replace(QLatin1Char('\\'), QLatin1Char('/'));
        bare = QFileInfo(bare).fileName();
        return bare.isEmpty() ? dpath() + QStringLiteral("nothing") : file(bare);
    }

private:
    ScratchFile page_;
};

inline bool counterInRange(const velmora::Path& p) {
    return p.LastIndex >= -1 && p.LastIndex < velmora::MaxPathPoints;
}

// Every path counter of the page is one the program can index its points by.
inline void requireCountersInRange(const velmora::PageImage& page, const char* what) {
    for (const velmora::PageImage::Line& l : page.lines)
        require(counterInRange(l.InPath) && counterInRange(l.OutPath), what);
}

// Reads the page file into the document's record buffer, decodes it and loads the document, as
// the program loads a page. False when the file holds less than a record (the program then
// keeps the page it had). `loaded` is the page as decoded.
inline bool loadPage(const QString& path, std::size_t size, velmora::PageDocument& doc,
                     velmora::PageImage& loaded) {
    using namespace velmora;
    const PageReadResult read = readPageFile(path, doc.buffer());
    require(read == (size >= std::size_t(PageRecordSize) ? PageReadResult::Ok
                                                         : PageReadResult::Unreadable),
            "a page reads exactly when the file holds a whole record");
    if (read != PageReadResult::Ok) return false;
    require(doc.buffer().decode(loaded), "every record decodes");
    requireCountersInRange(loaded, "every path counter read is in -1..999");
    doc.load(loaded);

    // The document holds what decode gave; of its own it adds only whether a line is in use.
    PageImage expected = loaded;
    for (int n = 1; n <= 3; ++n) {
        TitleLine& a = expected.lines[n - 1].attrs;
        a.InUse = !expected.lines[n - 1].Text.isEmpty() || !a.BitmapFile.isEmpty();
        a.InPathArmed = doc.line(n).InPathArmed;
        a.OutPathArmed = doc.line(n).OutPathArmed;
    }
    require(doc.page() == expected, "the document holds the page as decoded");
    require(!doc.differsFromBuffer() && !doc.pathsDifferFromBuffer(),
            "a page just loaded does not differ from its record");
    return true;
}

} // namespace fuzzsupport
