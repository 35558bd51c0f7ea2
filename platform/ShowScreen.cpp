#include "platform/ShowScreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace velmora::platform {

namespace {
std::function<QScreen*()> editorSource;
QString remembered;

bool guiRunning() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}
} // namespace

int chooseShowScreen(const QStringList& names, int editorIndex, const QString& rememberedName) {
    if (names.isEmpty()) return -1;
    if (!rememberedName.isEmpty()) {
        const int at = names.indexOf(rememberedName);
        if (at >= 0) return at;
        // The chosen screen is gone (a projector unplugged): the show comes to the editor's,
        // where the person at the editor sees it.
        return editorIndex >= 0 && editorIndex < names.size() ? editorIndex : 0;
    }
    if (names.size() == 1) return 0;
    // Any screen but the editor's: the first of the others, so the choice stays put while the
    // same screens are connected.
    return editorIndex == 0 ? 1 : 0;
}

QScreen* editorScreen() {
    if (!guiRunning()) return nullptr;
    QScreen* s = editorSource ? editorSource() : nullptr;
    // A screen unplugged under the window is no longer in the list.
    return s && QGuiApplication::screens().contains(s) ? s : QGuiApplication::primaryScreen();
}

QScreen* showScreen() {
    if (!guiRunning()) return nullptr;
    const QList<QScreen*> screens = QGuiApplication::screens();
    QStringList names;
    for (const QScreen* s : screens)
        names << s->name();
    const int at = chooseShowScreen(names, int(screens.indexOf(editorScreen())), remembered);
    return at >= 0 ? screens[at] : QGuiApplication::primaryScreen();
}

void setEditorScreenSource(std::function<QScreen*()> source) {
    editorSource = std::move(source);
}

void setRememberedShowScreen(const QString& name) {
    remembered = name;
}

QString rememberedShowScreen() {
    return remembered;
}

} // namespace velmora::platform
