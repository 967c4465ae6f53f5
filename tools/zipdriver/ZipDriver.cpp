// zipdriver: runs the zip engine from the command line, so tests and
// benchmarks can drive it beside peer tools.
//
//   zipdriver list ARCHIVE
//
// Exit status 0 on success; on an error the exception's message goes to
// standard error and the status is 2.
#include <cstdio>
#include <exception>
#include <span>
#include <string>
#include <string_view>

#include "ZipReader.h"

namespace {

constexpr int ExitError = 2;

// One line per entry in directory order, tab-separated: stored name, method,
// compressed size, uncompressed size, CRC-32 (8 lowercase hex digits), and 1
// when encrypted else 0.
void List(std::span<char* const> arguments)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(arguments[0]);
    reader.ReadZip();
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        std::printf("%s\t%u\t%llu\t%llu\t%08x\t%d\n", entry.FullName().c_str(), entry.CompressionMethod,
                    static_cast<unsigned long long>(entry.CompressedSize),
                    static_cast<unsigned long long>(entry.UncompressedSize), entry.CRC32,
                    entry.Encrypted() ? 1 : 0);
    }
}

struct TSubcommand {
    std::string_view Name;
    std::string_view Usage;
    std::size_t ArgumentCount;
    void (*Run)(std::span<char* const> arguments);
};

constexpr TSubcommand Subcommands[] = {
    {"list", "list ARCHIVE", 1, List},
};

int Usage()
{
    std::fprintf(stderr, "usage:\n");
    for (const TSubcommand& command : Subcommands)
        std::fprintf(stderr, "  zipdriver %.*s\n", static_cast<int>(command.Usage.size()), command.Usage.data());
    return ExitError;
}

} // namespace

int main(int argc, char** argv)
{
    const std::span<char* const> words(argv, static_cast<std::size_t>(argc));
    if (words.size() < 2)
        return Usage();
    for (const TSubcommand& command : Subcommands) {
        if (command.Name != words[1])
            continue;
        if (words.size() - 2 != command.ArgumentCount)
            return Usage();
        try {
            command.Run(words.subspan(2));
            return 0;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return ExitError;
        }
    }
    return Usage();
}
