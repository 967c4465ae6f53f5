// The dialog interface over Qt's own dialogs: QMessageBox, QInputDialog,
// QFileDialog; forms run their own modal loop.
#pragma once

#include <string>

#include <QString>

#include "dialogs/Dialogs.h"

class TQtDialogs : public TDialogs {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool ExecuteOpen(TOpenDialog& dialog) override;
    bool ExecuteSave(TSaveDialog& dialog) override;
    std::optional<std::string> SelectFolder(const std::string& caption, const std::string& startFolder) override;
    std::optional<TModalResult> ShowModal(TForm&) override { return std::nullopt; }

private:
    // passwordChar 0 shows the typed text.
    static bool Query(const std::string& caption, const std::string& prompt, std::string& value, char passwordChar);
};

// A Windows filter ("Album File (*.pxp)|*.pxp|...") as Qt's name filter
// ("Album File (*.pxp);;..."), the patterns of each pair in its parentheses.
QString QtNameFilters(const std::string& filter);
