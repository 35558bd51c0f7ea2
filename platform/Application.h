#pragma once
#include <functional>
#include <QApplication>

namespace velmora::platform {

// The program's application object. An exception that leaves an event handler (a command, a
// show) is caught here: its own text is shown in an error box, the recovery step set below puts
// the windows back as they were, and the program goes on.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// What to do after an exception was reported (bring the editor back); empty for nothing.
void setExceptionRecovery(std::function<void()> recovery);
// Reports an exception as the application does; used by notify.
void reportException(const QString& text);

} // namespace velmora::platform
