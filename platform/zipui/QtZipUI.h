// The zip engine's user-interface hook over this layer: its message boxes
// and file and folder pickers go through the dialog interface (so tests can
// script them), its busy cursor is the Screen's hourglass, and its message
// pumping is the application's. Install it with TZipUIScope.
#pragma once

#include <vector>

#include "ZipUI.h"
#include "screen/Screen.h"

class TQtZipUI : public TZipUI {
public:
    TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons) override;
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter,
                                              const std::string& initialFolder) override;
    std::optional<std::string> SelectFolder(const std::string& startFolder) override;
    void BeginBusyCursor() override;
    void EndBusyCursor() override;
    void ProcessMessages() override;

private:
    std::vector<TCursor> savedCursors_;
};
