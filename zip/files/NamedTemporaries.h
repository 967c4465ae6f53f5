// The temporary files of the process that have a name but are not complete:
// a file being extracted where the file system has no unnamed files, or one
// that has just been named on its way over an existing file. A program that
// ends on a signal removes them from its handler with
// RemoveNamedTemporaries, so that nothing half made stays behind.
//
// A fixed table that a signal handler can read while another thread
// changes it: a name is published whole before it counts. Temporary names
// are short (files/TemporaryName.h); a longer one, or a file beyond the
// table's slots, which only many extractions at once would need, is still
// removed by its owner, only not by the handler.
#pragma once

#include <string>

// A named temporary, listed while it lives. folder is an open folder that
// must outlive it; name is relative to it. Listed before the file is made,
// so no moment passes in which the file is there and unlisted.
class TNamedTemporary {
public:
    TNamedTemporary(int folder, const std::string& name);
    ~TNamedTemporary();
    TNamedTemporary(const TNamedTemporary&) = delete;
    TNamedTemporary& operator=(const TNamedTemporary&) = delete;

private:
    int slot_;
};

// Removes every listed temporary; async-signal-safe, for a handler that
// then ends the process.
void RemoveNamedTemporaries() noexcept;
