#include "dialogs/bconfigUnit.h"

namespace velmora {

TBconfig::TBconfig(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Time  Options"));
}

} // namespace velmora
