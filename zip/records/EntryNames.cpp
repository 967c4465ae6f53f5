#include "records/EntryNames.h"

#include <algorithm>

#include "records/CodePage437.h"

std::string DecodeStoredName(std::string_view stored, std::uint16_t flags, std::optional<std::uint8_t> host,
                             bool oemConvert)
{
    const bool madeOnMsDos = !host || *host == HostMsDos;
    std::string name;
    if ((flags & Utf8NameFlag) == 0 && oemConvert && madeOnMsDos)
        name = Cp437ToUtf8(stored);
    else
        name = std::string(stored);
    if (!host || *host != HostUnix)
        std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

TStoredName EncodeStoredName(std::string_view name, bool oemConvert)
{
    if (IsAscii(name))
        return {std::string(name), false};
    if (oemConvert)
        if (auto oem = Utf8ToCp437Exact(name))
            return {std::move(*oem), false};
    // Bytes that are not UTF-8 came raw from an archive: they go back raw.
    return {std::string(name), IsValidUtf8(name)};
}

std::uint8_t HostOfNewName(std::string_view name)
{
    return IsAscii(name) && name.find('\\') == std::string_view::npos ? HostMsDos : HostUnix;
}

TNameParts SplitEntryName(std::string_view name)
{
    const auto slash = name.rfind('/');
    if (slash == std::string_view::npos)
        return {"", std::string(name)};
    return {std::string(name.substr(0, slash + 1)), std::string(name.substr(slash + 1))};
}

TSafePath SafeExtractionPath(std::string_view name)
{
    if (name.find('\0') != std::string_view::npos)
        return {"", "the name holds a NUL byte"};
    std::string path;
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto end = std::min(name.find('/', start), name.size());
        const auto part = name.substr(start, end - start);
        if (part == "..")
            return {"", "the name leads out of the destination folder"};
        if (!part.empty() && part != ".") {
            if (!path.empty())
                path += '/';
            path += part;
        }
        start = end + 1;
    }
    if (path.empty())
        return {"", "the name is empty"};
    if (name.back() == '/')
        path += '/';
    return {path, ""};
}
