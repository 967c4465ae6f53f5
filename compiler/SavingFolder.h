// Where a save writes the new album file before it replaces the old one: a
// folder of the save's own beside the album file. Its name is short whatever
// the album's is, so an album named up to the system's limit can be saved;
// it is made fresh for each save, so nothing a cut-short save left behind
// stands in the way; it goes, with what it holds, when the save ends.
#pragma once

#include <string>

namespace pictomake {

class TSavingFolder {
public:
    // EFCreateError "Cannot create file "ALBUM". REASON", naming the album
    // file, when its folder takes no new folder.
    explicit TSavingFolder(const std::string& albumFile);
    ~TSavingFolder();
    TSavingFolder(const TSavingFolder&) = delete;
    TSavingFolder& operator=(const TSavingFolder&) = delete;

    // The name the new album file is written under.
    std::string File() const { return folder_ + "/album.pxa"; }

private:
    std::string folder_;
};

} // namespace pictomake
