// What the engine asks of a user interface, behind one small interface so the
// engine needs no GUI library. The headless default writes its messages to
// standard error and answers every question with the cautious choice (No, or
// Cancel where it is offered); the programs install a Qt implementation.
#pragma once

#include <string>

enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

class TZipUI {
public:
    virtual ~TZipUI() = default;
    // A message box with no owner window.
    virtual TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons);
};

// The interface in use: the headless default unless one has been installed.
TZipUI& ZipUI();

// Installs ui for its own lifetime and restores the previous one after.
class TZipUIScope {
public:
    explicit TZipUIScope(TZipUI& ui);
    ~TZipUIScope();
    TZipUIScope(const TZipUIScope&) = delete;
    TZipUIScope& operator=(const TZipUIScope&) = delete;

private:
    TZipUI* previous_;
};
