// Reading an album file's archive directory, for the viewer that opens the
// album and the compiler that opens its project. Whatever the file holds,
// what cannot be read as an album is told in one form that names the file:
// "Couldn't Read the Album File PATH: <reason>".
#pragma once

#include <optional>
#include <string>

#include "Exceptions.h"
#include "ZipReader.h"

namespace pictoalbum {

// A file that cannot be read as an album, its message in the form above.
class EAlbumFile : public Exception {
    using Exception::Exception;
};

// "Couldn't Read the Album File PATH: reason".
std::string AlbumFileProblem(const std::string& fileName, const std::string& reason);

// Reads the directory of the album file reader names (GetZipName). A file
// without an end record is read from its entries' own headers, so that an
// album cut short keeps the pictures it still holds: what is then found is
// read, and the problem to tell is returned ("Couldn't Read All of the Album
// File PATH: it is cut short or damaged"). A file that is no archive, or one
// that is damaged or cut short beyond that, raises EAlbumFile with
// AlbumFileProblem and the reason; the reader is then cleared. A file that
// cannot be opened raises the file error, which names it.
std::optional<std::string> ReadAlbumDirectory(TZipReader& reader);

} // namespace pictoalbum
