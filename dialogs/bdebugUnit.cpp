#include "dialogs/bdebugUnit.h"

namespace velmora {

Tbdebug::Tbdebug(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Velmora Pro Data"));
}

} // namespace velmora
