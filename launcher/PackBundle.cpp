// Build tool: packs a staged viewer folder behind the launcher into the
// self-contained viewer, the way the album compiler packs an album program.
//
//   pictoview_pack LAUNCHER FOLDER OUTPUT LEVEL
//
// Every file below FOLDER becomes an entry under its path relative to
// FOLDER, in name order, so the same files give the same archive, deflated
// at LEVEL (1 to 9).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "ZipWriter.h"

namespace {

std::vector<std::filesystem::path> FilesBelow(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        if (item.is_regular_file())
            files.push_back(item.path().lexically_relative(folder));
    std::sort(files.begin(), files.end());
    return files;
}

void Pack(const std::string& launcher, const std::filesystem::path& folder, const std::filesystem::path& output,
          int level)
{
    const std::filesystem::path archive = output.string() + ".zip";
    const std::filesystem::path program = output.string() + ".EXE";
    std::filesystem::remove(archive);
    std::vector<std::unique_ptr<TFileStream>> streams;
    std::vector<TStreamEntry> entries;
    for (const std::filesystem::path& file : FilesBelow(folder)) {
        streams.push_back(std::make_unique<TFileStream>((folder / file).string(), fmOpenRead));
        entries.push_back({streams.back().get(), file.string(), ""});
    }
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.PackLevel = level;
    writer.SetStorePaths(true);
    writer.SetZipName(archive.string());
    if (writer.AddStreamEntries(entries) != static_cast<int>(entries.size()))
        throw std::runtime_error("not every file of \"" + folder.string() + "\" could be packed");
    writer.MakeSelfExtractor(launcher);
    std::filesystem::remove(archive);
    std::filesystem::rename(program, output);
}

} // namespace

int main(int argc, char** argv)
{
    const int level = argc == 5 ? std::atoi(argv[4]) : 0;
    if (level < 1 || level > 9) {
        std::cerr << "usage: pictoview_pack LAUNCHER FOLDER OUTPUT LEVEL(1-9)\n";
        return 2;
    }
    try {
        Pack(argv[1], argv[2], argv[3], level);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "pictoview_pack: " << e.what() << '\n';
        return 1;
    }
}
