#include "ScanSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

ScanSettingsDialog::ScanSettingsDialog(const ScanSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), resolution_(new QSpinBox(this)), mode_(new QComboBox(this))
{
    setObjectName("ScanSettingsDialog");
    setWindowTitle("Scan");
    setWindowModality(Qt::ApplicationModal);
    resolution_->setObjectName("Resolution");
    resolution_->setRange(settings.minResolution, settings.maxResolution);
    resolution_->setValue(settings.resolution);
    resolution_->setSuffix(" dpi");
    mode_->setObjectName("Mode");
    for (const std::string& mode : settings.modes)
        mode_->addItem(QString::fromStdString(mode));
    mode_->setCurrentText(QString::fromStdString(settings.mode));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Scan");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow("Resolution:", resolution_);
    layout->addRow("Colour mode:", mode_);
    layout->addRow(buttons);
}

ScanSettings ScanSettingsDialog::Chosen() const
{
    ScanSettings chosen = settings_;
    chosen.resolution = resolution_->value();
    chosen.mode = mode_->currentText().toStdString();
    return chosen;
}
