#include "files/IniFiles.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "Format.h"
#include "files/FileReplace.h"

namespace {

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y)); });
}

// A line "[name]": the name between the brackets, trimmed.
bool SectionName(const std::string& line, std::string& name)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] != '[')
        return false;
    const auto close = trimmed.find(']');
    name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// A line "key=value" (not a comment): the key, trimmed.
bool KeyName(const std::string& line, std::string& key)
{
    const std::string trimmed = Trim(line);
    const auto equals = trimmed.find('=');
    if (trimmed.empty() || trimmed[0] == '[' || trimmed[0] == ';' || equals == std::string::npos)
        return false;
    key = Trim(trimmed.substr(0, equals));
    return !key.empty();
}

// A zero byte ends a value, as it ends the profile functions' strings.
std::string WholeValueOf(const std::string& line)
{
    const auto start = line.find('=') + 1;
    std::string value = Trim(line.substr(start, line.find('\0', start) - start));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string ValueOf(const std::string& line)
{
    return WholeValueOf(line).substr(0, MaxIniValueLength);
}

// A value ends at a zero byte or a line break, as it would in the file.
std::string OneLine(const std::string& text) { return text.substr(0, text.find_first_of(std::string("\0\r\n", 3))); }

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool SurvivesIniValue(const std::string& value)
{
    return OneLine(value) == value && IniValueAsRead(value) == value;
}

std::string IniValueAsRead(const std::string& value) { return ValueOf("=" + OneLine(value)); }

TIniFile::TIniFile(const std::string& fileName) : TIniFile(fileName, true) {}

// Only a regular file has lines: a folder or a device of that name reads as
// empty, and writing over it fails as any write that cannot be made.
TIniFile::TIniFile(const std::string& fileName, bool writeThrough) : fileName_(fileName), writeThrough_(writeThrough)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return;
    std::ifstream in(fileName, std::ios::binary);
    if (in)
        lines_ = SplitLines(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue) const
{
    Range range{};
    std::size_t line = 0;
    if (!FindSection(section, range) || !FindKey(range, ident, line))
        return defaultValue;
    return ValueOf(lines_[line]);
}

std::string TIniFile::ReadWholeString(const std::string& section, const std::string& ident,
                                      const std::string& defaultValue) const
{
    Range range{};
    std::size_t line = 0;
    if (!FindSection(section, range) || !FindKey(range, ident, line))
        return defaultValue;
    return WholeValueOf(lines_[line]);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const
{
    const std::string text = ReadString(section, ident, "");
    const char* first = text.data() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    return text.empty() || error != std::errc() || end != last ? defaultValue : value;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    const std::string line = OneLine(ident) + "=" + OneLine(value);
    auto before = Snapshot();
    Range range{};
    std::size_t keyLine = 0;
    if (!FindSection(section, range)) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back("[" + OneLine(section) + "]");
        lines_.push_back(line);
    } else if (FindKey(range, ident, keyLine)) {
        lines_[keyLine] = line;
    } else {
        std::size_t last = range.end - 1;
        while (last > range.header && Trim(lines_[last]).empty())
            --last;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), line);
    }
    StoreOrRestore(std::move(before));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int value)
{
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const
{
    std::vector<std::string> keys;
    Range range{};
    std::string key;
    if (FindSection(section, range))
        for (std::size_t i = range.header + 1; i < range.end; ++i)
            if (KeyName(lines_[i], key))
                keys.push_back(key);
    return keys;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::vector<std::string> sections;
    std::string name;
    for (const auto& line : lines_)
        if (SectionName(line, name) &&
            std::none_of(sections.begin(), sections.end(), [&](const std::string& s) { return SameName(s, name); }))
            sections.push_back(name);
    return sections;
}

bool TIniFile::SectionExists(const std::string& section) const
{
    Range range{};
    return FindSection(section, range);
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
    Range range{};
    std::size_t line = 0;
    return FindSection(section, range) && FindKey(range, ident, line);
}

void TIniFile::EraseSection(const std::string& section)
{
    Range range{};
    if (!FindSection(section, range))
        return;
    auto before = Snapshot();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range.header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range.end));
    StoreOrRestore(std::move(before));
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    Range range{};
    std::size_t line = 0;
    if (!FindSection(section, range) || !FindKey(range, ident, line))
        return;
    auto before = Snapshot();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
    StoreOrRestore(std::move(before));
}

// The first section of that name counts, as with the profile functions.
bool TIniFile::FindSection(const std::string& section, Range& range) const
{
    std::string name;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!SectionName(lines_[i], name) || !SameName(name, section))
            continue;
        range.header = i;
        range.end = i + 1;
        while (range.end < lines_.size() && !SectionName(lines_[range.end], name))
            ++range.end;
        return true;
    }
    return false;
}

bool TIniFile::FindKey(const Range& range, const std::string& ident, std::size_t& line) const
{
    std::string key;
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (KeyName(lines_[i], key) && SameName(key, ident)) {
            line = i;
            return true;
        }
    }
    return false;
}

// A written-through change replaces the file whole; when that fails, the
// lines go back to what the file still holds.
void TIniFile::StoreOrRestore(std::vector<std::string> before)
{
    if (!writeThrough_)
        return;
    try {
        StoreAll();
    } catch (const EIniFileException&) {
        lines_ = std::move(before);
        throw;
    }
}

void TIniFile::StoreAll() const
{
    std::string text;
    for (const auto& line : lines_)
        text += line + "\r\n";
    if (!ReplaceFileContents(fileName_, text))
        throw EIniFileException(Format("Unable to write to %s: %s", {fileName_, std::strerror(errno)}));
}
