// Dialogs: the open and save dialog components, the message box and the
// input boxes, all shown through one interface, TDialogs. The Qt
// implementation is in use unless a TDialogsScope installs another (the
// tests' scripted double), so every dialog of the programs can be scripted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "components/Component.h"
#include "dispatch/ModalResult.h"

class TForm;
class TOpenDialog;
class TSaveDialog;

// Windows message box flags: one button set, one icon.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x02;
inline constexpr unsigned MB_YESNOCANCEL = 0x03;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_RETRYCANCEL = 0x05;
inline constexpr unsigned MB_BUTTONSMASK = 0x0F;
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONERROR = MB_ICONSTOP;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;

// Windows message box results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Returns one of the ID values of the flags' button set.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // OK puts the typed text in value and returns true; Cancel leaves value.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // An input query that shows "*" for each character typed.
    virtual bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value)
    {
        return InputQuery(caption, prompt, value);
    }
    // Confirmed: the dialog's FileName (and Files) hold the choice.
    virtual bool ExecuteOpen(TOpenDialog& dialog) = 0;
    virtual bool ExecuteSave(TSaveDialog& dialog) = 0;
    virtual std::optional<std::string> SelectFolder(const std::string& caption, const std::string& startFolder) = 0;
    // A form's modal showing as a double answers it; nullopt lets the form
    // run its own modal loop (TForm::ExecuteModalLoop), as the real dialogs
    // always do.
    virtual std::optional<TModalResult> ShowModal(TForm& form) = 0;
};

// The interface in use.
TDialogs& Dialogs();

// The caption of the message boxes that name none of their own
// (ShowMessage, MessageDlg's mtCustom): the application's title, which
// TApplication, above the dialogs, hands over while it lives.
void SetApplicationTitle(const std::string& title);

// Installs dialogs for its own lifetime and restores the previous one after.
class TDialogsScope {
public:
    explicit TDialogsScope(TDialogs& dialogs);
    ~TDialogsScope();
    TDialogsScope(const TDialogsScope&) = delete;
    TDialogsScope& operator=(const TDialogsScope&) = delete;

private:
    TDialogs* previous_;
};

enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofNoChangeDir = 1u << 3,
    ofAllowMultiSelect = 1u << 9,
    ofPathMustExist = 1u << 11,
    ofFileMustExist = 1u << 12,
};
using TOpenOptions = unsigned;

// The file-open dialog. Filter holds description and pattern pairs joined
// by "|" ("Album File (*.pxp)|*.pxp"); FilterIndex counts from 1.
class TOpenDialog : public TComponent {
public:
    std::string ClassName() const override { return "TOpenDialog"; }

    std::string Title;
    std::string Filter;
    int FilterIndex = 1;
    std::string FileName;
    std::string DefaultExt;
    std::string InitialDir;
    TOpenOptions Options = ofHideReadOnly;
    // Every chosen file, in the dialog's order; FileName is the first.
    std::vector<std::string> Files;

    virtual bool Execute();
};

// With ofOverwritePrompt, a chosen file that exists is taken only when the
// user answers Yes to replacing it (MayReplaceFile, caption "Replace File?");
// No is a Cancel.
class TSaveDialog : public TOpenDialog {
public:
    std::string ClassName() const override { return "TSaveDialog"; }
    bool Execute() override;
};

// True when fileName names no file yet, or when the user answers Yes to
// "PATH already exists.  Do you want to replace it?" in a box captioned
// caption.
bool MayReplaceFile(const std::string& fileName, const std::string& caption);

// The picture dialogs behave as the plain ones here: Qt's file dialogs have
// no preview pane.
class TOpenPictureDialog : public TOpenDialog {
public:
    std::string ClassName() const override { return "TOpenPictureDialog"; }
};

class TSavePictureDialog : public TSaveDialog {
public:
    std::string ClassName() const override { return "TSavePictureDialog"; }
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
};
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// A message box captioned by its type ("Warning", "Error", "Information",
// "Confirm"; the application title for mtCustom). Buttons must form one of
// the Windows button sets, else EInvalidOperation (Component.h).
TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// A message box with the application's title and an OK button.
void ShowMessage(const std::string& msg);
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The typed text, or defaultValue on Cancel.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);
