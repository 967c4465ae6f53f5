// The reader component's settings and per-entry accessors. Reading the
// directory is in directory/ZipDirectory.cpp.
#include "ZipReader.h"

#include <array>

#include "Exceptions.h"
#include "Format.h"
#include "LittleEndian.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipUI.h"
#include "files/ZipLib.h"
#include "records/ZipSignatures.h"

namespace {

// Where the file-open dialog for "folder/?" starts: that folder when it
// exists, else the root.
std::string InitialFolderOf(const std::string& value)
{
    const std::size_t slash = value.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : value.substr(0, slash + 1);
    return !folder.empty() && LFNDirectoryExists(folder) ? folder : std::string("/");
}

// Keeps the archive open for a comment read and closes it after, also when
// the read fails; a multi-volume archive keeps its current volume open.
class TCommentRead {
public:
    explicit TCommentRead(TZipReader& reader) : reader_(reader) { reader_.OpenZip(); }
    ~TCommentRead()
    {
        if (reader_.GetMultiMode() == mmNone)
            reader_.CloseZip();
    }
    TCommentRead(const TCommentRead&) = delete;
    TCommentRead& operator=(const TCommentRead&) = delete;

private:
    TZipReader& reader_;
};

} // namespace

TZipReader::TZipReader() : OnGetNextDisk(DefaultGetNextDisk), currentEntry_(NewHeaderInfo()) {}

void TZipReader::SetThisVersion(int) { thisVersion_ = 223; }

void TZipReader::SetZipName(const std::string& value)
{
    // Linux file names are case-sensitive: only the very same name keeps
    // the loaded directory.
    if (value == zipName_)
        return;
    std::string name = value;
    if (!value.empty() && value.back() == '?') {
        std::optional<std::string> chosen =
            ZipUI().OpenFileDialog(LoadStr(IDS_OPENZIP), LoadStr(IDS_ZIPFILESFILTER), InitialFolderOf(value));
        if (!chosen)
            throw EUserCanceled(LoadStr(IDS_CANCELZIPNAME));
        name = *chosen;
    }
    UseZipName(name);
}

void TZipReader::UseZipName(const std::string& name)
{
    zipName_ = name;
    DropDirectory();
    endRecord_.Clear();
    archiveStream_.reset();
    rebuilt_ = false;
}

void TZipReader::Assign(const TZipReader& source)
{
    if (&source == this)
        return;
    // Plain values: no dialog for a name ending in "?"; a directory read
    // from another archive is not kept under the new name.
    if (source.zipName_ != zipName_)
        UseZipName(source.zipName_);
    destDir_ = source.destDir_;
    rootDir_ = source.rootDir_;
    SortMode = source.SortMode;
    RecreateDirs = source.RecreateDirs;
    OverwriteMode = source.OverwriteMode;
    filesList_ = source.filesList_;
    DoAll = source.DoAll;
    IncompleteZipMode = source.IncompleteZipMode;
    KeepZipOpen = source.KeepZipOpen;
    DoProcessMessages = source.DoProcessMessages;
    RetainAttributes = source.RetainAttributes;
    ReplaceReadOnly = source.ReplaceReadOnly;
    OnStartUnZipInfo = source.OnStartUnZipInfo;
    OnFilePercentDone = source.OnFilePercentDone;
    OnTotalPercentDone = source.OnTotalPercentDone;
    OnStartUnZip = source.OnStartUnZip;
    OnEndUnZip = source.OnEndUnZip;
    OnPromptForOverwrite = source.OnPromptForOverwrite;
    OnSkippingFile = source.OnSkippingFile;
    OnBadPassword = source.OnBadPassword;
    OnBadCRC = source.OnBadCRC;
    OnInCompleteZip = source.OnInCompleteZip;
    OnGetNextDisk = source.OnGetNextDisk;
    OnUnZipComplete = source.OnUnZipComplete;
    OnGetNextBuffer = source.OnGetNextBuffer;
}

void TZipReader::SetDestDir(const std::string& value)
{
    std::string folder = value;
    if (value == "?") {
        std::string start = destDir_;
        if (!LFNDirectoryExists(start))
            LFNGetDir(0, start);
        std::optional<std::string> chosen = ZipUI().SelectFolder(start);
        if (!chosen)
            throw EUserCanceled(LoadStr(IDS_CANCELDEST));
        folder = *chosen;
    }
    // The root keeps its only separator.
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    destDir_ = folder;
}

void TZipReader::SetRootDir(const std::string& value)
{
    rootDir_ = value;
    if (!rootDir_.empty() && rootDir_.back() != '/')
        rootDir_ += '/';
}

TZipHeaderInfo& TZipReader::EntryAt(int index) const
{
    const TSortedZip* view = SortedView();
    if (!view || index < 0 || index >= view->Count())
        throw EListError(Format(LoadStr(IDS_INDEXOUTOFRANGE), {IntToStr(index)}));
    return *view->Entry(index);
}

std::string TZipReader::GetFilename(int index) const { return EntryAt(index).Filename(); }

std::time_t TZipReader::GetDateTime(int index) const
{
    const std::optional<std::time_t> time = DosDateTimeToTime(EntryAt(index).ModDateTime);
    return time ? *time : std::time(nullptr);
}

bool TZipReader::GetEncrypted(int index) const { return EntryAt(index).Encrypted(); }

std::string TZipReader::ReadCommentAt(std::uint64_t position, std::size_t length)
{
    std::string text(length, '\0');
    archiveStream_->Seek(static_cast<std::int64_t>(position), soFromBeginning);
    archiveStream_->ReadBuffer(text.data(), static_cast<std::int64_t>(length));
    return text;
}

std::string TZipReader::GetFileComment(int index)
{
    if (!EntryAt(index).HasComment())
        return "";
    if (EntryAt(index).FileComment())
        return *EntryAt(index).FileComment();
    TCommentRead open(*this);
    // Opening may have read a changed archive's directory again.
    TZipHeaderInfo& entry = EntryAt(index);
    std::array<std::uint8_t, CentralHeaderSize> header{};
    archiveStream_->Seek(static_cast<std::int64_t>(entry.CentralHeaderOffset), soFromBeginning);
    archiveStream_->ReadBuffer(header.data(), CentralHeaderSize);
    // The header must still be this entry's: the comment follows its name
    // and extra field.
    if (GetU32(header.data()) != CentralSignature() || GetU16(header.data() + 32) != entry.CommentLength())
        throw EBadZipFile(LoadStr(IDS_INVALIDZIP));
    const std::uint64_t commentPosition =
        entry.CentralHeaderOffset + CentralHeaderSize + GetU16(header.data() + 28) + GetU16(header.data() + 30);
    const std::string text = ReadCommentAt(commentPosition, entry.CommentLength());
    const bool changed = endRecord_.CommentChanged;
    entry.SetFileComment(text);
    endRecord_.CommentChanged = changed;
    return text;
}

std::string TZipReader::GetZipComment()
{
    if (!endRecord_.HasComment())
        return "";
    if (endRecord_.ZipComment())
        return *endRecord_.ZipComment();
    TCommentRead open(*this);
    const std::string text = ReadCommentAt(endRecord_.CommentPosition, endRecord_.ZipCommentLength());
    const bool changed = endRecord_.CommentChanged;
    endRecord_.SetComment(text);
    endRecord_.CommentChanged = changed;
    return text;
}

namespace {

// Whether text is the comment already there. A comment not read yet is
// known only to be there, so any text counts as a change to it.
bool SameComment(std::size_t length, const std::optional<std::string>& held, std::string_view text)
{
    return held ? *held == text : length == 0 && text.empty();
}

} // namespace

void TZipReader::SetFileComment(int index, std::string_view text)
{
    TZipHeaderInfo& entry = EntryAt(index);
    if (SameComment(entry.CommentLength(), entry.FileComment(), text))
        return;
    entry.SetFileComment(text);
    endRecord_.CommentChanged = true;
}

void TZipReader::SetZipComment(std::string_view text)
{
    if (SameComment(endRecord_.ZipCommentLength(), endRecord_.ZipComment(), text))
        return;
    endRecord_.SetComment(text);
    endRecord_.CommentChanged = true;
}

void TZipReader::SetSelected(int index, bool value)
{
    TZipHeaderInfo& entry = EntryAt(index);
    if (entry.Selected == value)
        return;
    entry.Selected = value;
    selectedCount_ += value ? 1 : -1;
}
