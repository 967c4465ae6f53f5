// Watching a program run as its own process (started with fork and exec):
// whether it sits waiting for its user, and whether it ends in time.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

// The process's state letter and the processor time it has used so far.
inline std::pair<char, long long> ProcessStateAndTime(pid_t process)
{
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t afterName = text.rfind(')');
    if (afterName == std::string::npos)
        return {'?', -1};
    // The fields after the command name, which may hold spaces: the state
    // (3), ten others, then the user (14) and system (15) times.
    std::istringstream fields(text.substr(afterName + 2));
    char state = '?';
    std::string skipped;
    fields >> state;
    for (int field = 4; field <= 13; ++field)
        fields >> skipped;
    long long user = 0;
    long long system = 0;
    fields >> user >> system;
    return {state, user + system};
}

// Waits, up to 30 seconds, until ready() holds and the process then sits
// waiting for its user: asleep, with no processor time used over a few
// looks in a row.
inline bool WaitsForItsUser(pid_t process, const std::function<bool()>& ready)
{
    using namespace std::chrono_literals;
    constexpr int StillLooks = 5;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    int stillLooks = 0;
    long long lastTime = -1;
    while (std::chrono::steady_clock::now() < deadline && stillLooks < StillLooks) {
        std::this_thread::sleep_for(50ms);
        const auto [state, time] = ProcessStateAndTime(process);
        const bool still = ready() && state == 'S' && time == lastTime;
        stillLooks = still ? stillLooks + 1 : 0;
        lastTime = time;
    }
    return stillLooks == StillLooks;
}

// True when the process has ended within the time, its wait status in
// status; one that has not is killed.
inline bool EndsWithin(pid_t process, std::chrono::seconds time, int& status)
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(process, &status, WNOHANG) == process)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    ::kill(process, SIGKILL);
    ::waitpid(process, &status, 0);
    return false;
}
