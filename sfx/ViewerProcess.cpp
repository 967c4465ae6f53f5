#include "ViewerProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

namespace {

constexpr std::array<int, 3> ForwardedSignals{SIGINT, SIGTERM, SIGHUP};

// Shared with the signal handler, hence lock-free atomics.
std::atomic<pid_t> runningViewer{0};
std::atomic<int> signalBeforeStart{0};
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

void ForwardSignal(int signal)
{
    const int savedErrno = errno;
    const pid_t viewer = runningViewer.load();
    if (viewer > 0)
        ::kill(viewer, signal);
    else
        signalBeforeStart.store(signal);
    errno = savedErrno;
}

sigset_t ForwardedSet()
{
    sigset_t set;
    ::sigemptyset(&set);
    for (const int signal : ForwardedSignals)
        ::sigaddset(&set, signal);
    return set;
}

// Holds the forwarded signals back for its lifetime, so that none falls
// between the check for an early signal and the viewer's pid being known.
class TSignalsHeld {
public:
    TSignalsHeld()
    {
        const sigset_t held = ForwardedSet();
        ::sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    TSignalsHeld(const TSignalsHeld&) = delete;
    TSignalsHeld& operator=(const TSignalsHeld&) = delete;
    ~TSignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

    const sigset_t& Previous() const { return previous_; }

private:
    sigset_t previous_;
};

// A pipe whose write end the child holds until exec closes it: an errno
// written there tells the parent why exec failed.
class TExecReport {
public:
    TExecReport()
    {
        if (::pipe2(ends_.data(), O_CLOEXEC) != 0)
            throw std::system_error(errno, std::generic_category(), "cannot start the viewer");
    }
    TExecReport(const TExecReport&) = delete;
    TExecReport& operator=(const TExecReport&) = delete;
    ~TExecReport()
    {
        for (const int fd : ends_)
            if (fd >= 0)
                ::close(fd);
    }

    // In the child, after a failed exec; only async-signal-safe calls here.
    void Send(int error) const
    {
        [[maybe_unused]] const ssize_t ignored = ::write(ends_[1], &error, sizeof error);
    }
    // In the parent: exec's errno, or 0 once the viewer runs.
    int Receive()
    {
        ::close(ends_[1]);
        ends_[1] = -1;
        int error = 0;
        ssize_t count = 0;
        do
            count = ::read(ends_[0], &error, sizeof error);
        while (count < 0 && errno == EINTR);
        return count == sizeof error ? error : 0;
    }

private:
    std::array<int, 2> ends_{-1, -1};
};

// In the child: becomes the viewer or reports why it cannot. Nothing of this
// program may run here, above all no destructor that would remove the folder
// the viewer is about to use. exec puts the forwarding handlers back to the
// default; the mask becomes the one the program was started with.
[[noreturn]] void BecomeViewer(const std::filesystem::path& viewer, const std::filesystem::path& album,
                               const sigset_t& mask, const TExecReport& report)
{
    ::sigprocmask(SIG_SETMASK, &mask, nullptr);
    char* const arguments[] = {const_cast<char*>(viewer.c_str()), const_cast<char*>(album.c_str()), nullptr};
    ::execv(viewer.c_str(), arguments);
    report.Send(errno);
    ::_exit(127);
}

// Forks the viewer off and makes its pid known to the signal handler.
pid_t StartViewer(const std::filesystem::path& viewer, const std::filesystem::path& album, const TExecReport& report)
{
    const TSignalsHeld held;
    if (const int signal = signalBeforeStart.load())
        throw std::runtime_error(std::string("stopped before the viewer started: ") + ::strsignal(signal));
    const pid_t child = ::fork();
    if (child < 0)
        throw std::system_error(errno, std::generic_category(), "cannot start the viewer");
    if (child == 0)
        BecomeViewer(viewer, album, held.Previous(), report);
    runningViewer.store(child);
    return child;
}

int WaitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "cannot wait for the viewer");
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

} // namespace

TViewerProcess::TViewerProcess()
{
    struct sigaction forward {};
    forward.sa_handler = ForwardSignal;
    forward.sa_flags = SA_RESTART;
    ::sigemptyset(&forward.sa_mask);
    for (std::size_t i = 0; i < ForwardedSignals.size(); ++i) {
        ::sigaction(ForwardedSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN)
            ::sigaction(ForwardedSignals[i], &forward, nullptr);
    }
}

TViewerProcess::~TViewerProcess()
{
    for (std::size_t i = 0; i < ForwardedSignals.size(); ++i)
        ::sigaction(ForwardedSignals[i], &previous_[i], nullptr);
}

int TViewerProcess::Run(const std::filesystem::path& viewer, const std::filesystem::path& album)
{
    TExecReport report;
    const pid_t child = StartViewer(viewer, album, report);
    const int execError = report.Receive();
    const int status = WaitFor(child);
    runningViewer.store(0);
    if (execError != 0)
        throw std::system_error(execError, std::generic_category(),
                                "cannot start the viewer \"" + viewer.string() + "\"");
    return status;
}
