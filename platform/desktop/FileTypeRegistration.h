// The two file types the compiler registers at every start, kept as the keys
// and default values it tells the desktop about: albums (".pxa") open in the
// viewer beside the compiler, album projects (".pxp") in the compiler.
// TFileTypeRegistrar is where they go; TXdgFileTypeRegistrar (XdgFileTypes.h)
// reflects them into the desktop.
#pragma once

#include <string>
#include <vector>

#include "Exceptions.h"

struct TFileTypeKey {
    std::string Key;
    std::string Value;
    bool operator==(const TFileTypeKey&) const = default;
};

// Raised with the name of the value that could not be written; the default
// value's name is empty.
class ERegistryException : public Exception {
public:
    explicit ERegistryException(const std::string& valueName);
};

// The album type's three keys; folder is the compiler's folder with its
// trailing "/".
std::vector<TFileTypeKey> AlbumFileTypeKeys(const std::string& folder);
// The project type's three keys; program is the compiler's full path.
std::vector<TFileTypeKey> ProjectFileTypeKeys(const std::string& program);
// What a person reads as the kind of a file of the type, where a file
// manager shows it: "Pictoria album" for the album type, "Pictoria album
// project" for the project type; any other type's name as it stands.
std::string FileTypeDescription(const std::string& typeName);

class TFileTypeRegistrar {
public:
    virtual ~TFileTypeRegistrar() = default;
    // Registers one file type from its keys, in the order given. A key that
    // cannot be made is skipped without a word; a value that cannot be
    // written raises ERegistryException.
    virtual void Register(const std::vector<TFileTypeKey>& keys) = 0;
};
