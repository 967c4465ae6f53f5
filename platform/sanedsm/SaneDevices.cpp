#include "SaneDevices.h"

#include <sane/sane.h>

namespace {

std::string Text(SANE_String_Const text) { return text ? text : ""; }

} // namespace

SaneSession::SaneSession() { ready_ = sane_init(nullptr, nullptr) == SANE_STATUS_GOOD; }

SaneSession::~SaneSession()
{
    if (ready_)
        sane_exit();
}

std::vector<SaneDevice> SaneSession::Devices() const
{
    std::vector<SaneDevice> devices;
    const SANE_Device** list = nullptr;
    if (!ready_ || sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return devices;
    for (; *list; ++list)
        devices.push_back({Text((*list)->name), Text((*list)->vendor), Text((*list)->model)});
    return devices;
}
