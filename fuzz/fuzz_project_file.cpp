// The project file reader: any file, read as "Open" reads a project (readProjectFile, which is
// the INI reader underneath), then written in place as "Save" writes it and read back. The
// project name never leaves the project's folder, and what was written reads back.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "model/project_file.h"
#include "platform/IniFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzsupport::ScratchFile file("fuzz.kvt");
    const QString& path = file.write(data, size);
    const ProjectSettings p = readProjectFile(path);
    fuzzsupport::require(!p.ProjectName.contains(QLatin1Char('/')) &&
                             !p.ProjectName.contains(QLatin1Char('\\')) &&
                             !p.ProjectName.contains(QLatin1Char(':')) &&
                             p.ProjectName != QLatin1String("..") &&
                             p.ProjectName != QLatin1String("."),
                         "the project name is a bare file name");
    const platform::IniFile ini(path);
    const QStringList keys = ini.readSection(QStringLiteral("VelmoraProject"));
    for (const QString& key : keys)
        fuzzsupport::require(ini.valueExists(QStringLiteral("VelmoraProject"), key),
                             "every listed key exists");

    fuzzsupport::require(writeProjectFile(path, QStringLiteral("Velmora-32"), QStringLiteral("1.30"),
                                          QStringLiteral("back.kvt"), QStringLiteral("now"),
                                          QStringLiteral("007"), true, false, 42, 32, 0),
                         "the project file is written");
    const ProjectSettings back = readProjectFile(path);
    fuzzsupport::require(back.ProjectName == QLatin1String("back.kvt") && back.UseColorBars &&
                             !back.UseCountDown && back.Holdtime == 42 &&
                             back.NumberOPages == QLatin1String("007"),
                         "what was written reads back");
    return 0;
}
