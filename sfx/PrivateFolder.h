// The folder the album program unpacks into: made with mkdtemp under $TMPDIR
// (/tmp when unset), so only this user can enter it, and removed with
// everything in it when the object goes, whether the run worked or not.
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
