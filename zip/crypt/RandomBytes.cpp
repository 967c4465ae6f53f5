#include "crypt/RandomBytes.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/random.h>

#include "Exceptions.h"

void SystemRandomBytes(std::uint8_t* buffer, std::size_t count)
{
    // getrandom may return fewer bytes than asked, or be interrupted by a signal.
    while (count > 0) {
        const ssize_t got = ::getrandom(buffer, count, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw Exception(std::string("Cannot read random bytes: ") + std::strerror(errno));
        }
        buffer += got;
        count -= std::size_t(got);
    }
}
