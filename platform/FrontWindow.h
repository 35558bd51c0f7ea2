#pragma once

class QWidget;

// A full-screen window that may be up while other windows open: the align screen, which has
// buttons that open the project information and the help, and any message it raises. Window
// managers keep a full-screen window above every window but its own dialogs, so the windows
// opened while it is up are made its dialogs (transient for it) and raised over it.
namespace velmora::platform {

// The window, kept while it exists; it counts while it is shown.
void setFrontWindow(QWidget* window);
// The front window when it is shown, else none.
QWidget* frontWindow();
// Shows a top-level window, over the front window when one is shown, raised and active.
void showInFront(QWidget* window);

} // namespace velmora::platform
