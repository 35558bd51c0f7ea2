#pragma once
#include <QDialog>

namespace velmora {

// The text effects window: the gradient colours of the selected line.
class Tefxctr : public QDialog {
    Q_OBJECT

public:
    explicit Tefxctr(QWidget* parent = nullptr);
};

} // namespace velmora
