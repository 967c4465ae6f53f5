#include "application/Application.h"

#include <cstdio>
#include <filesystem>

#include <QGuiApplication>

#include "dialogs/Dialogs.h"
#include "dispatch/GuardedDispatch.h"
#include "dispatch/ModalLoops.h"
#include "dispatch/TerminationSignals.h"

TApplication* Application = nullptr;

namespace {

// Lengths are scaled from Screen->PixelsPerInch, the forms' designs by the
// layer and run-time components by the programs; Qt must not scale them a
// second time.
void SwitchOffQtScaling()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
}

std::string MessageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

} // namespace

TApplication::TApplication(int argc, char** argv)
{
    argvStorage_.assign(argv, argv + argc);
    for (std::string& argument : argvStorage_)
        qtArgv_.push_back(argument.data());
    qtArgv_.push_back(nullptr);
    qtArgc_ = argc;
    SwitchOffQtScaling();
    qt_ = std::make_unique<QApplication>(qtArgc_, qtArgv_.data());
    QApplication::setQuitOnLastWindowClosed(false);
    params_.assign(qtArgv_.begin(), qtArgv_.begin() + qtArgc_);
    screen_ = std::make_unique<TScreen>();
    Screen = screen_.get();
    Application = this;
    SetTitle(std::filesystem::path(ExeName()).stem().string());
    SetGuardedExceptionHandler([this](TObject* Sender) { HandleException(Sender); });
    SetFormHost(this);
}

TApplication::~TApplication()
{
    DestroyComponents();
    SetFormHost(nullptr);
    SetGuardedExceptionHandler(nullptr);
    SetApplicationTitle("");
    Application = nullptr;
    screen_.reset();
    Screen = nullptr;
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    SetApplicationTitle(title);
}

std::string TApplication::ExeName() const
{
    return QCoreApplication::applicationFilePath().toStdString();
}

std::string TApplication::ParamStr(int index) const
{
    if (index < 0 || index >= static_cast<int>(params_.size()))
        return "";
    return params_[index];
}

void TApplication::AddForm(std::unique_ptr<TForm> form)
{
    TForm* made = form.get();
    InsertComponent(std::move(form));
    if (!mainForm_)
        mainForm_ = made;
    made->DoCreate();
}

void TApplication::FormDestroyed(TForm* form)
{
    if (mainForm_ == form)
        mainForm_ = nullptr;
}

void TApplication::Run()
{
    if (!mainForm_)
        return;
    DispatchGuarded(mainForm_, [this] { mainForm_->Show(); });
    if (!terminated_)
        QApplication::exec();
}

// Whatever window is up, the program ends: its modal loops end first, so
// that the code waiting on them runs on to the application's loop, which
// ends then too. Qt's quit would first ask every window to close, and a
// window that asks its own question (save the changes?) would keep it.
void TApplication::Terminate()
{
    terminated_ = true;
    EndModalLoops();
    QCoreApplication::exit(0);
}

bool TApplication::CheckTerminated()
{
    TTerminationSignals::DeliverWaiting();
    return terminated_;
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr error = std::current_exception();
    try {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            if (OnException)
                OnException(Sender, e);
            else
                ShowException(e);
        } catch (...) {
            ShowException(Exception(MessageOf(error)));
        }
    } catch (...) {
        // The handler itself failed; there is nobody left to tell but stderr.
        std::fprintf(stderr, "%s\n", MessageOf(std::current_exception()).c_str());
    }
}

void TApplication::ShowException(const std::exception& E)
{
    std::string text = E.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    return Dialogs().MessageBox(text, caption, flags);
}
