// TForm: a top-level window with an optional main menu above its client
// area. Forms start hidden. Show fires OnShow and then shows the window;
// Close asks OnCloseQuery, then OnClose, then hides (closing the main form
// ends the program). ShowModal asks the dialog interface first (so tests
// can script it); the real modal showing, ExecuteModalLoop, runs a nested
// event loop until ModalResult is set and the form agrees to close. A form
// reaches the application object, which sits above it, only through TFormHost.
#pragma once

#include <functional>
#include <string>

#include <QEventLoop>

#include "controls/Controls.h"
#include "dispatch/ModalResult.h"

class TMainMenu;
class TFormWindow;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;
    std::string ClassName() const override { return "TForm"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // The screen's pixels per inch when the form was made.
    int PixelsPerInch() const { return pixelsPerInch_; }
    // A form is built as designed, at 96 pixels per inch; its constructor
    // ends with this call, which sets every length and font given so far
    // (the form's client size, its controls' places and sizes, their own
    // fonts) at the form's pixels per inch, rounded half to even. What is
    // placed afterwards is placed in the form's own pixels. Once only.
    void ScaleDesign();

    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    void Close();
    // True when OnCloseQuery lets the form close.
    bool CloseQuery();
    // Raises EInvalidOperation "Cannot make a visible window modal" when
    // the form is shown already.
    TModalResult ShowModal();
    TModalResult ExecuteModalLoop();
    TModalResult ModalResult() const { return modalResult_; }
    // During a modal showing, a result other than mrNone ends it once the
    // current handler has returned (unless the form refuses to close).
    void SetModalResult(TModalResult result);
    // Frees the form once the current event is over; owned forms only.
    void Release();

    // The form's OnCreate, fired by CreateForm after the constructor.
    void DoCreate();
    // Window activation as the window system reports it.
    void Activate();
    void Deactivate();

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

    QWidget* ChildHost() const override { return client_; }
    QWidget* ClientArea() const override { return client_; }

protected:
    void Resized() override;
    void VisibilityChanged() override;

private:
    friend class TFormWindow;

    TFormWindow& Window() const;
    void LayoutClient();
    void ApplyWindowFlags();
    void PlaceOnShow();
    void ShowWindow();
    void EndModalIfDone();

    QWidget* client_;
    std::string caption_;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    int pixelsPerInch_;
    bool designScaled_ = false;
    TMainMenu* menu_ = nullptr;
    TModalResult modalResult_ = mrNone;
    QEventLoop* modalLoop_ = nullptr;
};

// What forms need of the application object, which sits above them: its
// main form, and the end of the program when that form closes. TApplication
// installs itself with SetFormHost while it lives; this default, in use
// without one, has no main form.
class TFormHost {
public:
    virtual TForm* MainForm() const { return nullptr; }
    virtual void Terminate() {}
    // The form is going; it can no longer be the main form.
    virtual void FormDestroyed(TForm*) {}
    virtual ~TFormHost() = default;
};

// nullptr puts the default back.
void SetFormHost(TFormHost* host);

// The form that the control sits on, or none.
TForm* GetParentForm(const TControl* control);
