// The viewer's own folder for the album settings file it extracts: made
// with mkdtemp under $TMPDIR (/tmp when unset), mode 0700, so no other user
// can read or plant the file, and removed with everything in it when the
// object goes.
#pragma once

#include <string>

namespace pictoview {

class TSettingsFolder {
public:
    TSettingsFolder();
    TSettingsFolder(const TSettingsFolder&) = delete;
    TSettingsFolder& operator=(const TSettingsFolder&) = delete;
    ~TSettingsFolder();

    // The folder's path, ending in "/".
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace pictoview
