#include "Format.h"

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string result;
    result.reserve(pattern.size());
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool marker = pattern[i] == '%' && i + 1 < pattern.size();
        if (marker && pattern[i + 1] == '%') {
            result += '%';
            ++i;
        } else if (marker && (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
            if (next != args.end())
                result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}
