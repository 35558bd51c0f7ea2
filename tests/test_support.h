#pragma once
#include <memory>
#include <QString>
#include <QTemporaryDir>

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

} // namespace testsupport
