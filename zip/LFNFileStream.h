// The buffered file stream every file of the engine is opened as: a
// TFileStream it opens, owns and closes, with a TS_BufferStream in front.
#pragma once

#include <cstdint>
#include <string>

#include "BufStream.h"
#include "Stream.h"

// Holds the file apart from the buffer so that the file is opened before the
// buffer over it is made and closed only after the buffer's final write-out:
// a base class is destroyed after the bases declared behind it.
class TLFNFileHolder {
protected:
    TLFNFileHolder(const std::string& fileName, std::uint16_t mode) : file_(fileName, mode) {}
    TLFNFileHolder(int fd, const std::string& fileName) : file_(fd, fileName) {}

    TFileStream file_;
};

class TLFNFileStream : private TLFNFileHolder, public TS_BufferStream {
public:
    // Opening and creating failures of TFileStream pass through. Only a file
    // opened for writing or created (mode 0xFFFF has the low bits set) is
    // forced to disk on close, and only when flushOnClose asks for it.
    TLFNFileStream(const std::string& fileName, std::uint16_t mode, bool flushOnClose, std::int32_t bufferSize);
    // Takes over fd, a file opened for writing elsewhere; fileName names it
    // in messages.
    TLFNFileStream(int fd, const std::string& fileName, bool flushOnClose, std::int32_t bufferSize);

    friend int GetFileStreamHandle(const TLFNFileStream& stream);
};

// The operating-system handle of the stream's file, for reading its dates.
int GetFileStreamHandle(const TLFNFileStream& stream);
