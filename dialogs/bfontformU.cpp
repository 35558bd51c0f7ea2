#include "dialogs/bfontformU.h"

namespace velmora {

TbFontForm::TbFontForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Change Font and Size "));
}

} // namespace velmora
