// TForm3: the album settings dialog. Its controls hold the album's settings
// for the whole run: the album's name (read-only), the password, the title
// (a read-only mirror of the main window's), whether friends may save
// pictures and whether the album program starts as a slide show. OK
// confirms what was typed; the main window puts the last confirmed values
// back when the dialog is cancelled.
#pragma once

#include <functional>

#include "ProjectFile.h"
#include "controls/Buttons.h"
#include "controls/Forms.h"
#include "controls/StdCtrls.h"

namespace pictomake {

class TForm3 : public TForm {
public:
    TForm3();
    std::string ClassName() const override { return "TForm3"; }

    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label6 = nullptr;
    TEdit* Edit3 = nullptr;
    TLabel* Label7 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* Edit2 = nullptr;
    TLabel* Label5 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;

    // Fired by OK: the settings in the controls are the album's now.
    std::function<void()> OnConfirm;

    void BitBtn1Click(TObject* Sender);

    // The settings as the controls hold them, and back.
    TAlbumSettings Settings() const;
    void SetSettings(const TAlbumSettings& settings);

private:
    TLabel* NewLabel(const std::string& name, const std::string& caption, int left, int top);
    TEdit* NewEdit(const std::string& name, int left, int top, int width);
    TCheckBox* NewCheckBox(const std::string& name, const std::string& caption, int top);
    TBitBtn* NewButton(const std::string& name, TBitBtnKind kind, int left);
};

extern TForm3* Form3;

} // namespace pictomake
