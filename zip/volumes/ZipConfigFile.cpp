// The ".zfc" side file: a copy of a volume set's central directory and end
// record beside its first volume, so the set can be listed from that volume
// alone. Its central headers are those of the archive, with the volume
// numbers and offsets of the volumes, and hold no extra field (their extra
// length is 0; older side files stated the length without the bytes, which
// the directory reader still takes). The end record's directory disk and
// offset likewise refer to the volumes.
//
// The reader also reads the comments of a set while it reads the
// directory: later, the volume that holds them may be out of the drive.
#include "ZipWriter.h"

#include <unistd.h>

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipUI.h"
#include "files/ZipLib.h"
#include "volumes/VolumeNames.h"

// ---- Writing -----------------------------------------------------------------

void TZipWriter::SaveZipInfoOnFirstVolume()
{
    if (multiZipInfo_.MultiMode == mmNone || !multiZipInfo_.SaveZipInfoOnFirstDisk || endRecord_.ThisDisk == 0)
        return;
    if (multiZipInfo_.MultiMode == mmSpan) {
        // The set is complete: a user who will not insert the first disk
        // again goes without the side file.
        try {
            LoadDisk(1);
        } catch (const EUserCanceled&) {
            return;
        }
        archiveStream_.reset();
    }
    TBusyCursor busy;
    WriteZipConfigFile(ZipConfigFileName(FirstVolumeName()));
}

void TZipWriter::WriteZipConfigFile(const std::string& FileName)
{
    std::unique_ptr<TLFNFileStream> file;
    try {
        file = std::make_unique<TLFNFileStream>(FileName, fmCreate, FlushFilesOnClose, StreamBufferSize);
    } catch (const Exception&) {
        ZipUI().MessageBox("Unable to create Zip Configuration File to disk", "", TMsgButtons::Ok);
        return;
    }
    try {
        for (int i = 0; i < entryList_->Count(); ++i) {
            TZipHeaderInfo header;
            header.Assign(*entryList_->Entry(i));
            header.CentralExtraLength = 0;
            header.SaveCentralToStream(*file);
        }
        endRecord_.SaveToStream(*file);
        file->Close();
    } catch (const Exception&) {
        // A side file without its end record would only mislead a reader.
        file.reset();
        ::unlink(FileName.c_str());
        ZipUI().MessageBox("Unable to save Zip Configuration File to disk", "", TMsgButtons::Ok);
    }
}

// ---- Reading -----------------------------------------------------------------

std::unique_ptr<TStream> TZipReader::OpenZipConfigFile()
{
    const std::string name = ZipConfigFileName(zipName_);
    if (zipName_.empty() || !LFNFileExists(name))
        return nullptr;
    auto file = std::make_unique<TLFNFileStream>(name, fmOpenRead | fmShareDenyWrite, false, StreamBufferSize);
    // Only a set has a side file.
    if (!endRecord_.LoadFromStream(*file) || endRecord_.IsZip64() || endRecord_.ThisDisk == 0 ||
        endRecord_.ThisDisk > MaxDiskNumber || endRecord_.CentralDirDisk > endRecord_.ThisDisk)
        return nullptr;
    return file;
}

void TZipReader::ReadVolumeSetComment(TStream& stream)
{
    if (!endRecord_.HasComment())
        return;
    std::string text(endRecord_.ZipCommentLength(), '\0');
    stream.Seek(static_cast<std::int64_t>(endRecord_.CommentPosition), soFromBeginning);
    stream.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    endRecord_.SetComment(text);
    endRecord_.CommentChanged = false;
}

void TZipReader::ReadEntryComment(TStream& stream, TZipHeaderInfo& entry)
{
    stream.Seek(entry.CentralExtraLength, soFromCurrent);
    if (!entry.HasComment())
        return;
    std::string text(entry.CommentLength(), '\0');
    stream.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    entry.SetFileComment(text);
}
