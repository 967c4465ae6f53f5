// What the engine asks of a user interface, behind one small interface so the
// engine needs no GUI library. The headless default writes its messages to
// standard error and answers every question with the cautious choice (No, or
// Cancel where it is offered; every dialog is cancelled), shows no cursor and
// has no message queue; the programs install a Qt implementation.
#pragma once

#include <optional>
#include <string>

enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

class TZipUI {
public:
    virtual ~TZipUI() = default;
    // A message box with no owner window.
    virtual TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons);
    // A file-open dialog; filter holds pairs of description and pattern
    // separated by "|". None when the user cancels.
    virtual std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter,
                                                      const std::string& initialFolder);
    // A folder picker that may create the folder it returns. None when the
    // user cancels.
    virtual std::optional<std::string> SelectFolder(const std::string& startFolder);
    // The busy (hourglass) cursor: shown at Begin, the previous one back at
    // End. Calls pair up and may nest.
    virtual void BeginBusyCursor() {}
    virtual void EndBusyCursor() {}
    // Handles the events waiting in the GUI's queue, from inside a long
    // operation.
    virtual void ProcessMessages() {}
};

// The interface in use: the headless default unless one has been installed.
TZipUI& ZipUI();

// Shows the busy cursor for its own lifetime.
class TBusyCursor {
public:
    TBusyCursor() : ui_(ZipUI()) { ui_.BeginBusyCursor(); }
    ~TBusyCursor() { ui_.EndBusyCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TZipUI& ui_;
};

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
