#pragma once
#include <memory>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

class QTextBrowser;

// The tests name the program's parts as the program does.
namespace velmora::effects {}
namespace velmora::Dynarray {}
namespace velmora::Dynarray32 {}
namespace velmora::platform {}
namespace platform = velmora::platform;
namespace effects = velmora::effects;
namespace Dynarray = velmora::Dynarray;
namespace Dynarray32 = velmora::Dynarray32;

namespace testsupport {

// Installs a scripted dialog answerer and a counting clock for the life of the object, so
// nothing in a test waits for a human or for real time.
class Seams {
public:
    Seams();
    ~Seams();
    platform::ScriptedDialogs dialogs;
    platform::CountingClock clock;
};

// A fresh temporary folder; path() ends without a separator.
class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// The smallest rectangle holding every pixel of colour c (empty when there is none).
QRect pixelsOf(const platform::Bitmap& b, platform::TColor c);

// The help window's text view as the user sees it; null until help was first shown.
QTextBrowser* helpView();
// The text of the help window that lies within its view, one paragraph a line: what the user
// can read without scrolling. Empty when no help was shown.
QString helpTextInSight();
// The text of one topic of the page the help window holds, from its heading to the next
// heading of the same level, one paragraph a line. Empty when the page has no such heading.
QString helpTopicText(const QString& title);

} // namespace testsupport

namespace testsupport {

// Writes the bytes into the file, replacing what it held; false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString& path);

} // namespace testsupport
