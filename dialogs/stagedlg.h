#pragma once
#include <array>
#include <QDialog>

#include "dialogs/stage_choice.h"

class QPushButton;
class QRadioButton;
class QSpinBox;

namespace velmora {

// "Stage": the size the project's pages are laid out in, one of the usual sizes or any typed.
// Modal; the caller reads the size chosen once it is accepted.
class TStageDialog : public QDialog {
    Q_OBJECT

public:
    explicit TStageDialog(QWidget* parent);

    // Shows this size, checking its name when it is one of the usual sizes.
    void setStage(StageSize stage);
    StageSize stage() const;

    std::array<QRadioButton*, StagePresets.size()> Presets{};
    QRadioButton* OtherSize = nullptr;
    QSpinBox* WidthBox = nullptr;
    QSpinBox* HeightBox = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    int checkedPreset() const;
    // The boxes show the size of the name checked.
    void presetChosen(int preset);
    // A size typed checks its name, or "Other size".
    void sizeTyped();
};

} // namespace velmora
