// TApplication: the program's one application object, the top of the layer.
// It sets Qt up with its own high-DPI scaling off (the programs scale their
// lengths themselves), holds the title and the command line, owns the forms
// made with CreateForm and the Screen, runs the message loop and is the
// default exception handler: no exception crosses Qt's event loop, every
// handler the layer dispatches (DispatchGuarded) hands its exception to
// HandleException, which shows a message box. The layer below it learns of
// it only through what it installs while it lives: that exception handler,
// the forms' host and the message boxes' title.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>

#include "components/Component.h"
#include "controls/Forms.h"
#include "screen/Screen.h"

class TApplication : public TComponent, private TFormHost {
public:
    // argv: the program's command line; Qt's own options are taken out of
    // the parameters.
    TApplication(int argc, char** argv);
    ~TApplication() override;

    std::string ClassName() const override { return "TApplication"; }

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    // The program's full path.
    std::string ExeName() const;
    int ParamCount() const { return static_cast<int>(params_.size()) - 1; }
    // 0 is the program as started; an index out of range gives "".
    std::string ParamStr(int index) const;

    // Makes a form owned by the application from the arguments, sets
    // reference to it and fires its OnCreate. The first form made is the
    // main form.
    template <class T, class... Args>
    void CreateForm(T*& reference, Args&&... arguments)
    {
        auto form = std::make_unique<T>(std::forward<Args>(arguments)...);
        reference = form.get();
        AddForm(std::move(form));
    }
    TForm* MainForm() const override { return mainForm_; }

    // Shows the main form and runs the message loop until it closes or
    // Terminate is called.
    void Run();
    // Ends the program: the running modal windows end as with Cancel, no
    // later one waits for an answer, and Run returns once the handlers
    // have run back to it (or does not start the loop at all).
    void Terminate() override;
    bool Terminated() const { return terminated_; }
    // For long work that does not go back to the message loop between its
    // steps: a termination signal that came meanwhile ends the program now,
    // as it would from the loop, and no other event is handled. True once
    // the program is ending: the work stops, its clean-up left to run.
    bool CheckTerminated();
    // Handles the events waiting in the queue, then returns.
    void ProcessMessages();

    // The current exception (in a catch block) to OnException, or when that
    // is unassigned to ShowException. Never throws.
    void HandleException(TObject* Sender);
    // A message box with the application's title and the exception's text,
    // a full stop added when the text does not end in one.
    void ShowException(const std::exception& E);
    std::function<void(TObject* Sender, const std::exception& E)> OnException;

    // The Windows message box through the dialog interface; flags and the
    // result are MB_ and ID values (Dialogs.h).
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

private:
    void AddForm(std::unique_ptr<TForm> form);
    void FormDestroyed(TForm* form) override;

    std::vector<std::string> argvStorage_; // Qt keeps pointers into it
    std::vector<char*> qtArgv_;
    std::vector<std::string> params_;
    int qtArgc_ = 0;
    std::unique_ptr<QApplication> qt_;
    std::unique_ptr<TScreen> screen_;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

// The application object; it exists while the program's TApplication does.
extern TApplication* Application;
