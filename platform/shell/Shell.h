// The desktop shell: starting a program and opening a document or a web
// address with the program the desktop chooses for it. The Qt implementation
// is in use unless a TShellScope installs another (the tests' recorder), so
// nothing a test
// does starts a real program or a browser.
#pragma once

#include <string>
#include <vector>

class TShell {
public:
    virtual ~TShell() = default;
    // Starts the program detached, with these arguments; false when it
    // could not be started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Opens the file with the desktop's program for its type; false when no
    // program took it.
    virtual bool OpenDocument(const std::string& fileName) = 0;
    // Opens a web address with the desktop's browser; false when none took it.
    virtual bool OpenAddress(const std::string& address) = 0;
};

// The shell in use.
TShell& Shell();

// Installs a shell for its own lifetime and restores the previous one after.
class TShellScope {
public:
    explicit TShellScope(TShell& shell);
    ~TShellScope();
    TShellScope(const TShellScope&) = delete;
    TShellScope& operator=(const TShellScope&) = delete;

private:
    TShell* previous_;
};
