#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace velmora::platform {

// The program's help: HTML pages shipped with the program, shown in a small help window.
// Topics are opened by their titles.
class Help {
public:
    static void setHelpFile(const QString& file);
    static QString helpFile();
    // Shows the topic; false when the help file has no such topic.
    static bool showTopic(const QString& title);
    static void showContents();
    // The title of the page last shown ("Contents" for the contents page), for tests.
    static QString lastShown();
    static QWidget* window();
};

} // namespace velmora::platform
