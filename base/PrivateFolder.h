// A folder of this process's own: made with mkdtemp under $TMPDIR (/tmp when
// unset), mode 0700, so no other user can read or plant files in it, and
// removed with everything in it when the object goes, whether the work in it
// went well or not. The album program unpacks into one; the viewer extracts
// its album settings file into one.
#pragma once

#include <filesystem>
#include <string>

class TPrivateFolder {
public:
    TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;
    ~TPrivateFolder();

    const std::filesystem::path& Path() const { return path_; }
    // Creates the empty file name inside the folder and returns its path;
    // raises when the name is taken, so nothing is ever written twice.
    std::filesystem::path CreateFile(const std::string& name) const;

private:
    std::filesystem::path path_;
};
