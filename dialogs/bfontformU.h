#pragma once
#include <QDialog>

namespace velmora {

// The font chooser: a font face and size for the selected title line.
class TbFontForm : public QDialog {
    Q_OBJECT

public:
    explicit TbFontForm(QWidget* parent = nullptr);
};

} // namespace velmora
