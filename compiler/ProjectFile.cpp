#include "ProjectFile.h"

#include <filesystem>
#include <optional>

#include "IniFiles.h"
#include "KeyWordScrambling.h"

namespace pictomake {

namespace {

const std::string SettingsSection = "Settings";
const std::string DefaultCaption = "Put Caption Here";
const std::string HexSuffix = "Hex";

std::string PictureSection(std::size_t n)
{
    return "Image" + std::to_string(n);
}

std::string ToHex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> FromHex(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

// Quotes keep blanks and quotes at the ends; a zero byte or a line break
// still ends the value.
bool SurvivesQuoted(const std::string& value)
{
    return value.find_first_of(std::string("\0\r\n", 3)) == std::string::npos && value.size() <= MaxIniValueLength;
}

// Under its own key as far as a line carries it; in full in the companion
// key when that is not all of it.
void WriteScrambled(TIniFile& ini, const std::string& section, const std::string& ident,
                    const std::string& writtenValue, const std::string& value, bool survives)
{
    ini.WriteString(section, ident, writtenValue);
    if (survives)
        ini.DeleteKey(section, ident + HexSuffix);
    else
        ini.WriteString(section, ident + HexSuffix, ToHex(value));
}

// The companion key when it holds well-formed bytes, else the key itself.
std::string ReadScrambled(const TIniFile& ini, const std::string& section, const std::string& ident,
                          const std::string& defaultValue)
{
    if (ini.ValueExists(section, ident + HexSuffix))
        if (auto bytes = FromHex(ini.ReadString(section, ident + HexSuffix, "")))
            return *bytes;
    return ini.ReadString(section, ident, defaultValue);
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
        picture.Source = ini.ReadString(section, "Picture", "");
        if (picture.Source.empty())
            return pictures;
        picture.Caption = ReadScrambled(ini, section, "Caption", DefaultCaption);
        picture.Protected = ini.ReadBool(section, "Encrypt", false);
        pictures.push_back(std::move(picture));
    }
}

TAlbumSettings TProjectFile::Settings() const
{
    const TIniFile ini(fileName_);
    TAlbumSettings settings;
    settings.Password =
        pictoalbum::Decrypt(ReadScrambled(ini, SettingsSection, "Password", ""), pictoalbum::PasswordKeyWord);
    settings.AllowSave = ini.ReadBool(SettingsSection, "AllowSave", true);
    settings.Title = ini.ReadString(SettingsSection, "Title", "");
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
        ini.WriteString(section, "Picture", picture.Source);
        WriteScrambled(ini, section, "Caption", picture.Caption, picture.Caption,
                       SurvivesIniValue(picture.Caption));
        ini.WriteBool(section, "Encrypt", picture.Protected);
    }
    // In quotes, so blanks at its ends survive.
    const std::string password = pictoalbum::Encrypt(settings.Password, pictoalbum::PasswordKeyWord);
    const std::string quoted = "\"" + password + "\"";
    WriteScrambled(ini, SettingsSection, "Password", quoted, password, SurvivesQuoted(password));
    ini.WriteBool(SettingsSection, "AllowSave", settings.AllowSave);
    ini.WriteString(SettingsSection, "Title", settings.Title);
    ini.WriteBool(SettingsSection, "ShowSlide", settings.ShowSlide);
    for (std::size_t k = pictures.size() + 1; !ini.ReadString(PictureSection(k), "Picture", "").empty(); ++k)
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
