// Threads that run one function beside the thread that started them, each
// with a stop token of its own. However they end, also when starting one of
// them throws, each is asked to stop and then joined: a helper that waits
// for work wakes up and leaves, and none outlives what it uses.
#pragma once

#include <functional>
#include <stop_token>
#include <thread>
#include <vector>

class THelperThreads {
public:
    THelperThreads() = default;
    // Starts up to count threads running work; fewer when the system
    // refuses another thread. Any other failure (out of memory, say)
    // passes, the threads started stopped.
    THelperThreads(int count, const std::function<void(std::stop_token)>& work);

private:
    // A jthread asks its thread to stop before it joins it; a new group
    // moved in ends the old one so.
    std::vector<std::jthread> threads_;
};
