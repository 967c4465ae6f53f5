// zipdriver: runs the zip engine from the command line, so tests and
// benchmarks can drive it beside peer tools.
//
//   zipdriver list ARCHIVE
//   zipdriver extract ARCHIVE DESTDIR [-p PASSWORD] [-o always|never] [--helpers N] [--] [PATTERN...]
//   zipdriver create ARCHIVE [-l LEVEL] [-p PASSWORD] [-r] [-x PATTERN]...
//                    [--blocks FIRST_SIZE,BLOCK_SIZE [--zfc]] [--] FILE...
//   zipdriver sfx STUB ARCHIVE
//
// "--" ends the options: every word after it is a PATTERN or FILE, also one
// that begins with "-". Bad options give the usage text and status 2.
// --helpers sets the threads that may decode ahead of extraction (0: none),
// for comparing a run with them against one without.
// Exit status 0 on success; 1 when list found damaged entries or extract
// left entries out (each named on standard error with the reason: a damaged
// entry, a refused name, a wrong password, a bad
// CRC, a size mismatch, data that end early, a missing local header, an
// existing file, a file that cannot be made, an unsupported method) or a
// PATTERN chose no entry ("not matched: PATTERN"); any command exits with
// status 1 when the engine told on standard error of damage it read past
// (a local header named twice, overlapping entries); on an
// error the exception's message goes to standard error and the status is 2.
// A file that extract cannot write is named there with the system's reason,
// and so is a destination it cannot make (status 2). An ARCHIVE that is a
// pipe or another file one cannot seek in is refused (status 2).
// create exits with status 1 when it left a file out (each named on
// standard error: a name or pattern that names nothing, a file or folder it cannot
// read, one that is no regular file or folder, a name already stored).
// Ended by SIGINT, SIGTERM or SIGHUP, the driver removes the file it was
// writing and ends by the signal; a file size limit fails the write
// (status 2) instead of ending the driver.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipReader.h"
#include "ZipUI.h"
#include "ZipWriter.h"
#include "files/FileNameParts.h"
#include "files/NamedTemporaries.h"
#include "files/WildMatch.h"

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitIncomplete = 1;
constexpr int ExitError = 2;

// The archive to read: ARCHIVE itself or, when no such file exists, the
// last block of the set written under that name (base name .001, .002, ...).
std::string ArchiveToRead(const std::string& archive)
{
    const std::filesystem::file_status status = std::filesystem::status(archive);
    // The directory is read from the end back and the entries where it
    // says: a pipe cannot be read so.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_block_file(status))
        throw std::runtime_error(archive + ": an archive must be a file one can seek in");
    if (std::filesystem::exists(status))
        return archive;
    const std::filesystem::path base = std::filesystem::path(archive).replace_extension();
    std::string last = archive;
    for (int i = 1;; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, ".%03d", i);
        const std::string block = base.string() + number;
        if (!std::filesystem::exists(block))
            return last;
        last = block;
    }
}

// One line per entry in directory order, tab-separated: stored name, method,
// compressed size, uncompressed size, CRC-32 (8 lowercase hex digits), and 1
// when encrypted else 0. A damaged entry, which extract cannot write, is
// named on standard error with the reason, and the status is 1.
int List(std::span<char* const> arguments)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(ArchiveToRead(arguments[0]));
    reader.ReadZip();
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        std::printf("%s\t%u\t%llu\t%llu\t%08x\t%d\n", entry.FullName().c_str(), entry.CompressionMethod,
                    static_cast<unsigned long long>(entry.CompressedSize),
                    static_cast<unsigned long long>(entry.UncompressedSize), entry.CRC32, entry.Encrypted() ? 1 : 0);
    }
    int result = ExitSuccess;
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        if (entry.Damaged()) {
            std::fprintf(stderr, "damaged: %s (%s)\n", entry.FullName().c_str(), entry.DamageReason().c_str());
            result = ExitIncomplete;
        }
    }
    return result;
}

struct TExtractOptions {
    std::string Password;
    TUZOverwriteMode Overwrite = Never;
    std::optional<int> Helpers;
    // The entries to extract, as the reader's FilesList takes them; none: all.
    std::vector<std::string> Patterns;
};

std::optional<TExtractOptions> ParseExtractOptions(std::span<char* const> words)
{
    TExtractOptions options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word == "--") {
            options.Patterns.insert(options.Patterns.end(), words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                    words.end());
            break;
        }
        // Any other word beginning with "-" is an option this driver lacks.
        if (!word.starts_with('-')) {
            options.Patterns.emplace_back(word);
            continue;
        }
        if (word != "-p" && word != "-o" && word != "--helpers")
            return std::nullopt;
        if (++i >= words.size())
            return std::nullopt;
        const std::string_view value = words[i];
        if (word == "-p")
            options.Password = value;
        else if (word == "--helpers" && value.size() == 1 && value[0] >= '0' && value[0] <= '9')
            options.Helpers = value[0] - '0';
        else if (word == "--helpers")
            return std::nullopt;
        else if (value == "always")
            options.Overwrite = Always;
        else if (value == "never")
            options.Overwrite = Never;
        else
            return std::nullopt;
    }
    return options;
}

// Bad options: the usage text, exit status 2.
class EUsage : public std::exception {};

// Whether a PATTERN chose an entry as the reader takes its FilesList: a line
// that names an entry (A to Z in any case) is that entry; only one that
// names none is matched as a pattern.
bool ChoosesAnEntry(const TZipReader& reader, const std::string& line)
{
    const std::string lowered = AsciiLowerCase(line);
    for (int i = 0; i < reader.GetCount(); ++i) {
        const std::string name = AsciiLowerCase(reader.GetEntry(i).FullName());
        if (name == lowered || IsWildcardMatch(lowered, name))
            return true;
    }
    return false;
}

// Every entry, or those the patterns choose, folders recreated. An entry
// counts as extracted when it was written with a matching CRC (a folder
// entry when it was not skipped).
int Extract(std::span<char* const> arguments)
{
    const std::optional<TExtractOptions> options = ParseExtractOptions(arguments.subspan(2));
    if (!options)
        throw EUsage();
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.RecreateDirs = true;
    reader.DoAll = options->Patterns.empty();
    reader.OverwriteMode = options->Overwrite;
    reader.Password = options->Password;
    if (options->Helpers)
        reader.DecodingHelpers = *options->Helpers;
    std::set<int> done;
    // Why each entry that failed was not extracted.
    std::map<int, std::string> failed;
    reader.OnEndUnZip = [&](TZipReader&, int index, const std::string&) { done.insert(index); };
    reader.OnSkippingFile = [&](TZipReader& sender, TSkipReason, const std::string&, int index, bool&) {
        failed[index] = sender.EntryFailure();
    };
    reader.OnBadCRC = [&](TZipReader& sender, std::uint32_t, std::uint32_t, int index) {
        failed[index] = sender.EntryFailure();
    };
    reader.SetZipName(ArchiveToRead(arguments[0]));
    // An archive that cannot be read leaves no empty destination behind.
    reader.ReadZip();
    // A destination that cannot be made is told once, with the system's
    // reason, not at every entry.
    std::error_code made;
    std::filesystem::create_directories(arguments[1], made);
    if (made)
        throw std::runtime_error(std::string("cannot make the destination ") + arguments[1] + ": " + made.message());
    reader.SetDestDir(arguments[1]);
    reader.SetFilesList(options->Patterns);
    try {
        reader.UnZipToDestDir();
    } catch (const ECantWriteUCF& error) {
        std::fprintf(stderr, "%s (%s)\n", error.what(), reader.EntryFailure().c_str());
        return ExitError;
    }
    int result = 0;
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        // Entries the patterns did not choose were not asked for.
        if (!entry.ChosenForRun)
            continue;
        const bool extracted = entry.IsFolder() ? failed.count(i) == 0 : done.count(i) != 0;
        if (!extracted) {
            const auto why = failed.find(i);
            std::fprintf(stderr, "not extracted: %s (%s)\n", entry.FullName().c_str(),
                         why == failed.end() ? "skipped" : why->second.c_str());
            result = ExitIncomplete;
        }
    }
    for (const std::string& pattern : options->Patterns)
        if (!ChoosesAnEntry(reader, pattern)) {
            std::fprintf(stderr, "not matched: %s\n", pattern.c_str());
            result = ExitIncomplete;
        }
    return result;
}

// The value after an option, which must be there.
std::string OptionValue(std::span<char* const> arguments, std::size_t& i)
{
    if (++i >= arguments.size())
        throw EUsage();
    return arguments[i];
}

// A pack level: one digit, 0 to 9.
int PackLevel(const std::string& value)
{
    if (value.size() != 1 || value[0] < '0' || value[0] > '9')
        throw EUsage();
    return value[0] - '0';
}

// "FIRST_SIZE,BLOCK_SIZE": the sizes of the first and of every later block.
void UseBlocks(TZipWriter& writer, const std::string& sizes)
{
    const std::size_t comma = sizes.find(',');
    if (comma == std::string::npos)
        throw EUsage();
    try {
        writer.MultiZipInfo().FirstBlockSize = std::stoll(sizes.substr(0, comma));
        writer.MultiZipInfo().BlockSize = std::stoll(sizes.substr(comma + 1));
    } catch (const std::logic_error&) {
        throw EUsage();
    }
    writer.SetMultiMode(mmBlocks);
}

// Whether pattern, a FILE word with "*" or "?" in its name part, matches a
// file or folder: in its folder, or below it when walking.
bool MatchesSomething(const std::string& pattern, bool recurse)
{
    const std::filesystem::path path(pattern);
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    const std::string mask = path.filename().string();
    std::error_code error;
    const auto matches = [&](const std::filesystem::directory_entry& entry) {
        return IsWildcardMatch(mask, entry.path().filename().string());
    };
    if (recurse) {
        for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error))
            if (matches(*it))
                return true;
        return false;
    }
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (matches(*it))
            return true;
    return false;
}

// The FILE words that are patterns matching nothing, each named; the
// writer passes over them without a word.
bool NamePatternsMatchingNothing(const std::vector<std::string>& files, bool recurse)
{
    bool named = false;
    for (const std::string& file : files) {
        const std::string name = std::filesystem::path(file).filename().string();
        if (name.find_first_of("*?") == std::string::npos || std::filesystem::exists(file) ||
            MatchesSomething(file, recurse))
            continue;
        std::fprintf(stderr, "not zipped: %s (no such file)\n", file.c_str());
        named = true;
    }
    return named;
}

// Zips the files, folders and patterns into a new or existing archive with
// their relative paths. A folder is walked with -r and stored as a folder
// entry without it; -x patterns exclude files (a pattern with "/" is matched
// against the whole path, any other against the name). --blocks writes a
// block set (ARCHIVE's base name with .001, .002, ...; one block becomes
// ARCHIVE itself), --zfc its ".zfc" side file; list and extract read such a
// set given its last block or ARCHIVE's name.
int Create(std::span<char* const> arguments)
{
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetStorePaths(true);
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string word = arguments[i];
        if (word == "--") {
            files.insert(files.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        }
        if (word == "-l")
            writer.PackLevel = PackLevel(OptionValue(arguments, i));
        else if (word == "-p")
            writer.Password = OptionValue(arguments, i);
        else if (word == "-r")
            writer.Recurse = true;
        else if (word == "-x")
            writer.ExcludeList().push_back(OptionValue(arguments, i));
        else if (word == "--blocks")
            UseBlocks(writer, OptionValue(arguments, i));
        else if (word == "--zfc")
            writer.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
        else if (word.starts_with('-'))
            throw EUsage();
        else
            files.push_back(word);
    }
    if (files.empty())
        throw EUsage();
    int result = NamePatternsMatchingNothing(files, writer.Recurse) ? ExitIncomplete : ExitSuccess;
    for (std::string& file : files) {
        if (!std::filesystem::is_directory(file))
            continue;
        if (!file.ends_with('/'))
            file += '/';
        if (writer.Recurse)
            file += '*';
    }
    writer.OnNoSuchFile = [&](TZipWriter&, const std::string& name) {
        std::fprintf(stderr, "not zipped: %s (no such file)\n", name.c_str());
        result = ExitIncomplete;
    };
    writer.OnSkippingFile = [&](TZipReader& sender, TSkipReason, const std::string& name, int, bool&) {
        std::fprintf(stderr, "not zipped: %s (%s)\n", name.c_str(), sender.EntryFailure().c_str());
        result = ExitIncomplete;
    };
    writer.SetZipName(arguments[0]);
    writer.SetFilesList(files);
    writer.ZipListedFiles();
    return result;
}

// Makes the self-extracting program ARCHIVE's name with ".EXE" from the stub
// program STUB and the archive.
int SelfExtractor(std::span<char* const> arguments)
{
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(arguments[1]);
    writer.MakeSelfExtractor(arguments[0], true);
    return ExitSuccess;
}

struct TSubcommand {
    std::string_view Name;
    std::string_view Usage;
    std::size_t MinArguments;
    std::size_t MaxArguments;
    // Returns the exit status.
    int (*Run)(std::span<char* const> arguments);
};

constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();

constexpr TSubcommand Subcommands[] = {
    {"list", "list ARCHIVE", 1, 1, List},
    {"extract", "extract ARCHIVE DESTDIR [-p PASSWORD] [-o always|never] [--] [PATTERN...]", 2, Unlimited, Extract},
    {"create",
     "create ARCHIVE [-l LEVEL] [-p PASSWORD] [-r] [-x PATTERN]... "
     "[--blocks FIRST_SIZE,BLOCK_SIZE [--zfc]] [--] FILE...",
     2, Unlimited, Create},
    {"sfx", "sfx STUB ARCHIVE", 2, 2, SelfExtractor},
};

int Usage()
{
    std::fprintf(stderr, "usage:\n");
    for (const TSubcommand& command : Subcommands)
        std::fprintf(stderr, "  zipdriver %.*s\n", static_cast<int>(command.Usage.size()), command.Usage.data());
    return ExitError;
}

// The engine's own messages on standard error, but for the one of an
// unsupported method: extract names that entry with its method itself.
// Any other message tells of something wrong that the engine read past,
// which fails the run.
class TDriverUI : public TZipUI {
public:
    TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons) override
    {
        if (text == LoadStr(IDS_UNKNOWNMETH))
            return TMsgResult::Ok;
        told = true;
        return TZipUI::MessageBox(text, caption, buttons);
    }

    bool told = false;
};

// Nothing half written is left behind: an extracted file has no name until
// it is complete, and one that has a hidden name goes here.
extern "C" void EndOnSignal(int signal)
{
    RemoveNamedTemporaries();
    // The handler is reset: the signal takes effect when this returns.
    ::raise(signal);
}

void EndOnSignals()
{
    constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction action {};
    action.sa_handler = EndOnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : EndingSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESETHAND;
    for (const int signal : EndingSignals) {
        // A signal ignored by whoever started the driver (a job in the
        // background) stays ignored.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
    // A write past the file size limit fails with EFBIG and is said.
    ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

int main(int argc, char** argv)
{
    EndOnSignals();
    TDriverUI ui;
    const TZipUIScope uiScope(ui);
    const std::span<char* const> words(argv, static_cast<std::size_t>(argc));
    if (words.size() < 2)
        return Usage();
    for (const TSubcommand& command : Subcommands) {
        if (command.Name != words[1])
            continue;
        const std::size_t count = words.size() - 2;
        if (count < command.MinArguments || count > command.MaxArguments)
            return Usage();
        try {
            const int status = command.Run(words.subspan(2));
            return status == ExitSuccess && ui.told ? ExitIncomplete : status;
        } catch (const EUsage&) {
            return Usage();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return ExitError;
        }
    }
    return Usage();
}
