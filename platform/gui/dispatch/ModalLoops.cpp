#include "dispatch/ModalLoops.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Outermost first.
std::vector<TRunningModalLoop*> runningLoops;
bool loopsEnded = false;

} // namespace

TRunningModalLoop::TRunningModalLoop(std::function<void()> end) : end_(std::move(end))
{
    runningLoops.push_back(this);
}

TRunningModalLoop::~TRunningModalLoop()
{
    runningLoops.erase(std::remove(runningLoops.begin(), runningLoops.end(), this), runningLoops.end());
}

void EndModalLoops()
{
    loopsEnded = true;
    // Ending a loop only asks it to return; none leaves the list meanwhile.
    const std::vector<TRunningModalLoop*> running = runningLoops;
    for (auto loop = running.rbegin(); loop != running.rend(); ++loop)
        if (std::function<void()> end = std::exchange((*loop)->end_, nullptr))
            end();
}

bool ModalLoopsEnded() { return loopsEnded; }
