#include "platform/Application.h"

#include <exception>
#include <new>

#include "platform/Dialogs.h"

namespace velmora::platform {

namespace {
std::function<void()> theRecovery;
bool reporting = false;
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc& e) {
        reportException(QStringLiteral("Not enough memory for this (%1).")
                            .arg(QString::fromLocal8Bit(e.what())));
    } catch (const std::exception& e) {
        reportException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportException(QStringLiteral("An unexpected error stopped the last command."));
    }
    return false;
}

void setExceptionRecovery(std::function<void()> recovery) {
    theRecovery = std::move(recovery);
}

void reportException(const QString& text) {
    // An error inside the error box's own event loop is not reported again.
    if (reporting) return;
    reporting = true;
    if (theRecovery) theRecovery();
    dialogs().message(MsgKind::Error, text, MsgButtons::OK);
    reporting = false;
}

} // namespace velmora::platform
