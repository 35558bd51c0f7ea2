// velmora-pages: pages of a project made from rows of a CSV file, and their texts exported and
// listed, without a display. `velmora-pages --help` tells how.
#include <cstdio>
#include <QCoreApplication>
#include <QFile>

#include "tools/pages_tool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly))
        return 1;
    QStringList args = app.arguments();
    args.removeFirst();
    const int status = velmora::pagestool::run(args, out, err);
    out.flush();
    err.flush();
    return status;
}
