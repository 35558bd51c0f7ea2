#include "dialogs/stagedlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "model/project_file.h"

namespace velmora {

namespace {

QSpinBox* sideBox(QWidget* parent, const QString& name) {
    auto* box = new QSpinBox(parent);
    box->setRange(MinStageSide, MaxStageSide);
    box->setAccessibleName(name);
    return box;
}

} // namespace

TStageDialog::TStageDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("StageDialog"));
    setWindowTitle(QStringLiteral("Stage"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("The size the pages are laid out in:"), this), 0, 0,
                    1, 4);
    auto* group = new QButtonGroup(this);
    int row = 1;
    for (std::size_t i = 0; i < StagePresets.size(); ++i) {
        Presets[i] = new QRadioButton(stageText(StagePresets[i]), this);
        Presets[i]->setAccessibleName(Presets[i]->text());
        group->addButton(Presets[i], int(i));
        grid->addWidget(Presets[i], row++, 0, 1, 4);
    }
    OtherSize = new QRadioButton(QStringLiteral("Other size"), this);
    OtherSize->setAccessibleName(OtherSize->text());
    group->addButton(OtherSize, -2);
    grid->addWidget(OtherSize, row++, 0, 1, 4);

    WidthBox = sideBox(this, QStringLiteral("Stage width"));
    HeightBox = sideBox(this, QStringLiteral("Stage height"));
    grid->addWidget(new QLabel(QStringLiteral("Width"), this), row, 0);
    grid->addWidget(WidthBox, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("Height"), this), row, 2);
    grid->addWidget(HeightBox, row++, 3);
    grid->addWidget(new QLabel(QStringLiteral("Titles keep their positions."), this), row++, 0, 1,
                    4);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setAccessibleName(OKButton->text());
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setAccessibleName(CancelButton->text());
    grid->addWidget(OKButton, row, 1);
    grid->addWidget(CancelButton, row, 3);

    connect(group, &QButtonGroup::idClicked, this, [this](int id) { presetChosen(id); });
    connect(WidthBox, &QSpinBox::valueChanged, this, [this] { sizeTyped(); });
    connect(HeightBox, &QSpinBox::valueChanged, this, [this] { sizeTyped(); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TStageDialog::setStage(StageSize stage) {
    const StageSize shown = stageOfChoice(-1, stage);
    {
        const QSignalBlocker w(WidthBox), h(HeightBox);
        WidthBox->setValue(shown.width);
        HeightBox->setValue(shown.height);
    }
    sizeTyped();
}

StageSize TStageDialog::stage() const {
    return stageOfChoice(checkedPreset(), {WidthBox->value(), HeightBox->value()});
}

int TStageDialog::checkedPreset() const {
    for (std::size_t i = 0; i < Presets.size(); ++i)
        if (Presets[i]->isChecked()) return int(i);
    return -1;
}

void TStageDialog::presetChosen(int preset) {
    if (preset < 0) return; // "Other size" keeps the size in the boxes
    const QSignalBlocker w(WidthBox), h(HeightBox);
    WidthBox->setValue(StagePresets[preset].width);
    HeightBox->setValue(StagePresets[preset].height);
}

void TStageDialog::sizeTyped() {
    const int preset = presetOf({WidthBox->value(), HeightBox->value()});
    (preset >= 0 ? Presets[preset] : OtherSize)->setChecked(true);
}

} // namespace velmora
