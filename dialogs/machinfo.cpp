#include "dialogs/machinfo.h"

namespace velmora {

TMachInfo::TMachInfo(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Under Your Hood"));
}

} // namespace velmora
