// SANE's "test" backend set up for one test: a private SANE configuration
// folder that enables only that backend, so no real scanner is probed and
// /etc stays as it is. SANE_CONFIG_DIR points at it while the object lives.
#pragma once

#include <cstdlib>
#include <string>

#include "TempDir.h"

class SaneTestDevice {
public:
    SaneTestDevice()
    {
        folder_.Write("dll.conf", "test\n");
        folder_.Write("test.conf", "number_of_devices 1\nmode Color\ndepth 8\nresolution 50\n"
                                   "test-picture \"Color pattern\"\n");
        ::setenv("SANE_CONFIG_DIR", folder_.Path().c_str(), 1);
    }
    SaneTestDevice(const SaneTestDevice&) = delete;
    SaneTestDevice& operator=(const SaneTestDevice&) = delete;
    ~SaneTestDevice() { ::unsetenv("SANE_CONFIG_DIR"); }

private:
    TempDir folder_;
};
