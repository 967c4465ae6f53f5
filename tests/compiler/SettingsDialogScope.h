// The program's settings dialog (Form3) for a test's lifetime, made as the
// compiler's start-up makes it beside the main window.
#pragma once

#include "SettingsForm.h"

namespace pictomake {

class SettingsDialogScope {
public:
    SettingsDialogScope() { Form3 = &dialog; }
    ~SettingsDialogScope() { Form3 = nullptr; }
    SettingsDialogScope(const SettingsDialogScope&) = delete;
    SettingsDialogScope& operator=(const SettingsDialogScope&) = delete;

    TForm3 dialog;
};

} // namespace pictomake
