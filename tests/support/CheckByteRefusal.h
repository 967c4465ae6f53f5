// A wrong password passes an encrypted entry's check byte about 1 time in
// 256, as the random bytes of the entry's encryption header decide, and the
// entry then fails later as damaged data. A test that expects the check byte
// to refuse a password makes sure first that it does on the archive it made,
// and makes the archive again when it does not.
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "ZipReader.h"

// The names of archive's encrypted entries whose check byte refuses
// password, in the order extraction meets them: the engine extracts the
// whole archive with it into a scratch folder and notes each refusal.
inline std::vector<std::string> EntriesTheCheckByteRefuses(const std::string& archive, const std::string& password)
{
    TempDir scratch;
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.DecodingHelpers = 0;
    reader.SetZipName(archive);
    reader.SetDestDir(scratch.File("out"));
    reader.RecreateDirs = true;
    reader.DoAll = true;
    reader.OverwriteMode = Always;
    reader.Password = password;
    std::vector<std::string> refused;
    reader.OnBadPassword = [&](TZipReader& sender, int index, std::string&) {
        if (!sender.CheckBytePassed())
            refused.push_back(sender.GetEntry(index).FullName());
    };
    reader.UnZipToDestDir();
    return refused;
}

// The names of archive's encrypted entries, in the archive's order.
inline std::vector<std::string> EncryptedEntries(const std::string& archive)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(archive);
    reader.ReadZip();
    std::vector<std::string> names;
    for (int i = 0; i < reader.GetCount(); ++i)
        if (reader.GetEntry(i).Encrypted())
            names.push_back(reader.GetEntry(i).FullName());
    return names;
}

// Whether the check byte of every encrypted entry in archive refuses each of
// passwords.
inline bool CheckBytesRefuse(const std::string& archive, const std::vector<std::string>& passwords)
{
    std::vector<std::string> encrypted = EncryptedEntries(archive);
    std::sort(encrypted.begin(), encrypted.end());
    for (const std::string& password : passwords) {
        std::vector<std::string> refused = EntriesTheCheckByteRefuses(archive, password);
        std::sort(refused.begin(), refused.end());
        if (refused != encrypted)
            return false;
    }
    return true;
}

// The first of stem, stem + "1", ... stem + "7" that the check byte of every
// encrypted entry in archive refuses; none only by a chance of less than
// once in 10^12 for a few entries.
inline std::optional<std::string> PasswordTheCheckBytesRefuse(const std::string& archive, const std::string& stem)
{
    for (int candidate = 0; candidate < 8; ++candidate) {
        const std::string password = candidate == 0 ? stem : stem + std::to_string(candidate);
        if (CheckBytesRefuse(archive, {password}))
            return password;
    }
    return std::nullopt;
}

// Runs make, which writes a test's archive afresh, until refused() holds of
// it; at most 8 times, which all fail by chance less than once in 10^12 runs
// for a few entries and passwords. Returns whether refused() held at last.
inline bool MadeUntilRefused(const std::function<void()>& make, const std::function<bool()>& refused)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        make();
        if (refused())
            return true;
    }
    return false;
}
