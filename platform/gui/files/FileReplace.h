// Replacing a file without ever leaving it half written: the new contents go
// into a temporary file beside it, are forced to disk and renamed over it.
#pragma once

#include <string>
#include <string_view>

// True when fileName now holds exactly bytes. On false, errno tells why; the
// old file is unchanged and no temporary file is left behind. A replaced file
// keeps its permission bits.
bool ReplaceFileContents(const std::string& fileName, std::string_view bytes);
