#pragma once
#include <QDialog>

namespace velmora {

// The system information window: what this machine offers a titler.
class TMachInfo : public QDialog {
    Q_OBJECT

public:
    explicit TMachInfo(QWidget* parent = nullptr);
};

} // namespace velmora
