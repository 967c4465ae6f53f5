#include "files/ArchiveOutput.h"

#include "Exceptions.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"

namespace {

[[noreturn]] void RaiseNotEnoughRoom() { throw ENotEnoughRoom(LoadStr(IDS_NOTENOUGHROOM)); }

} // namespace

TArchiveOutput::TArchiveOutput(const std::string& fileName, std::int32_t bufferSize, bool flushToDisk)
    : file_(std::make_unique<TLFNFileStream>(fileName, fmCreate, flushToDisk, bufferSize))
{
}

TArchiveOutput::TArchiveOutput(TFileHandle file, const std::string& shownName, std::int32_t bufferSize,
                               bool flushToDisk)
    : file_(std::make_unique<TLFNFileStream>(file.Release(), shownName, flushToDisk, bufferSize))
{
}

std::int64_t TArchiveOutput::Read(void* buffer, std::int64_t count)
{
    try {
        return file_->Read(buffer, count);
    } catch (const EWriteError&) {
        RaiseNotEnoughRoom();
    }
}

std::int64_t TArchiveOutput::Write(const void* buffer, std::int64_t count)
{
    if (file_->Write(buffer, count) < count)
        RaiseNotEnoughRoom();
    return count;
}

std::int64_t TArchiveOutput::Seek(std::int64_t offset, int origin)
{
    // Positions here always lie inside the file written so far, so a failing
    // seek is the write-out of the pending bytes that precedes it.
    try {
        return file_->Seek(offset, origin);
    } catch (const Exception&) {
        RaiseNotEnoughRoom();
    }
}

void TArchiveOutput::Close()
{
    try {
        file_->Close();
    } catch (const EWriteError&) {
        RaiseNotEnoughRoom();
    }
}
