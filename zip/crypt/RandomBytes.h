// Where the engine's unpredictable bytes come from: the kernel's random
// source (getrandom). Code that needs such bytes takes a TRandomSource, so a
// test can put a fixed sequence in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Fills count bytes at buffer.
using TRandomSource = std::function<void(std::uint8_t* buffer, std::size_t count)>;

// Fills the buffer from getrandom, waiting for the kernel's pool to be ready
// if it is not yet. Raises Exception when the system refuses.
void SystemRandomBytes(std::uint8_t* buffer, std::size_t count);
