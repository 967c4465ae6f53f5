#include "ProjectFile.h"

#include <filesystem>
#include <optional>

#include "CarriedValue.h"
#include "KeyWordScrambling.h"
#include "files/IniFiles.h"

namespace pictomake {

namespace {

const std::string SettingsSection = "Settings";
const std::string DefaultCaption = "Put Caption Here";

std::string PictureSection(std::size_t n)
{
    return "Image" + std::to_string(n);
}

// Quotes keep blanks and quotes at the ends; a zero byte or a line break
// still ends the value.
bool SurvivesQuoted(const std::string& value)
{
    return value.find_first_of(std::string("\0\r\n", 3)) == std::string::npos && value.size() <= MaxIniValueLength;
}

// The scrambled password in quotes as far as a line carries it; in full in
// its companion key when that is not all of it.
void WritePassword(TIniFile& ini, const std::string& password)
{
    const std::string ident = "Password";
    ini.WriteString(SettingsSection, ident, "\"" + password + "\"");
    if (SurvivesQuoted(password))
        ini.DeleteKey(SettingsSection, pictoalbum::CompanionKey(ident));
    else
        ini.WriteString(SettingsSection, pictoalbum::CompanionKey(ident), pictoalbum::HexOf(password));
}

// A picture's source; empty at the end of the list.
std::string SourceOf(const TIniFile& ini, std::size_t n)
{
    return pictoalbum::ReadCarriedValue(ini, PictureSection(n), "Picture", "");
}

} // namespace

TProjectFile::TProjectFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::vector<TProjectPicture> TProjectFile::Pictures() const
{
    const TIniFile ini(fileName_);
    std::vector<TProjectPicture> pictures;
    for (std::size_t n = 1;; ++n) {
        const std::string section = PictureSection(n);
        TProjectPicture picture;
        picture.Source = SourceOf(ini, n);
        if (picture.Source.empty())
            return pictures;
        picture.Caption = pictoalbum::ReadCarriedValue(ini, section, "Caption", DefaultCaption);
        picture.Protected = ini.ReadBool(section, "Encrypt", false);
        pictures.push_back(std::move(picture));
    }
}

TAlbumSettings TProjectFile::Settings() const
{
    const TIniFile ini(fileName_);
    TAlbumSettings settings;
    settings.Password =
        pictoalbum::Decrypt(pictoalbum::ReadCarriedValue(ini, SettingsSection, "Password", ""), pictoalbum::PasswordKeyWord);
    settings.AllowSave = ini.ReadBool(SettingsSection, "AllowSave", true);
    settings.Title = pictoalbum::ReadCarriedValue(ini, SettingsSection, "Title", "");
    settings.ShowSlide = ini.ReadBool(SettingsSection, "ShowSlide", false);
    return settings;
}

void TProjectFile::Save(const std::vector<TProjectPicture>& pictures, const TAlbumSettings& settings) const
{
    TMemIniFile ini(fileName_);
    Write(ini, pictures, settings);
}

void TProjectFile::SaveFresh(const std::vector<TProjectPicture>& pictures, const TAlbumSettings& settings) const
{
    TMemIniFile ini(fileName_);
    for (const std::string& section : ini.ReadSections())
        ini.EraseSection(section);
    Write(ini, pictures, settings);
}

void TProjectFile::Write(TMemIniFile& ini, const std::vector<TProjectPicture>& pictures,
                         const TAlbumSettings& settings) const
{
    for (std::size_t n = 1; n <= pictures.size(); ++n) {
        const TProjectPicture& picture = pictures[n - 1];
        const std::string section = PictureSection(n);
        pictoalbum::WriteCarriedValue(ini, section, "Picture", picture.Source);
        pictoalbum::WriteCarriedValue(ini, section, "Caption", picture.Caption);
        ini.WriteBool(section, "Encrypt", picture.Protected);
    }
    // In quotes, so blanks at its ends survive.
    WritePassword(ini, pictoalbum::Encrypt(settings.Password, pictoalbum::PasswordKeyWord));
    ini.WriteBool(SettingsSection, "AllowSave", settings.AllowSave);
    pictoalbum::WriteCarriedValue(ini, SettingsSection, "Title", settings.Title);
    ini.WriteBool(SettingsSection, "ShowSlide", settings.ShowSlide);
    for (std::size_t k = pictures.size() + 1; !SourceOf(ini, k).empty(); ++k)
        ini.EraseSection(PictureSection(k));
    ini.UpdateFile();
}

std::string StoredCaption(const std::string& caption, bool isProtected, const std::string& password)
{
    return isProtected ? pictoalbum::Encrypt(caption, pictoalbum::GetWordPass(password)) : caption;
}

std::string ReadableCaption(const std::string& storedCaption, bool isProtected, const std::string& password)
{
    return isProtected ? pictoalbum::Decrypt(storedCaption, pictoalbum::GetWordPass(password)) : storedCaption;
}

std::string AlbumNameOf(const std::string& projectFileName)
{
    const std::string name = std::filesystem::path(projectFileName).filename().string();
    const std::size_t dot = name.find('.');
    return dot == std::string::npos ? "" : name.substr(0, dot);
}

} // namespace pictomake
