#include "dialogs/Dialogs.h"

#include <filesystem>
#include <system_error>

#include "Format.h"
#include "dialogs/QtDialogs.h"

namespace {

TQtDialogs qtDialogs;
TDialogs* current = &qtDialogs;
std::string applicationTitle;

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

} // namespace

TDialogs& Dialogs() { return *current; }

void SetApplicationTitle(const std::string& title) { applicationTitle = title; }

TDialogsScope::TDialogsScope(TDialogs& dialogs) : previous_(current) { current = &dialogs; }

TDialogsScope::~TDialogsScope() { current = previous_; }

bool TOpenDialog::Execute() { return Dialogs().ExecuteOpen(*this); }

bool TSaveDialog::Execute()
{
    if (!Dialogs().ExecuteSave(*this))
        return false;
    return !(Options & ofOverwritePrompt) || MayReplaceFile(FileName, "Replace File?");
}

bool MayReplaceFile(const std::string& fileName, const std::string& caption)
{
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(fileName, error)))
        return true;
    return Dialogs().MessageBox(Format("%s already exists.  Do you want to replace it?", {fileName}), caption,
                                MB_YESNO | MB_ICONQUESTION) == IDYES;
}

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
    std::string caption = look.caption ? look.caption : applicationTitle;
    return Dialogs().MessageBox(msg, caption, ButtonSetFlags(buttons) | look.icon);
}

void ShowMessage(const std::string& msg)
{
    Dialogs().MessageBox(msg, applicationTitle, MB_OK);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return Dialogs().InputQuery(caption, prompt, value);
}

bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return Dialogs().PasswordQuery(caption, prompt, value);
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}
