#include "Dialogs.h"

#include "Application.h"
#include "Controls.h"
#include "QtDialogs.h"

namespace {

TQtDialogs qtDialogs;
TDialogs* current = &qtDialogs;

unsigned ButtonSetFlags(TMsgDlgButtons buttons)
{
    switch (buttons) {
    case mbOK: return MB_OK;
    case mbOKCancel: return MB_OKCANCEL;
    case mbAbortRetryIgnore: return MB_ABORTRETRYIGNORE;
    case mbYesNoCancel: return MB_YESNOCANCEL;
    case mbYes | mbNo: return MB_YESNO;
    case mbRetry | mbCancel: return MB_RETRYCANCEL;
    default: throw EInvalidOperation("A message box cannot show this set of buttons");
    }
}

std::string ApplicationTitle()
{
    return Application ? Application->Title() : std::string();
}

} // namespace

TDialogs& Dialogs() { return *current; }

TDialogsScope::TDialogsScope(TDialogs& dialogs) : previous_(current) { current = &dialogs; }

TDialogsScope::~TDialogsScope() { current = previous_; }

bool TOpenDialog::Execute() { return Dialogs().ExecuteOpen(*this); }

bool TSaveDialog::Execute() { return Dialogs().ExecuteSave(*this); }

TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    struct Look {
        const char* caption;
        unsigned icon;
    };
    static const Look looks[] = {
        {"Warning", MB_ICONWARNING},
        {"Error", MB_ICONERROR},
        {"Information", MB_ICONINFORMATION},
        {"Confirm", MB_ICONQUESTION},
        {nullptr, 0},
    };
    const Look& look = looks[type];
    std::string caption = look.caption ? look.caption : ApplicationTitle();
    return Dialogs().MessageBox(msg, caption, ButtonSetFlags(buttons) | look.icon);
}

void ShowMessage(const std::string& msg)
{
    Dialogs().MessageBox(msg, ApplicationTitle(), MB_OK);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return Dialogs().InputQuery(caption, prompt, value);
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}
