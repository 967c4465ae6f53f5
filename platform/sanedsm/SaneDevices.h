// The SANE side of the source manager: one SANE session for as long as the
// manager is open, and the devices it finds, each offered as a TWAIN source
// named by its SANE device name.
#pragma once

#include <string>
#include <vector>

struct SaneDevice {
    std::string name;   // SANE's device name, e.g. "test:0"; the source's product name
    std::string vendor; // the source's manufacturer
    std::string model;  // the source's product family
};

// sane_init on construction, sane_exit on destruction.
class SaneSession {
public:
    SaneSession();
    ~SaneSession();
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;

    bool Ready() const { return ready_; }
    // Local devices and those of the network backends SANE is set up for.
    std::vector<SaneDevice> Devices() const;

private:
    bool ready_ = false;
};
