// What a picture file holds, told by the signature its bytes begin with, so
// that a picture is read by what it is whatever its name says: a scanned
// bitmap saved as "scan1.jpg" is still a bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The graphic kinds a picture file is read into; QtBitmap: a format Qt
// reads (PNG, GIF, TIFF, WebP), held as a bitmap.
enum class TPictureFormat { Jpeg, Bitmap, Icon, Metafile, QtBitmap };

// How many leading bytes PictureFormatOf needs at most.
inline constexpr std::size_t PictureSignatureLength = 44;

// The format whose signature the bytes begin with; nullopt when they begin
// with none (too few bytes, or something else).
std::optional<TPictureFormat> PictureFormatOf(std::span<const std::uint8_t> head);

// The format a file name's extension (".jpg", any case) stands for;
// nullopt for an extension that names none.
std::optional<TPictureFormat> PictureFormatOfExtension(const std::string& extension);
