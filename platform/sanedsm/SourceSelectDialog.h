// The source manager's own selection dialog: the SANE devices by name,
// model and vendor; the user picks one or cancels.
#pragma once

#include <optional>
#include <vector>

#include <QDialog>

#include "SaneDevices.h"

class QListWidget;

class SourceSelectDialog : public QDialog {
public:
    SourceSelectDialog(const std::vector<SaneDevice>& devices, QWidget* parent);

    // Runs the dialog modally; the index of the chosen device, or nothing
    // when the user cancelled.
    std::optional<std::size_t> Choose();

private:
    QListWidget* list_;
};
