#pragma once
#include <QDateTime>
#include <QRect>
#include <QString>

namespace velmora {

// The settings file "velmora.ini": window placement and the last project.
struct Settings {
    QString Lastproject;
    int Top = 0;
    int Left = 0;
    int Height = 400;
    int Width = 200;
    QString dpath;
};

// Where the settings file lives: the user's configuration folder, unless a test moved it.
QString settingsFilePath();
void setSettingsFilePath(const QString& path); // empty restores the default

// Reads the file when it exists; false (and the defaults untouched) when it does not.
bool readSettings(const QString& path, Settings& out);

struct SettingsToWrite {
    QString program;
    QString version;
    QString lastproject;
    QString dir;
    int top = 0, left = 0, height = 0, width = 0;
    QString birth;
};
// Erases the section and writes the nine keys in their order.
void writeSettings(const QString& path, const SettingsToWrite& values);

// The name of the screen the show opens on, in a section of its own beside the options: older
// readers skip it and writeSettings leaves it alone. Empty when none was chosen.
QString readShowScreenName(const QString& path);
void writeShowScreenName(const QString& path, const QString& name);
// The screen the live show's key goes to, by name ("[VELMORA Key Screen]"); empty for none.
QString readKeyScreenName(const QString& path);
void writeKeyScreenName(const QString& path, const QString& name);

// Where the main window opens from its saved place. A width or height below the window's
// minimum or beyond the screen takes the fallback's (as much of it as the screen holds); a
// window that would leave less than 100 x 50 pixels of itself on the screen is pulled back
// inside it. A saved place that shows enough is kept as it is.
struct SavedPlace {
    int left = 0, top = 0, width = 0, height = 0;
};
QRect placeOnScreen(const SavedPlace& saved, const QRect& screen, const QSize& minimum,
                    const QSize& fallback);

// A date and time in the system's short date and long time format.
QString birthText(const QDateTime& when);

} // namespace velmora
