// Whole-stream helpers for the picture classes, which read a picture from the
// stream's position to its end.
#pragma once

#include <cstdint>
#include <vector>

#include "Stream.h"

std::vector<std::uint8_t> ReadToEnd(TStream& stream);
void WriteBytes(TStream& stream, const std::vector<std::uint8_t>& bytes);
