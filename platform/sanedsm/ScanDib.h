// The native transfer's image: a scan as a packed device-independent bitmap
// in a global memory block, 24-bit colour or 8-bit with a grey palette,
// bottom-up rows padded to four bytes.
#pragma once

#include "GlobalMemory.h"
#include "SaneScanner.h"

HGLOBAL ScanToDib(const ScannedImage& image);
