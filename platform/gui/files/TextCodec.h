// 8-bit text to Qt text and back. Text read from files is bytes; it is taken
// as UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise (files made
// on Windows).
#pragma once

#include <string>

#include <QString>

#include "Utf8.h"

QString BytesToQString(const std::string& bytes);
// UTF-8 bytes of the text (the locale's code page here).
std::string QStringToBytes(const QString& text);

// Text read from a file, as UTF-8: the bytes themselves when they are valid
// UTF-8, else decoded as Windows-1252.
std::string FileTextToUtf8(const std::string& bytes);

// Windows-1252 bytes to UTF-8; the five bytes the code page leaves undefined
// become U+0080..U+009F like their Latin-1 neighbours.
std::string Windows1252ToUtf8(const std::string& bytes);
// UTF-8 to Windows-1252; characters the code page lacks become "?".
std::string Utf8ToWindows1252(const std::string& utf8);
