#include "extract/HelperThreads.h"

#include <system_error>

THelperThreads::THelperThreads(int count, const std::function<void(std::stop_token)>& work)
{
    threads_.reserve(static_cast<std::size_t>(count));
    try {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads, or none.
    }
}
