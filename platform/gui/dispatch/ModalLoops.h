// The modal loops the layer runs (a form's modal showing, the message and
// input boxes, the file and folder dialogs) are known while they run, so
// that the end of the program can end them: left running, a window nobody
// answers would hold the program until the system kills it, and its
// clean-up would never run. EndModalLoops ends each running loop as its
// Cancel would, and from then on a modal loop ends before it starts; the
// code after each goes on as after a Cancel, back to the application's own
// loop, which then ends too. There is no way back: the program is ending.
#pragma once

#include <functional>

// Registers one running modal loop for its lifetime.
class TRunningModalLoop {
public:
    // end: ends this loop as its Cancel would; called at most once, while
    // the loop runs.
    explicit TRunningModalLoop(std::function<void()> end);
    ~TRunningModalLoop();
    TRunningModalLoop(const TRunningModalLoop&) = delete;
    TRunningModalLoop& operator=(const TRunningModalLoop&) = delete;

private:
    friend void EndModalLoops();
    std::function<void()> end_;
};

// Ends every running modal loop, innermost first, and every later one as it
// starts.
void EndModalLoops();
// True once EndModalLoops has run: a modal loop about to start gives its
// Cancel answer at once instead.
bool ModalLoopsEnded();
