// The album project file (.pxp): INI text with a section per picture,
// "Image" followed by its number ("Picture": its source, "Caption",
// "Encrypt": its protect mark), and the section "Settings" ("Password",
// "AllowSave", "Title", "ShowSlide"). The password is scrambled with a fixed
// key word, the captions of protected pictures with the password's.
//
// Scrambled text, file names and titles can hold bytes an INI line cannot
// carry (a zero byte, line breaks, blanks or quotes at its ends). Such a
// value is still written under its own key, as far as the line takes it,
// for other programs that read these files; beside it goes a companion key
// ("PictureHex", "CaptionHex", "TitleHex", "PasswordHex") holding its bytes
// in hexadecimal, which this reader prefers.
#pragma once

#include <string>
#include <vector>

class TMemIniFile;

namespace pictomake {

struct TProjectPicture {
    std::string Source;
    // As stored: scrambled when Protected.
    std::string Caption;
    bool Protected = false;
    bool operator==(const TProjectPicture&) const = default;
};

struct TAlbumSettings {
    // In plain text.
    std::string Password;
    bool AllowSave = true;
    std::string Title;
    bool ShowSlide = false;
    bool operator==(const TAlbumSettings&) const = default;
};

class TProjectFile {
public:
    // Reads the file when it exists; a missing file reads as empty.
    explicit TProjectFile(std::string fileName);

    // Pictures 1, 2, ... up to the first whose section has no "Picture". A
    // missing caption reads as "Put Caption Here", a missing or unreadable
    // protect mark as unprotected.
    std::vector<TProjectPicture> Pictures() const;
    // A missing section or key gives the default settings' value.
    TAlbumSettings Settings() const;

    // Writes the pictures' sections in order, then the settings, keeping
    // whatever else the file holds, and removes the sections of pictures
    // past the last. The file is replaced whole or not at all: a failure
    // raises EIniFileException "Unable to write to %s: %s".
    void Save(const std::vector<TProjectPicture>& pictures, const TAlbumSettings& settings) const;
    // The same, but nothing of what the file held survives: for a project
    // saved over another one.
    void SaveFresh(const std::vector<TProjectPicture>& pictures, const TAlbumSettings& settings) const;

private:
    void Write(TMemIniFile& ini, const std::vector<TProjectPicture>& pictures, const TAlbumSettings& settings) const;

    std::string fileName_;
};

// A caption as a picture's section stores it: scrambled with the key word
// of the album password when the picture is protected, else as it is.
std::string StoredCaption(const std::string& caption, bool isProtected, const std::string& password);
// The other way round.
std::string ReadableCaption(const std::string& storedCaption, bool isProtected, const std::string& password);

// The album's name for display: the project file's name without folder, up
// to its first "." (empty when it has none).
std::string AlbumNameOf(const std::string& projectFileName);

} // namespace pictomake
