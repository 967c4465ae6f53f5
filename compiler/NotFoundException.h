// ENotFoundException: a file the album program is made of is missing.
#pragma once

#include "Exceptions.h"

namespace pictomake {

class ENotFoundException : public Exception {
    using Exception::Exception;
};

} // namespace pictomake
