#include "AlbumArchive.h"

#include <array>
#include <fstream>

#include "Format.h"
#include "ScopeExit.h"
#include "ZipExceptions.h"
#include "ZipMessages.h"

namespace pictoalbum {

namespace {

// An archive's first bytes are a local header's signature: a file that
// begins so but has no end record is an album cut short (or damaged at its
// end), anything else is some other file.
bool BeginsAsAnArchive(const std::string& fileName)
{
    std::array<char, 4> head{};
    std::ifstream file(fileName, std::ios::binary);
    return file.read(head.data(), head.size()) && head == std::array<char, 4>{'P', 'K', '\3', '\4'};
}

std::string WhyNoDirectory(const std::string& fileName)
{
    return BeginsAsAnArchive(fileName) ? "it is cut short or damaged" : "it is not an album file";
}

} // namespace

std::string AlbumFileProblem(const std::string& fileName, const std::string& reason)
{
    return Format("Couldn't Read the Album File %s: %s", {fileName, reason});
}

std::optional<std::string> ReadAlbumDirectory(TZipReader& reader)
{
    const std::string fileName = reader.GetZipName();
    bool noEndRecord = false;
    reader.IncompleteZipMode = izAssumeBad;
    reader.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode&) { noEndRecord = true; };
    const TScopeExit unhook([&] { reader.OnInCompleteZip = nullptr; });
    try {
        reader.ReadZip();
    } catch (const EBadZipFile& e) {
        if (noEndRecord)
            throw EAlbumFile(AlbumFileProblem(fileName, WhyNoDirectory(fileName)));
        const bool unreadable = e.what() == LoadStr(IDS_INVALIDZIP);
        throw EAlbumFile(AlbumFileProblem(fileName, unreadable ? "it is damaged" : e.what()));
    }
    if (noEndRecord)
        return Format("Couldn't Read All of the Album File %s: it is cut short or damaged", {fileName});
    return std::nullopt;
}

} // namespace pictoalbum
