// The source's own user interface: resolution and colour mode, and "Scan"
// or "Cancel". It is shown without blocking, so the application's event
// loop keeps running and asks the source manager for its events; the
// dialog is modal for the application's windows meanwhile.
#pragma once

#include <QDialog>

#include "SaneScanner.h"

class QComboBox;
class QSpinBox;

class ScanSettingsDialog : public QDialog {
public:
    ScanSettingsDialog(const ScanSettings& settings, QWidget* parent);

    // The settings as the user left them.
    ScanSettings Chosen() const;

private:
    ScanSettings settings_;
    QSpinBox* resolution_;
    QComboBox* mode_;
};
