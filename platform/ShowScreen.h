#pragma once
#include <functional>

#include <QString>
#include <QStringList>

class QScreen;

namespace velmora::platform {

// Which of the connected screens, named in order, a show opens on: the remembered one while it
// is connected, the editor's (editorIndex, -1 when unknown: the first) once it is gone; with
// none remembered, with two or more the first that is not the editor's, with one that one. -1
// when there is no screen at all.
int chooseShowScreen(const QStringList& names, int editorIndex, const QString& remembered);

// The screen the show and the align screen open on, chosen anew each time from the screens
// connected now; null without a GUI application.
QScreen* showScreen();

// The editor's screen as its window tells it; until it is told, or once the window is gone, the
// primary screen stands for it.
void setEditorScreenSource(std::function<QScreen*()> source);
QScreen* editorScreen();

// The screen's name the user chose, as the settings file keeps it; empty for none.
void setRememberedShowScreen(const QString& name);
QString rememberedShowScreen();

} // namespace velmora::platform
