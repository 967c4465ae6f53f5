#include "AlbumArchive.h"

#include <array>
#include <fstream>

#include "Format.h"
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

void ReadAlbumDirectory(TZipReader& reader)
{
    const std::string fileName = reader.GetZipName();
    try {
        reader.ReadZip();
    } catch (const EIncompleteZip&) {
        reader.ClearZip();
        throw EAlbumFile(AlbumFileProblem(fileName, WhyNoDirectory(fileName)));
    } catch (const ENotAZipFile&) {
        throw EAlbumFile(AlbumFileProblem(fileName, WhyNoDirectory(fileName)));
    } catch (const EBadZipFile& e) {
        const bool unreadable = e.what() == LoadStr(IDS_INVALIDZIP);
        throw EAlbumFile(AlbumFileProblem(fileName, unreadable ? "it is damaged" : e.what()));
    }
}

} // namespace pictoalbum
