#include "model/project_file.h"

#include <utility>

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

bool isStageSide(int pixels) {
    return pixels >= MinStageSide && pixels <= MaxStageSide;
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
    p.motion = motionNamed(ini.readString(Section, QStringLiteral("Motion"), QString()));
    // Each side that is a size a stage may have is kept; what cannot be used is noted, so the
    // user hears of it rather than finding the pages laid out on another stage.
    const bool anyStage = ini.valueExists(Section, QStringLiteral("StageWidth")) ||
                          ini.valueExists(Section, QStringLiteral("StageHeight"));
    for (const auto& [key, side] : {std::pair{QStringLiteral("StageWidth"), &p.StageWidth},
                                    std::pair{QStringLiteral("StageHeight"), &p.StageHeight}}) {
        if (!anyStage) break;
        if (!ini.valueExists(Section, key)) {
            p.unusableStage << QStringLiteral("no %1").arg(key);
            continue;
        }
        const QString text = ini.readString(Section, key, QString());
        const int pixels = platform::IniFile::toInteger(text, 0);
        if (isStageSide(pixels))
            *side = pixels;
        else
            p.unusableStage << QStringLiteral("%1=%2").arg(key, text);
    }
    return p;
}

QString unusableStageText(const ProjectSettings& p, const QString& projectFile, int width,
                          int height) {
    if (p.unusableStage.isEmpty()) return QString();
    return QStringLiteral("The stage in %1 cannot be used as written (%2; a side is %3 to %4 "
                          "pixels): the pages are laid out on %5 x %6.")
        .arg(fileNamePart(projectFile), p.unusableStage.join(QStringLiteral(", ")))
        .arg(MinStageSide)
        .arg(MaxStageSide)
        .arg(width)
        .arg(height);
}

bool writeProjectFile(const QString& path, const QString& program, const QString& version,
                      const QString& projectName, const QString& birth, const QString& numberOPages,
                      bool useColorBars, bool useCountDown, int holdtime, int bpp, int palette,
                      int stageWidth, int stageHeight, std::optional<Motion> motion) {
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
    if (stageWidth != 0 && stageHeight != 0) ok = writeStage(path, stageWidth, stageHeight) && ok;
    if (motion) ok = writeMotion(path, *motion) && ok;
    return ok;
}

QString motionName(Motion m) {
    return m == Motion::Smooth ? QStringLiteral("Smooth") : QStringLiteral("Stepped");
}

Motion motionNamed(const QString& text) {
    return text.trimmed().compare(QLatin1String("Smooth"), Qt::CaseInsensitive) == 0
               ? Motion::Smooth
               : Motion::Stepped;
}

bool writeMotion(const QString& path, Motion motion) {
    platform::IniFile ini(path);
    return ini.writeString(Section, QStringLiteral("Motion"), motionName(motion));
}

bool writeNumberOPages(const QString& path, const QString& numberOPages) {
    platform::IniFile ini(path);
    return ini.writeString(Section, QStringLiteral("NumberOPages"), numberOPages);
}

bool writeStage(const QString& path, int width, int height) {
    platform::IniFile ini(path);
    const bool ok = ini.writeInteger(Section, QStringLiteral("StageWidth"), width);
    return ini.writeInteger(Section, QStringLiteral("StageHeight"), height) && ok;
}

} // namespace velmora
