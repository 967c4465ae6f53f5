// The one application object of a test program, made on first use on Qt's
// offscreen platform, so the layer's tests need no display. It goes when
// the tests end, before the program's static objects (Qt's test helpers
// keep some that must outlive it).
#pragma once

#include <memory>

#include <gtest/gtest.h>
#include <QtGlobal>

#include "application/Application.h"

inline std::unique_ptr<TApplication>& TestApplicationSlot()
{
    static std::unique_ptr<TApplication> application;
    return application;
}

inline TApplication& TestApplication()
{
    std::unique_ptr<TApplication>& application = TestApplicationSlot();
    if (!application) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        char name[] = "pictogui_tests";
        char* argv[] = {name, nullptr};
        application = std::make_unique<TApplication>(1, argv);
    }
    return *application;
}

class TTestApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override { TestApplicationSlot().reset(); }
};

// gtest owns the environments it is given.
inline ::testing::Environment* const TestApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new TTestApplicationEnvironment);
