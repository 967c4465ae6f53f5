// SANE's "test" backend set up for one test: a private SANE configuration
// folder that enables only that backend and its devices, so no real scanner is probed and
// /etc stays as it is. SANE_CONFIG_DIR points at it while the object lives.
#pragma once

#include <cstdlib>
#include <string>

#include "TempDir.h"

class SaneTestDevice {
public:
    // devices: how many the backend offers, "test:0", "test:1" and on.
    explicit SaneTestDevice(int devices = 1)
    {
        folder_.Write("dll.conf", "test\n");
        folder_.Write("test.conf", "number_of_devices " + std::to_string(devices) +
                                       "\nmode Color\ndepth 8\nresolution 50\ntest-picture \"Color pattern\"\n");
        ::setenv("SANE_CONFIG_DIR", folder_.Path().c_str(), 1);
    }
    SaneTestDevice(const SaneTestDevice&) = delete;
    SaneTestDevice& operator=(const SaneTestDevice&) = delete;
    ~SaneTestDevice() { ::unsetenv("SANE_CONFIG_DIR"); }

private:
    TempDir folder_;
};
