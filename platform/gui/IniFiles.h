// INI files with the rules of the Windows profile functions. Section and key
// names compare without regard to case; values are trimmed of blanks and of
// one pair of matching quotes when read; a written key replaces the old line
// in place or is appended to the end of its section, a new section to the end
// of the file. The file's bytes are kept as they are (8-bit text); lines end
// with CRLF when written and with CRLF or LF when read. Every write goes
// straight to the file, replacing it through a temporary file beside it, so a
// failed write leaves the file as it was and raises EIniFileException.
#pragma once

#include <string>
#include <vector>

#include "Exceptions.h"

class EIniFileException : public Exception {
    using Exception::Exception;
};

class TIniFile {
public:
    // Reads the file if it exists; a missing file reads as empty.
    explicit TIniFile(const std::string& fileName);

    const std::string& FileName() const { return fileName_; }

    // The default when the key is missing; at most 2047 bytes of the value.
    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue) const;
    // The default when missing or not a decimal 32-bit number.
    int ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const;
    // Read as an integer: non-zero is true.
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;

    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    // Written as "1" or "0".
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    // Key names of a section, and section names, in file order.
    std::vector<std::string> ReadSection(const std::string& section) const;
    std::vector<std::string> ReadSections() const;
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);

private:
    struct Range {
        std::size_t header;  // index of the section's header line
        std::size_t end;     // one past its last line
    };
    bool FindSection(const std::string& section, Range& range) const;
    bool FindKey(const Range& range, const std::string& ident, std::size_t& line) const;
    void StoreOrRestore(std::vector<std::string> before);

    std::string fileName_;
    std::vector<std::string> lines_;
};
