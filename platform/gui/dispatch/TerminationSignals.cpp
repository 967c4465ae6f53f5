#include "dispatch/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include <QSocketNotifier>

namespace {

// A signal handler may only write to a pipe; the message loop reads it.
int signalPipe[2] = {-1, -1};
constexpr int EndingSignals[] = {SIGTERM, SIGHUP, SIGINT};
TTerminationSignals* installed = nullptr;

extern "C" void WriteSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

TTerminationSignals::TTerminationSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal))
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the pipe for termination signals");
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Deliver(); });
    installed = this;
    struct sigaction action {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : EndingSignals)
        ::sigaction(signal, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals()
{
    installed = nullptr;
    for (const int signal : EndingSignals)
        std::signal(signal, SIG_DFL);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TTerminationSignals::DeliverWaiting()
{
    if (installed)
        installed->Deliver();
}

void TTerminationSignals::Deliver()
{
    char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1)
        if (onSignal_)
            onSignal_();
}
