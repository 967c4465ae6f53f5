#include "volumes/VolumeNames.h"

#include <cstdio>

namespace {

const std::string DiskLabelPrefix = "PKBACK# ";

} // namespace

std::string ArchiveBaseName(const std::string& archiveName)
{
    const std::size_t slash = archiveName.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = archiveName.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return archiveName;
    return archiveName.substr(0, dot);
}

std::string BlockFileName(const std::string& archiveName, int volume)
{
    return ArchiveBaseName(archiveName) + "." + VolumeNumberText(volume);
}

std::string ZipConfigFileName(const std::string& archiveName) { return ArchiveBaseName(archiveName) + ".zfc"; }

std::string VolumeNumberText(int volume)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03d", volume);
    return text;
}

std::string DiskLabelText(int volume) { return DiskLabelPrefix + VolumeNumberText(volume); }

bool IsSetDiskLabel(const std::string& label) { return label.starts_with(DiskLabelPrefix); }
