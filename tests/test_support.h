#pragma once
#include <memory>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

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

} // namespace testsupport
