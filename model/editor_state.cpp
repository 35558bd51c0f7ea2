#include "model/editor_state.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString projectFile(const QString& dpath, const QString& name) {
    if (name.isEmpty() || dpath.isEmpty() || !QFileInfo(name).isRelative()) return name;
    return dpath + name;
}

QString storableFileName(const QString& dpath, const QString& chosen) {
    QString name = chosen;
    if (!dpath.isEmpty() && !QFileInfo(chosen).isRelative()) {
        const QString folder = QDir::cleanPath(QFileInfo(dpath).absoluteFilePath());
        const QString file = QDir::cleanPath(chosen);
        if (file.startsWith(folder + QLatin1Char('/'))) name = file.mid(folder.size() + 1);
    }
    return name;
}

} // namespace velmora
