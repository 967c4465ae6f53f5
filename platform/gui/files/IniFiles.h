// INI files with the rules of the Windows profile functions. Section and key
// names compare without regard to case; values are trimmed of blanks and of
// one pair of matching quotes when read; a written key replaces the old line
// in place or is appended to the end of its section, a new section to the end
// of the file. The file's bytes are kept as they are (8-bit text); lines end
// with CRLF when written and with CRLF or LF when read. Every write of a
// TIniFile goes straight to the file, replacing it through a temporary file
// beside it, so a failed write leaves the file as it was and raises
// EIniFileException. A TMemIniFile gathers its writes and replaces the file
// once, at UpdateFile.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Exceptions.h"

class EIniFileException : public Exception {
    using Exception::Exception;
};

// The most bytes of a value that a read hands out, as the profile functions.
inline constexpr std::size_t MaxIniValueLength = 2047;

// True when value, written as a key's value, reads back unchanged: no zero
// byte or line break, no blank at either end, no enclosing pair of quotes,
// and within the length a read hands out.
bool SurvivesIniValue(const std::string& value);
// What a read gives back for a key written with value, a line's worth of
// text: blanks at its ends and an enclosing pair of quotes dropped, cut to
// the length a read hands out.
std::string IniValueAsRead(const std::string& value);

class TIniFile {
public:
    // Reads the file if it exists; a missing file reads as empty.
    explicit TIniFile(const std::string& fileName);
    virtual ~TIniFile() = default;

    const std::string& FileName() const { return fileName_; }

    // The default when the key is missing; at most 2047 bytes of the value.
    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue) const;
    // The same without that limit: for keys that only this system writes,
    // such as the companion that carries a long value in hexadecimal.
    std::string ReadWholeString(const std::string& section, const std::string& ident,
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

protected:
    TIniFile(const std::string& fileName, bool writeThrough);
    // The whole text replaces the file; raises EIniFileException when it
    // cannot.
    void StoreAll() const;

private:
    struct Range {
        std::size_t header;  // index of the section's header line
        std::size_t end;     // one past its last line
    };
    bool FindSection(const std::string& section, Range& range) const;
    bool FindKey(const Range& range, const std::string& ident, std::size_t& line) const;
    // What a failed write-through restores; nothing to keep otherwise.
    std::vector<std::string> Snapshot() const { return writeThrough_ ? lines_ : std::vector<std::string>{}; }
    void StoreOrRestore(std::vector<std::string> before);

    std::string fileName_;
    std::vector<std::string> lines_;
    bool writeThrough_ = true;
};

class TMemIniFile : public TIniFile {
public:
    // Reads the file if it exists; nothing is written before UpdateFile.
    explicit TMemIniFile(const std::string& fileName) : TIniFile(fileName, false) {}
    // Replaces the file whole with the text as written so far; a failure
    // leaves the file as it was and raises EIniFileException "Unable to
    // write to %s: %s", the file and the system's reason.
    void UpdateFile() const { StoreAll(); }
};
