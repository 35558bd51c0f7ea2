#pragma once
#include <QIODevice>
#include <QStringList>

namespace velmora::pagestool {

// velmora-pages with its arguments (the program's name left out): what it prints goes to `out`,
// an error as one line to `err`. Returns the exit status: 0, or 1 on an error.
int run(const QStringList& args, QIODevice& out, QIODevice& err);

// What --help prints.
extern const char* const Usage;

} // namespace velmora::pagestool
