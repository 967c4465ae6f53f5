// The program's slide-show window (Form2) for a test's lifetime, made on the
// main window as the compiler's start-up makes it.
#pragma once

#include "SlideShowForm.h"

namespace pictomake {

class SlideShowScope {
public:
    explicit SlideShowScope(pictoalbum::TSlideShowHost& host) : slides(host) { pictoalbum::Form2 = &slides; }
    ~SlideShowScope() { pictoalbum::Form2 = nullptr; }
    SlideShowScope(const SlideShowScope&) = delete;
    SlideShowScope& operator=(const SlideShowScope&) = delete;

    pictoalbum::TForm2 slides;
};

} // namespace pictomake
