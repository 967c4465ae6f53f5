// The traditional zip cipher (PKWARE's .ZIP application note, "Traditional
// PKWARE Encryption") and the 12-byte encryption header that opens every
// encrypted entry's data.
//
// The cipher is a stream cipher over three 32-bit keys. The password's bytes
// are fed through the key update from fixed starting keys; each data byte is
// xored with a keystream byte taken from Key2, and the keys are then updated
// with the plain byte, so both directions update with the same value. It is
// weak by today's standards and kept because every zip tool reads it.
//
// The header is 12 bytes encrypted with the entry's keys before its data:
// 11 random bytes, which make the keystream over the data differ each time
// even with the same password, then the check byte, which lets a reader tell
// a wrong password (all but about 1 in 256) before it decrypts any data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "crypt/RandomBytes.h"

constexpr int EncryptionHeaderSize = 12;
using TEncryptionHeader = std::array<std::uint8_t, EncryptionHeaderSize>;

// The value the 12th decrypted header byte must have. With general purpose
// flag bit 3 (sizes and CRC in a data descriptor after the data) the writer
// may not have known the CRC when it wrote the header, so the check byte is
// the high byte of the MS-DOS time (bits 8 to 15 of modDateTime); otherwise
// it is the CRC's high byte. modDateTime is the raw value from the header.
std::uint8_t ExpectedCheckByte(std::uint16_t flags, std::uint32_t modDateTime, std::uint32_t crc32);

// The three keys of one entry. They are set by InitKeys (or by one of the
// header routines, which call it) at the start of every encrypted entry and
// change with every byte passed through.
class TZipCrypt {
public:
    // The starting keys, then the key update with each byte of the password.
    void InitKeys(const std::string& password);
    // The key update with one plain byte.
    void UpdateKeys(std::uint8_t plain);
    // The keystream byte for the current keys (the same in both directions).
    std::uint8_t DecryptByte() const;

    // In place: each cipher byte becomes plain, then the keys take the plain byte.
    void DecryptBuffer(std::uint8_t* buffer, std::int64_t count);
    // One plain byte encrypted; the keys take the plain byte.
    std::uint8_t EncryptByte(std::uint8_t plain);
    // In place. A count of 0 or less does nothing, here and in DecryptBuffer.
    void EncryptBuffer(std::uint8_t* buffer, std::int64_t count);
    // From source into destination, source left as it is (for data the
    // caller still needs, such as a compressor's window). The two may be the
    // same buffer but must not otherwise overlap.
    void EncryptBuffer(const std::uint8_t* source, std::uint8_t* destination, std::int64_t count);

    // Keys from the password, then the header decrypted; returns its 12th
    // plain byte, which the caller compares with ExpectedCheckByte. A wrong
    // password is not an error here. The keys are left ready for the data.
    std::uint8_t CheckDecryptHeader(const std::string& password, TEncryptionHeader header);
    // Keys from the password, then the encrypted header for an entry whose
    // CRC-32 is crc32: 10 bytes from random, then the CRC's two high bytes
    // (bits 16 to 23, then 24 to 31). The
    // keys are left ready for the data.
    TEncryptionHeader MakeEncryptionHeader(const std::string& password, std::uint32_t crc32,
        const TRandomSource& random = SystemRandomBytes);

private:
    std::uint32_t Key0 = 0;
    std::uint32_t Key1 = 0;
    std::uint32_t Key2 = 0;
};
