#pragma once
#include <QString>
#include <QStringList>

namespace velmora {

// What the command line asks for: "velmora [PROJECT.kvt]", as a file manager starts the
// program for a project file. Everything else the program's settings decide.
struct CommandLine {
    QString project; // empty: none given
    bool showHelp = false;
    bool showVersion = false;
    QString frameLog; // --frame-log FILE: the live show's presented frames are logged there
    QString error; // a usage error, said on the error output; the program then ends
};

// arguments[0] is the program's name. Understands --help (-h), --version (-v), --frame-log FILE,
// "--" before a file name that starts with '-', and one file name.
CommandLine parseCommandLine(const QStringList& arguments);

// The text --help prints.
QString commandLineHelp(const QString& program);

} // namespace velmora
