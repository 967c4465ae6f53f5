#include "AlbumUnpack.h"

#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

#include "AppendedArchive.h"
#include "Stream.h"
#include "ZipReader.h"

namespace {

const std::string ViewerName = "pictoview.exe";
const std::string AlbumExtension = ".pxa";

struct TEntryFile {
    int Index;
    std::string Name;     // as stored, for messages
    std::string BaseName; // the file's name in the private folder
};

std::runtime_error EntryError(const std::string& name, const std::string& problem)
{
    return std::runtime_error("entry \"" + name + "\" " + problem);
}

// The part after the last "/": the compiler stores full paths with "/", and
// the reader gives the "\" between the folders of a name made on Windows as
// "/". A "\" in a name made on Unix is a character of the name: an album
// called "Kids \ Ann" keeps its whole name.
std::string BaseNameOf(const std::string& name)
{
    const std::size_t separator = name.rfind('/');
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

// Every entry's file, checked so that each lands as a file of its own inside
// the folder and can be unpacked at all.
std::vector<TEntryFile> EntryFiles(const TZipReader& reader)
{
    std::vector<TEntryFile> files;
    std::set<std::string> taken;
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        TEntryFile file{i, entry.FullName(), BaseNameOf(entry.FullName())};
        if (file.BaseName.empty() || file.BaseName == "." || file.BaseName == ".." ||
            file.BaseName.find('\0') != std::string::npos)
            throw EntryError(file.Name, "has no usable file name");
        if (!taken.insert(file.BaseName).second)
            throw EntryError(file.Name, "repeats the file name \"" + file.BaseName + "\"");
        if (entry.Encrypted())
            throw EntryError(file.Name, "is encrypted");
        if (!TZipReader::SupportsMethod(entry.CompressionMethod))
            throw EntryError(file.Name, "uses compression method " + std::to_string(entry.CompressionMethod) +
                                            ", which this program cannot unpack");
        files.push_back(std::move(file));
    }
    return files;
}

bool IsAlbum(const TEntryFile& file) { return std::filesystem::path(file.BaseName).extension() == AlbumExtension; }
bool IsViewer(const TEntryFile& file) { return file.BaseName == ViewerName; }

// The one entry that is, raising when there is none or more than one.
template <class Predicate>
const TEntryFile& TheOnly(const std::vector<TEntryFile>& files, Predicate is, const std::string& what)
{
    const TEntryFile* found = nullptr;
    for (const TEntryFile& file : files) {
        if (!is(file))
            continue;
        if (found)
            throw std::runtime_error("the archive holds more than one " + what);
        found = &file;
    }
    if (!found)
        throw std::runtime_error("the archive holds no " + what);
    return *found;
}

void ReadDirectory(TZipReader& reader, const std::string& programFile)
{
    try {
        ReadAppendedArchive(reader, programFile);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("no album archive found in this program: ") + e.what());
    }
}

void Extract(TZipReader& reader, const TEntryFile& file, const std::filesystem::path& target)
{
    try {
        TFileStream output(target.string(), fmOpenWrite);
        if (reader.UnZipToStreamByIndex(&output, file.Index) == 1)
            return;
    } catch (const std::exception& e) {
        throw EntryError(file.Name, std::string("cannot be unpacked: ") + e.what());
    }
    throw EntryError(file.Name, "is damaged: its data are broken or fail their CRC check");
}

} // namespace

TUnpackedAlbum UnpackAlbum(const std::string& programFile, const TPrivateFolder& folder)
{
    TZipReader reader;
    ReadDirectory(reader, programFile);
    const std::vector<TEntryFile> files = EntryFiles(reader);
    const TEntryFile& viewer = TheOnly(files, IsViewer, "viewer \"" + ViewerName + "\"");
    const TEntryFile& album = TheOnly(files, IsAlbum, "album (\"" + AlbumExtension + "\")");
    for (const TEntryFile& file : files)
        Extract(reader, file, folder.CreateFile(file.BaseName));
    const TUnpackedAlbum unpacked{folder.Path() / viewer.BaseName, folder.Path() / album.BaseName};
    std::filesystem::permissions(unpacked.Viewer, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    return unpacked;
}
