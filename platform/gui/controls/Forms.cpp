#include "controls/Forms.h"

#include <QScreen>

#include <optional>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include "controls/Menus.h"
#include "controls/StdCtrls.h"
#include "dialogs/Dialogs.h"
#include "dispatch/GuardedDispatch.h"
#include "dispatch/ModalLoops.h"

namespace {

TFormHost noApplication;
TFormHost* formHost = &noApplication;

} // namespace

void SetFormHost(TFormHost* host) { formHost = host ? host : &noApplication; }

TForm* GetParentForm(const TControl* control)
{
    const TControl* top = control;
    while (top->Parent())
        top = top->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

namespace {

// The first button on the control, at any depth, that is shown, enabled and
// marked so.
TButton* DialogButton(const TWinControl& control, bool (TButton::*marked)() const)
{
    for (int i = 0; i < control.ControlCount(); ++i) {
        TControl* child = control.Controls(i);
        if (!child->Visible() || !child->Enabled())
            continue;
        if (auto* button = dynamic_cast<TButton*>(child); button && (button->*marked)())
            return button;
        if (auto* inner = dynamic_cast<const TWinControl*>(child))
            if (TButton* button = DialogButton(*inner, marked))
                return button;
    }
    return nullptr;
}

} // namespace

// The form's top-level window: the window system's close and activation
// requests go to the form, guarded.
class TFormWindow : public QWidget {
public:
    TFormWindow() = default;
    void Forget() { form_ = nullptr; }
    void Attach(TForm& form) { form_ = &form; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (form_)
            DispatchGuarded(form_, [this] { form_->Close(); });
    }

    // Keys that no control took: Escape presses the Cancel button, Return the
    // Default one (a focused button takes Return itself).
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool escape = event->key() == Qt::Key_Escape;
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        TButton* button = !form_ || !(escape || enter) || event->modifiers() & ~Qt::KeypadModifier
                              ? nullptr
                              : DialogButton(*form_, escape ? &TButton::Cancel : &TButton::Default);
        if (!button) {
            QWidget::keyPressEvent(event);
            return;
        }
        DispatchGuarded(button, [button] { button->Click(); });
    }

    bool event(QEvent* event) override
    {
        if (form_ && event->type() == QEvent::WindowActivate)
            form_->Activate();
        if (form_ && event->type() == QEvent::WindowDeactivate)
            form_->Deactivate();
        return QWidget::event(event);
    }

private:
    TForm* form_ = nullptr;
};

TForm::TForm()
    : TWinControl(std::make_unique<TFormWindow>(), false), client_(new QWidget(Widget())),
      pixelsPerInch_(Screen->PixelsPerInch())
{
    Window().Attach(*this);
    SetVisible(false);
    LayoutClient();
}

TForm::~TForm()
{
    // The components go while the window they sit in still exists.
    DestroyComponents();
    Window().Forget();
    formHost->FormDestroyed(this);
}

TFormWindow& TForm::Window() const { return static_cast<TFormWindow&>(*Widget()); }

void TForm::ScaleDesign()
{
    if (designScaled_)
        return;
    designScaled_ = true;
    const int width = ClientWidth();
    const int height = ClientHeight();
    Font().SetHeight(ScaleByPPI(Font().Height(), pixelsPerInch_));
    ScaleChildren(pixelsPerInch_);
    SetClientWidth(ScaleByPPI(width, pixelsPerInch_));
    SetClientHeight(ScaleByPPI(height, pixelsPerInch_));
}

void TForm::SetCaption(const std::string& caption)
{
    caption_ = caption;
    Widget()->setWindowTitle(QString::fromStdString(caption));
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style)
{
    formStyle_ = style;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags()
{
    Qt::WindowFlags flags = Qt::Window;
    if (borderStyle_ == bsNone)
        flags |= Qt::FramelessWindowHint;
    if (borderStyle_ == bsDialog)
        flags = Qt::Dialog;
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin)
        flags = Qt::Tool;
    if (formStyle_ == fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    bool shown = Widget()->isVisible();
    Widget()->setWindowFlags(flags); // hides the window
    if (shown)
        ShowWindow();
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    if (Widget()->isVisible())
        ShowWindow();
}

void TForm::SetMenu(TMainMenu* menu)
{
    if (menu_)
        menu_->Bar()->setParent(nullptr);
    menu_ = menu;
    if (menu_) {
        menu_->Bar()->setParent(Widget());
        menu_->Bar()->show();
    }
    LayoutClient();
}

void TForm::Resized()
{
    LayoutClient();
}

void TForm::LayoutClient()
{
    int width = Widget()->width();
    int height = Widget()->height();
    int barHeight = 0;
    if (menu_) {
        barHeight = menu_->Bar()->sizeHint().height();
        menu_->Bar()->setGeometry(0, 0, width, barHeight);
    }
    client_->setGeometry(0, barHeight, width, std::max(0, height - barHeight));
    Realign();
}

void TForm::VisibilityChanged()
{
    if (!Visible()) {
        Widget()->hide();
        return;
    }
    DispatchGuarded(this, [this] {
        if (OnShow)
            OnShow(this);
    });
    if (Visible()) // OnShow may have hidden it again
        ShowWindow();
}

void TForm::PlaceOnShow()
{
    bool fixed = borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow;
    if (fixed)
        Widget()->setFixedSize(Widget()->size());
    QWidget* centre = nullptr;
    TForm* mainForm = formHost->MainForm();
    if (position_ == poMainFormCenter && mainForm && mainForm != this)
        centre = mainForm->Widget();
    if (position_ == poScreenCenter || position_ == poDesktopCenter || centre) {
        QRect area = centre ? centre->frameGeometry() : QRect(0, 0, Screen->Width(), Screen->Height());
        Widget()->move(area.center() - QPoint(Width() / 2, Height() / 2));
    }
}

void TForm::ShowWindow()
{
    PlaceOnShow();
    switch (windowState_) {
    case wsMaximized:
        // Without a window manager to maximise it, the window takes its
        // screen's free area itself.
        if (const QScreen* screen = Widget()->screen())
            Widget()->setGeometry(screen->availableGeometry());
        Widget()->showMaximized();
        break;
    case wsMinimized: Widget()->showMinimized(); break;
    case wsNormal: Widget()->showNormal(); break;
    }
    Widget()->raise();
    Widget()->activateWindow();
}

void TForm::Close()
{
    if (modalLoop_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(this, action);
    if (action == caNone)
        return;
    if (action == caMinimize) {
        Widget()->showMinimized();
        return;
    }
    Hide();
    if (formHost->MainForm() == this)
        formHost->Terminate();
    else if (action == caFree)
        Release();
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

TModalResult TForm::ShowModal()
{
    if (Visible())
        throw EInvalidOperation("Cannot make a visible window modal");
    if (std::optional<TModalResult> answered = Dialogs().ShowModal(*this))
        return *answered;
    return ExecuteModalLoop();
}

TModalResult TForm::ExecuteModalLoop()
{
    if (ModalLoopsEnded())
        return mrCancel;
    QEventLoop loop;
    modalResult_ = mrNone;
    modalLoop_ = &loop;
    // Ended by the program's end, the form says Cancel whatever its
    // OnCloseQuery would say, and goes at once.
    const TRunningModalLoop running([this, &loop] {
        modalResult_ = mrCancel;
        loop.quit();
        Hide();
    });
    Widget()->setWindowModality(Qt::ApplicationModal);
    Show(); // a result set by OnShow is checked once the loop runs
    if (!ModalLoopsEnded()) // a loop asked to quit before it runs would not
        loop.exec();
    modalLoop_ = nullptr;
    Hide();
    Widget()->setWindowModality(Qt::NonModal);
    return modalResult_;
}

void TForm::SetModalResult(TModalResult result)
{
    modalResult_ = result;
    if (modalLoop_ && result != mrNone)
        QTimer::singleShot(0, Widget(), [this] { DispatchGuarded(this, [this] { EndModalIfDone(); }); });
}

void TForm::EndModalIfDone()
{
    if (!modalLoop_ || modalResult_ == mrNone)
        return;
    bool canClose = CloseQuery();
    TCloseAction action = canClose ? caHide : caNone;
    if (canClose && OnClose)
        OnClose(this, action);
    if (action == caNone) {
        modalResult_ = mrNone;
        return;
    }
    modalLoop_->quit();
}

void TForm::Release()
{
    if (Owner())
        QTimer::singleShot(0, Widget(), [this] { Free(); });
}

void TForm::DoCreate()
{
    DispatchGuarded(this, [this] {
        if (OnCreate)
            OnCreate(this);
    });
}

void TForm::Activate()
{
    DispatchGuarded(this, [this] {
        if (OnActivate)
            OnActivate(this);
    });
}

void TForm::Deactivate()
{
    DispatchGuarded(this, [this] {
        if (OnDeactivate)
            OnDeactivate(this);
    });
}
