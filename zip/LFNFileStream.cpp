#include "LFNFileStream.h"

TLFNFileStream::TLFNFileStream(const std::string& fileName, std::uint16_t mode, bool flushOnClose,
                               std::int32_t bufferSize)
    : TLFNFileHolder(fileName, mode), TS_BufferStream(file_, bufferSize)
{
    flushOnDestroy_ = flushOnClose && (mode & 3) != 0;
}

TLFNFileStream::TLFNFileStream(int fd, const std::string& fileName, bool flushOnClose, std::int32_t bufferSize)
    : TLFNFileHolder(fd, fileName), TS_BufferStream(file_, bufferSize)
{
    flushOnDestroy_ = flushOnClose;
}

int GetFileStreamHandle(const TLFNFileStream& stream) { return stream.file_.Handle(); }
