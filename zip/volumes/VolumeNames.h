// The names and labels of a volume set. Block files are numbered from the
// archive's base name (its name without the extension): backup.zip gives
// backup.001, backup.002, ... backup.999, backup.1000; the ".zfc" side file
// is the base name with ".zfc". Every disk of a span holds the archive under
// its own name and is labelled "PKBACK# 001", "PKBACK# 002", ...
#pragma once

#include <cstdint>
#include <string>

// The highest disk number (0-based) the zip records hold: 0xFFFF marks a
// zip64 record. Volume 1000 and later are numbered as any other.
constexpr std::uint16_t MaxDiskNumber = 0xFFFE;

// The name without its extension (the part after the last "." of the last
// path component); the whole name when it has none.
std::string ArchiveBaseName(const std::string& archiveName);
// Volume number (1-based) of a block set whose archive has that name.
std::string BlockFileName(const std::string& archiveName, int volume);
std::string ZipConfigFileName(const std::string& archiveName);
// Number with at least three digits: 7 gives "007", 1000 "1000".
std::string VolumeNumberText(int volume);
std::string DiskLabelText(int volume);
// Whether label is a label this engine writes on the disks of a span.
bool IsSetDiskLabel(const std::string& label);
