#include "QtZipUI.h"

#include "application/Application.h"
#include "dialogs/Dialogs.h"
#include "screen/Screen.h"

namespace {

unsigned FlagsOf(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::OkCancel: return MB_OKCANCEL;
    case TMsgButtons::YesNo: return MB_YESNO;
    case TMsgButtons::YesNoCancel: return MB_YESNOCANCEL;
    case TMsgButtons::Ok: break;
    }
    return MB_OK;
}

TMsgResult ResultOf(int id)
{
    switch (id) {
    case IDOK: return TMsgResult::Ok;
    case IDYES: return TMsgResult::Yes;
    case IDNO: return TMsgResult::No;
    default: return TMsgResult::Cancel;
    }
}

} // namespace

TMsgResult TQtZipUI::MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons)
{
    // The engine's boxes show with the ordinary cursor, even inside a busy stretch.
    TCursor shown = Screen->Cursor();
    Screen->SetCursor(crDefault);
    int answer = Dialogs().MessageBox(text, caption, FlagsOf(buttons));
    Screen->SetCursor(shown);
    return ResultOf(answer);
}

std::optional<std::string> TQtZipUI::OpenFileDialog(const std::string& title, const std::string& filter,
                                                    const std::string& initialFolder)
{
    TOpenDialog dialog;
    dialog.Title = title;
    dialog.Filter = filter;
    dialog.InitialDir = initialFolder;
    if (!dialog.Execute())
        return std::nullopt;
    return dialog.FileName;
}

std::optional<std::string> TQtZipUI::SelectFolder(const std::string& startFolder)
{
    return Dialogs().SelectFolder("", startFolder);
}

void TQtZipUI::BeginBusyCursor()
{
    savedCursors_.push_back(Screen->Cursor());
    Screen->SetCursor(crHourGlass);
}

void TQtZipUI::EndBusyCursor()
{
    if (savedCursors_.empty())
        return;
    Screen->SetCursor(savedCursors_.back());
    savedCursors_.pop_back();
}

void TQtZipUI::ProcessMessages()
{
    if (Application)
        Application->ProcessMessages();
}
