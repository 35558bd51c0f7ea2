#include "dialogs/efxctrunit.h"

namespace velmora {

Tefxctr::Tefxctr(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Color and Gradient Adjustments"));
}

} // namespace velmora
