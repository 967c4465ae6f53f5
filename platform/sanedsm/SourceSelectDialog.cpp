#include "SourceSelectDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SourceSelectDialog::SourceSelectDialog(const std::vector<SaneDevice>& devices, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this))
{
    setObjectName("SourceSelectDialog");
    setWindowTitle("Select Source");
    for (const SaneDevice& device : devices)
        list_->addItem(QString::fromStdString(device.name + "  (" + device.vendor + " " + device.model + ")"));
    list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Select");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Sources:", this));
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

std::optional<std::size_t> SourceSelectDialog::Choose()
{
    if (exec() != QDialog::Accepted || list_->currentRow() < 0)
        return std::nullopt;
    return static_cast<std::size_t>(list_->currentRow());
}
