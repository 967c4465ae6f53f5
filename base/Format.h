// Fills a message pattern: each "%s" or "%d" takes the next argument in turn,
// "%%" stands for "%". Messages come from a fixed table, so arguments are
// already text; a pattern with more markers than arguments leaves the rest empty.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

inline std::string IntToStr(std::int64_t value) { return std::to_string(value); }
