#pragma once
#include <QDialog>

namespace velmora {

// The configuration window: how long the colour bars are shown.
class TBconfig : public QDialog {
    Q_OBJECT

public:
    explicit TBconfig(QWidget* parent = nullptr);
};

} // namespace velmora
