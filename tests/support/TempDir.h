// A private folder for one test, made with mkdtemp and removed with all its
// contents when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

class TempDir {
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/pictoria-test-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& Path() const { return path_; }
    // The folder's path with a trailing "/", as the engine's folder routines take it.
    std::string Folder() const { return path_.string() + "/"; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    // Writes a file below the folder, making its parent folders.
    std::string Write(const std::string& name, const std::string& contents) const
    {
        const auto file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// The whole contents of a file as bytes.
inline std::string ReadFileBytes(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
