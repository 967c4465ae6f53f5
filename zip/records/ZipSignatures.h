// The signatures that open the zip records (PKWARE application note, 4.3).
// They are module-wide values so that a program can make archives with
// private signatures: every record read compares against the current values
// and every record write writes them. The defaults are in force from program
// start; `SetSignatures` changes them for the whole engine.
#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t DefaultCentralSignature = 0x02014B50; // "PK\1\2"
constexpr std::uint32_t DefaultLocalSignature = 0x04034B50;   // "PK\3\4"
constexpr std::uint32_t DefaultEndSignature = 0x06054B50;     // "PK\5\6"
// The zip64 end-of-central-directory locator lies just before the end record
// of an archive that needs zip64 fields. This engine does not read zip64; it
// only recognises the locator so the directory reader can say so.
constexpr std::uint32_t Zip64EndLocatorSignature = 0x07064B50; // "PK\6\7"
// The optional signature in front of a data descriptor (the CRC and sizes
// that follow an entry's data when its local header could not hold them).
constexpr std::uint32_t DataDescriptorSignature = 0x08074B50; // "PK\7\8"

// Sets the three signatures; 0 selects that record's default. Also refreshes
// the cached local signature bytes and first end signature byte.
void SetSignatures(std::uint32_t central, std::uint32_t local, std::uint32_t end);

std::uint32_t CentralSignature();
std::uint32_t LocalSignature();
std::uint32_t EndSignature();
// The local signature as the four bytes in file order, for the recovery scan
// that looks for local headers byte by byte.
const std::array<std::uint8_t, 4>& LocalSignatureBytes();
// The first byte of the end signature in file order, for the backward scan.
std::uint8_t EndSignatureFirstByte();
