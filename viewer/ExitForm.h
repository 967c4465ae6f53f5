// TForm3: the viewer's exit prompt, asked at every close request of the main
// window. Its link label opens the project's home page in the desktop's
// browser.
#pragma once

#include <string>

#include "controls/ExtCtrls.h"
#include "controls/Forms.h"
#include "controls/Image.h"
#include "controls/StdCtrls.h"

namespace pictoview {

inline const std::string HomePageAddress = "https://pictoria.example.org/";

class TForm3 : public TForm {
public:
    TForm3();
    std::string ClassName() const override { return "TForm3"; }

    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

    // Names the album in the caption and the question.
    void AskAbout(const std::string& albumTitle);
    void Label2Click(TObject* Sender);

private:
    TButton* NewButton(const std::string& name, const std::string& caption, int left, TModalResult result);
};

extern TForm3* Form3;

} // namespace pictoview
