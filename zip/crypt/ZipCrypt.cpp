#include "crypt/ZipCrypt.h"

#include "crc/Crc32.h"

std::uint8_t ExpectedCheckByte(std::uint16_t flags, std::uint32_t modDateTime, std::uint32_t crc32)
{
    const bool hasDataDescriptor = (flags & 0x0008) != 0;
    return hasDataDescriptor ? std::uint8_t(modDateTime >> 8) : std::uint8_t(crc32 >> 24);
}

void TZipCrypt::InitKeys(const std::string& password)
{
    Key0 = 0x12345678;
    Key1 = 0x23456789;
    Key2 = 0x34567890;
    for (const char c : password)
        UpdateKeys(static_cast<std::uint8_t>(c));
}

void TZipCrypt::UpdateKeys(std::uint8_t plain)
{
    Key0 = CRC32Step(plain, Key0);
    Key1 = (Key1 + (Key0 & 0xFF)) * 134775813 + 1;
    Key2 = CRC32Step(std::uint8_t(Key1 >> 24), Key2);
}

std::uint8_t TZipCrypt::DecryptByte() const
{
    const std::uint32_t temp = (Key2 | 2) & 0xFFFF;
    return std::uint8_t((temp * (temp ^ 1)) >> 8);
}

void TZipCrypt::DecryptBuffer(std::uint8_t* buffer, std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i) {
        buffer[i] ^= DecryptByte();
        UpdateKeys(buffer[i]);
    }
}

std::uint8_t TZipCrypt::EncryptByte(std::uint8_t plain)
{
    const std::uint8_t keystream = DecryptByte();
    UpdateKeys(plain);
    return plain ^ keystream;
}

void TZipCrypt::EncryptBuffer(std::uint8_t* buffer, std::int64_t count)
{
    EncryptBuffer(buffer, buffer, count);
}

void TZipCrypt::EncryptBuffer(const std::uint8_t* source, std::uint8_t* destination, std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i)
        destination[i] = EncryptByte(source[i]);
}

std::uint8_t TZipCrypt::CheckDecryptHeader(const std::string& password, TEncryptionHeader header)
{
    InitKeys(password);
    DecryptBuffer(header.data(), EncryptionHeaderSize);
    return header[EncryptionHeaderSize - 1];
}

TEncryptionHeader TZipCrypt::MakeEncryptionHeader(const std::string& password, std::uint32_t crc32,
    const TRandomSource& random)
{
    TEncryptionHeader header;
    // Early readers check both high bytes of the CRC, later ones the last.
    random(header.data(), EncryptionHeaderSize - 2);
    header[EncryptionHeaderSize - 2] = std::uint8_t(crc32 >> 16);
    header[EncryptionHeaderSize - 1] = std::uint8_t(crc32 >> 24);
    InitKeys(password);
    EncryptBuffer(header.data(), EncryptionHeaderSize);
    return header;
}
