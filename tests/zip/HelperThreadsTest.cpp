// Helper threads stop and end with their group, whatever ends it: the
// group's end, or a failure while it starts them (extract/HelperThreads.h).
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

#include "extract/HelperThreads.h"

namespace {

// Work that waits until it is asked to stop, as a helper with nothing to do
// waits, counting the threads that ran and ended.
struct TWaitingWork {
    std::atomic<int>& Started;
    std::atomic<int>& Ended;

    void operator()(std::stop_token stop) const
    {
        ++Started;
        std::mutex mutex;
        std::condition_variable_any never;
        std::unique_lock lock(mutex);
        never.wait(lock, stop, [] { return false; });
        ++Ended;
    }
};

// The same work, but a thread's copy of it cannot be made once copies
// have been made: the group fails while it starts its threads.
struct TWorkFailingToCopy : TWaitingWork {
    std::atomic<int>& Copies;
    int CopiesMade;

    TWorkFailingToCopy(TWaitingWork work, std::atomic<int>& copies, int copiesMade)
        : TWaitingWork(work), Copies(copies), CopiesMade(copiesMade)
    {
    }
    TWorkFailingToCopy(const TWorkFailingToCopy& other)
        : TWaitingWork(other), Copies(other.Copies), CopiesMade(other.CopiesMade)
    {
        if (++Copies > CopiesMade)
            throw std::bad_alloc();
    }
};

TEST(HelperThreads, EndWithTheirGroup)
{
    std::atomic<int> started = 0;
    std::atomic<int> ended = 0;
    {
        const THelperThreads helpers(3, TWaitingWork{started, ended});
        while (started < 3)
            std::this_thread::yield();
    }
    EXPECT_EQ(ended, 3);
}

// A thread that started and waits for work is stopped and joined when
// starting the next one fails: the failure passes, nothing hangs.
TEST(HelperThreads, AFailureWhileStartingStopsThoseStarted)
{
    std::atomic<int> started = 0;
    std::atomic<int> ended = 0;
    std::atomic<int> copies = 0;
    const std::function<void(std::stop_token)> work = TWorkFailingToCopy({started, ended}, copies, 2);
    // One copy went into the function; the first thread takes the second.
    copies = 1;
    EXPECT_THROW(THelperThreads(3, work), std::bad_alloc);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ended, 1);
}

} // namespace
