#include "model/project_file.h"

#include "platform/IniFile.h"

namespace velmora {

namespace {

const QString Section = QStringLiteral("VelmoraProject");

qsizetype lastSeparator(const QString& file) {
    for (qsizetype i = file.size() - 1; i >= 0; --i) {
        const QChar c = file[i];
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')) return i;
    }
    return -1;
}

} // namespace

QString directoryPart(const QString& file) {
    return file.left(lastSeparator(file) + 1);
}

QString fileNamePart(const QString& file) {
    return file.mid(lastSeparator(file) + 1);
}

QString withKvtExtension(const QString& name) {
    if (fileNamePart(name).contains(QLatin1Char('.'))) return name;
    return name + QStringLiteral(".kvt");
}

ProjectSettings readProjectFile(const QString& path) {
    const platform::IniFile ini(path);
    ProjectSettings p;
    p.UseCountDown = ini.readBool(Section, QStringLiteral("UseCountDown"), false);
    p.UseColorBars = ini.readBool(Section, QStringLiteral("UseColorBars"), false);
    p.Holdtime = ini.readInteger(Section, QStringLiteral("Holdtime"), 10);
    p.ProjectName = fileNamePart(ini.readString(Section, QStringLiteral("ProjectName"), QString()));
    // "." and ".." name directories, not project files.
    if (p.ProjectName == QLatin1String(".") || p.ProjectName == QLatin1String(".."))
        p.ProjectName.clear();
    p.NumberOPages = ini.readString(Section, QStringLiteral("NumberOPages"), QString());
    return p;
}

bool writeProjectFile(const QString& path, const QString& program, const QString& version,
                      const QString& projectName, const QString& birth, const QString& numberOPages,
                      bool useColorBars, bool useCountDown, int holdtime, int bpp, int palette) {
    platform::IniFile ini(path);
    bool ok = ini.writeString(Section, QStringLiteral("Program"), program);
    ok = ini.writeString(Section, QStringLiteral("Version"), version) && ok;
    ok = ini.writeString(Section, QStringLiteral("ProjectName"), projectName) && ok;
    ok = ini.writeString(Section, QStringLiteral("Birth"), birth) && ok;
    ok = ini.writeString(Section, QStringLiteral("NumberOPages"), numberOPages) && ok;
    ok = ini.writeBool(Section, QStringLiteral("UseColorBars"), useColorBars) && ok;
    ok = ini.writeBool(Section, QStringLiteral("UseCountDown"), useCountDown) && ok;
    ok = ini.writeInteger(Section, QStringLiteral("Holdtime"), holdtime) && ok;
    ok = ini.writeInteger(Section, QStringLiteral("BPP"), bpp) && ok;
    ok = ini.writeInteger(Section, QStringLiteral("Palette"), palette) && ok;
    return ok;
}

bool writeNumberOPages(const QString& path, const QString& numberOPages) {
    platform::IniFile ini(path);
    return ini.writeString(Section, QStringLiteral("NumberOPages"), numberOPages);
}

} // namespace velmora
