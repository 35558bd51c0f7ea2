#pragma once
#include <QDialog>

namespace velmora {

// The diagnostics window: the stored parameters of the page on screen.
class Tbdebug : public QDialog {
    Q_OBJECT

public:
    explicit Tbdebug(QWidget* parent = nullptr);
};

} // namespace velmora
