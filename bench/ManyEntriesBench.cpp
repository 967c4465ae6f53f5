// Listing archives of 10,000, 40,000 and 65,535 entries: the time of the
// engine's directory read (ReadZip) beside Info-ZIP's "unzip -l" on the same
// file, and the time per entry, which stays flat when the read grows
// linearly, and the time of the view by date (Sort ByDate) over the read
// directory. Each archive is checked to list every entry by name first.
//
// The entries are small stored files carrying the extended-timestamp extra
// field that Info-ZIP writes, so every central header has bytes to step over.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <zlib.h>

#include "LittleEndian.h"
#include "ZipReader.h"

namespace {

constexpr int Rounds = 3;

std::string EntryName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "pictures/%05d.jpg", i);
    return name;
}

// The extended-timestamp extra field (0x5455) with the modification time.
std::string TimestampExtra()
{
    std::string extra;
    AppendU16(extra, 0x5455);
    AppendU16(extra, 5);
    extra += '\x01';
    AppendU32(extra, 1700000000);
    return extra;
}

std::string Archive(int count)
{
    std::string locals;
    std::string centrals;
    const std::string extra = TimestampExtra();
    for (int i = 0; i < count; ++i) {
        const std::string name = EntryName(i);
        const std::string data = "picture " + std::to_string(i);
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const auto offset = static_cast<std::uint32_t>(locals.size());
        AppendU32(locals, 0x04034B50);
        AppendU16(locals, 10);         // version needed
        AppendU16(locals, 0);          // flags
        AppendU16(locals, 0);          // method: stored
        AppendU32(locals, 0x5A210000); // DOS date and time
        AppendU32(locals, crc);
        AppendU32(locals, static_cast<std::uint32_t>(data.size())); // compressed size
        AppendU32(locals, static_cast<std::uint32_t>(data.size())); // uncompressed size
        AppendU16(locals, static_cast<std::uint16_t>(name.size()));
        AppendU16(locals, static_cast<std::uint16_t>(extra.size()));
        locals += name + extra + data;
        AppendU32(centrals, 0x02014B50);
        AppendU16(centrals, 0x031E); // made by: Unix
        AppendU16(centrals, 10);
        AppendU16(centrals, 0);
        AppendU16(centrals, 0);
        AppendU32(centrals, 0x5A210000);
        AppendU32(centrals, crc);
        AppendU32(centrals, static_cast<std::uint32_t>(data.size()));
        AppendU32(centrals, static_cast<std::uint32_t>(data.size()));
        AppendU16(centrals, static_cast<std::uint16_t>(name.size()));
        AppendU16(centrals, static_cast<std::uint16_t>(extra.size()));
        AppendU16(centrals, 0);              // comment length
        AppendU16(centrals, 0);              // disk number start
        AppendU16(centrals, 0);              // internal attributes
        AppendU32(centrals, 0100644u << 16); // external attributes
        AppendU32(centrals, offset);
        centrals += name + extra;
    }
    std::string end;
    AppendU32(end, 0x06054B50);
    AppendU16(end, 0);
    AppendU16(end, 0);
    AppendU16(end, static_cast<std::uint16_t>(count));
    AppendU16(end, static_cast<std::uint16_t>(count));
    AppendU32(end, static_cast<std::uint32_t>(centrals.size()));
    AppendU32(end, static_cast<std::uint32_t>(locals.size()));
    AppendU16(end, 0);
    return locals + centrals + end;
}

bool ListsEveryEntry(const std::string& file, int count)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(file);
    reader.ReadZip();
    if (reader.GetCount() != count)
        return false;
    for (int i = 0; i < count; ++i)
        if (reader.GetEntry(i).FullName() != EntryName(i))
            return false;
    return true;
}

// The best of Rounds runs, in seconds.
double Best(const std::function<void()>& work)
{
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

double ReadZipSeconds(const std::string& file)
{
    return Best([&] {
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(file);
        reader.ReadZip();
    });
}

double SortByDateSeconds(const std::string& file)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(file);
    reader.ReadZip();
    return Best([&] { reader.Sort(ByDate); });
}

double UnzipListSeconds(const std::string& file)
{
    const std::string command = "unzip -l '" + file + "' > /dev/null";
    return Best([&] {
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "unzip -l failed\n");
    });
}

} // namespace

int main()
{
    std::string folder = (std::filesystem::temp_directory_path() / "manyentries-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return EXIT_FAILURE;
    std::printf("%8s %12s %14s %12s %10s %14s\n", "entries", "ReadZip s", "us per entry", "unzip -l s", "ratio",
                "Sort ByDate s");
    int status = EXIT_SUCCESS;
    for (const int count : {10000, 40000, 65535}) {
        const std::string file = folder + "/" + std::to_string(count) + ".zip";
        std::ofstream(file, std::ios::binary) << Archive(count);
        if (!ListsEveryEntry(file, count)) {
            std::fprintf(stderr, "%d entries: the listing differs\n", count);
            status = EXIT_FAILURE;
            break;
        }
        const double engine = ReadZipSeconds(file);
        const double unzip = UnzipListSeconds(file);
        const double sort = SortByDateSeconds(file);
        std::printf("%8d %12.4f %14.3f %12.4f %10.2f %14.4f\n", count, engine, engine / count * 1e6, unzip,
                    engine / unzip, sort);
    }
    std::filesystem::remove_all(folder);
    return status;
}
