// Making a self-extracting program: a copy of a stub program followed by all
// the entries of the archive ZipName names, its central directory and its end
// record, every offset counted from the start of the program file. It is
// written as name.EXE beside the archive by one build pass over the archive
// (BuildArchive.cpp), which copies the stub first and keeps every entry as it
// is; the archive itself is left unchanged.
#include "Exceptions.h"
#include "Format.h"
#include "ScopeExit.h"
#include "ZipWriter.h"
#include "files/FileNameParts.h"
#include "files/ZipLib.h"

namespace {

// The archive's name with the extension ".EXE" in place of its own, or added
// when it has none.
std::string ProgramNameOf(const std::string& zipName)
{
    const std::string name = ExtractFileName(zipName);
    const std::size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    return ExtractFilePath(zipName) + base + ".EXE";
}

} // namespace

void TZipWriter::MakeSelfExtractor(const std::string& stubFileName, bool)
{
    if (TrimBlanks(GetZipName()).empty())
        return;
    const std::string target = ProgramNameOf(GetZipName());
    CheckSelfExtractorSource(target);
    stub_ = std::make_unique<TLFNFileStream>(stubFileName, fmOpenRead, false, StreamBufferSize);
    selfExtractorTarget_ = target;
    TScopeExit leaveMode([this] {
        stub_.reset();
        selfExtractorTarget_.clear();
    });
    // The program holds the archive as it is: nothing listed joins it.
    FilesList().clear();
    BuildArchive();
}

// A program is made from one whole archive file, and never over it.
void TZipWriter::CheckSelfExtractorSource(const std::string& target) const
{
    if (GetMultiMode() != mmNone)
        throw EWriteError("A multi-volume archive cannot be made into a self-extracting program");
    if (!LFNFileExists(GetZipName()))
        throw EFOpenError(Format("Cannot make a self-extracting program: there is no archive \"%s\"", {GetZipName()}));
    if (IsArchiveItself(target))
        throw EFCreateError(
            Format("Cannot make a self-extracting program: \"%s\" would replace its own archive", {target}));
}
