// Files without a name (O_TMPFILE): a file that is being made and may not be
// complete is written unnamed in the folder of the file it will replace, and
// given a name only when it is complete. Whatever ends the process before
// then, even SIGKILL, leaves nothing behind: the system frees an unnamed file
// when its last descriptor closes.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "files/FileHandle.h"

// A new unnamed file in folder ("" for the current one), open for reading
// and writing, mode 0600. None where it cannot be made (a file system
// without unnamed files refuses with EOPNOTSUPP, an older kernel with EISDIR
// or EINVAL): a named temporary file is the caller's way then, and its own
// error says why, should it fail too.
std::optional<TFileHandle> OpenUnnamedFile(const std::string& folder);
// The same in the folder open as the descriptor folder, with mode (less the
// umask) for the file once it has a name.
std::optional<TFileHandle> OpenUnnamedFileAt(int folder, mode_t mode);

// Gives the unnamed file open as fd a new name in folder, "KPZ" and six more
// characters, and returns that name with the folder; EFCreateError when it
// cannot.
std::string NameUnnamedFile(int fd, const std::string& folder);
// Gives the unnamed file open as fd the name name in the folder open as the
// descriptor folder, never replacing what has that name; false with errno
// set (EEXIST: the name is taken) when it cannot.
bool LinkUnnamedFile(int fd, int folder, const std::string& name);
