#include "app/command_line.h"

namespace velmora {

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine c;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnd && a == QLatin1String("--")) {
            optionsEnd = true;
        } else if (!optionsEnd && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            c.showHelp = true;
        } else if (!optionsEnd && (a == QLatin1String("--version") || a == QLatin1String("-v"))) {
            c.showVersion = true;
        } else if (!optionsEnd && a == QLatin1String("--frame-log")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                c.error = QStringLiteral("--frame-log needs a file name");
                return c;
            }
            c.frameLog = arguments[++i];
        } else if (!optionsEnd && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            c.error = QStringLiteral("unknown option %1").arg(a);
            return c;
        } else if (!c.project.isEmpty()) {
            c.error = QStringLiteral("only one project file can be opened");
            return c;
        } else if (a.isEmpty()) {
            c.error = QStringLiteral("the project file name is empty");
            return c;
        } else {
            c.project = a;
        }
    }
    return c;
}

QString commandLineHelp(const QString& program) {
    return QStringLiteral("Usage: %1 [PROJECT.kvt]\n"
                          "Velmora Pro, a video titler. Opens the project file when one is "
                          "given; without one, the last project.\n\n"
                          "  -h, --help     show this text\n"
                          "  -v, --version  show the version\n"
                          "  --frame-log FILE  log each frame the Live show presents, with its "
                          "time, to FILE\n")
        .arg(program);
}

} // namespace velmora
