// Runs of many entries, which helpers decode ahead of the run
// (extract/DecodeAhead.h): whatever they meet, an entry costs only itself,
// with the events, reasons and files of a run that decodes every entry
// itself; a cancel ends the run at once; the files are those `unzip` makes.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "LFNFileStream.h"
#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipReader.h"
#include "ZipUI.h"
#include "extract/DecodeAhead.h"
#include "files/FileHandle.h"
#include "records/ZipSignatures.h"

namespace {

constexpr int EntryCount = 40;
// The entry that the damages strike, with sound ones before and after it.
constexpr int Struck = 17;

std::string EntryName(int i) { return "folder" + std::to_string(i / 10) + "/entry" + std::to_string(i) + ".txt"; }

std::string MakeEntryText(int i)
{
    TSampleRandom random(static_cast<std::uint32_t>(i) + 1);
    std::string text;
    // Big enough for the helpers to take every deflated one.
    const std::size_t size = 70000 + 9000 * static_cast<std::size_t>(i % 9);
    while (text.size() < size)
        text += "line " + std::to_string(random.Below(100000)) + " of entry " + std::to_string(i) + "\n";
    return text;
}

// Text of up to several 32 KB blocks, different for each entry.
const std::string& EntryText(int i)
{
    static std::map<int, std::string> texts;
    auto [text, made] = texts.try_emplace(i);
    if (made)
        text->second = MakeEntryText(i);
    return text->second;
}

// Entries of EntryText, every fifth stored and the rest deflated, with the
// offsets of their headers for patching.
struct TManyEntries {
    std::string Bytes;
    std::vector<std::size_t> Local;
    std::vector<std::size_t> Central;

    TManyEntries()
    {
        std::vector<TTestEntry> entries;
        std::size_t offset = 0;
        for (int i = 0; i < EntryCount; ++i) {
            entries.emplace_back(EntryName(i), Stored(i) ? EntryText(i) : RawDeflate(EntryText(i)));
            Local.push_back(offset);
            offset += LocalHeaderSize + EntryName(i).size() + entries.back().Data.size();
        }
        for (int i = 0; i < EntryCount; ++i) {
            Central.push_back(offset);
            offset += CentralHeaderSize + EntryName(i).size();
        }
        Bytes = BuildStoredArchive(entries);
        for (int i = 0; i < EntryCount; ++i)
            if (!Stored(i)) {
                Patch(i, MethodField, 8);
                Patch(i, CrcField, TestCrc(EntryText(i)));
                Patch(i, UncompressedSizeField, static_cast<std::uint32_t>(EntryText(i).size()));
            }
    }

    static bool Stored(int i) { return i % 5 == 0; }

    // Sets a field of entry i in both its headers.
    void Patch(int i, THeaderField field, std::uint32_t value)
    {
        auto* bytes = reinterpret_cast<std::uint8_t*>(Bytes.data());
        const bool wide = field.Local > 8;
        for (const std::size_t at : {Local[i] + field.Local, Central[i] + field.Central}) {
            if (wide)
                PutU32(bytes + at, value);
            else
                PutU16(bytes + at, static_cast<std::uint16_t>(value));
        }
    }

    std::uint32_t Field(int i, THeaderField field) const
    {
        return GetU32(reinterpret_cast<const std::uint8_t*>(Bytes.data()) + Local[i] + field.Local);
    }

    std::size_t DataStart(int i) const { return Local[i] + LocalHeaderSize + EntryName(i).size(); }
};

struct TDamage {
    const char* Label;
    int Entry; // struck: Struck (deflated) or Struck + 3 (stored)
    std::function<void(TManyEntries&)> Apply;
    const char* Event; // of the struck entry, behind its start
    std::function<std::string(const TManyEntries&)> Failure;
};

std::function<std::string(const TManyEntries&)> Text(const char* failure)
{
    return [failure](const TManyEntries&) { return failure; };
}

const std::vector<TDamage> Damages = {
    {"deflated, patched CRC", Struck,
     [](TManyEntries& a) { a.Patch(Struck, CrcField, a.Field(Struck, CrcField) ^ 1); }, "badcrc", Text("bad CRC")},
    {"stored, patched CRC", Struck + 3,
     [](TManyEntries& a) { a.Patch(Struck + 3, CrcField, a.Field(Struck + 3, CrcField) ^ 1); }, "badcrc",
     Text("bad CRC")},
    {"stored, a flipped byte", Struck + 3,
     [](TManyEntries& a) { a.Bytes[a.DataStart(Struck + 3) + 20000] ^= 0x10; }, "badcrc", Text("bad CRC")},
    {"deflated, a flipped byte", Struck, [](TManyEntries& a) { a.Bytes[a.DataStart(Struck) + 20000] ^= 0x10; },
     "badcrc", Text("bad CRC")},
    {"deflated, data cut short", Struck,
     [](TManyEntries& a) { a.Patch(Struck, CompressedSizeField, a.Field(Struck, CompressedSizeField) / 2); },
     "badcrc", Text("Premature end of file reached")},
    {"deflated, uncompressed size too small", Struck,
     [](TManyEntries& a) { a.Patch(Struck, UncompressedSizeField, 10000); }, "badcrc",
     Text("size mismatch: more than the 10000 bytes stored")},
    {"deflated, uncompressed size too large", Struck,
     [](TManyEntries& a) { a.Patch(Struck, UncompressedSizeField, a.Field(Struck, UncompressedSizeField) + 1); },
     "badcrc",
     [](const TManyEntries&) {
         const std::string size = std::to_string(EntryText(Struck).size());
         return "size mismatch: " + size + " bytes, " + std::to_string(EntryText(Struck).size() + 1) + " stored";
     }},
    {"no local header", Struck, [](TManyEntries& a) { a.Bytes[a.Local[Struck]] = 'Q'; }, "skip",
     [](const TManyEntries& a) { return "no local header at offset " + std::to_string(a.Local[Struck]); }},
};

TEST(ExtractAhead, ADamagedEntryAmongSoundOnesCostsOnlyItself)
{
    for (const TDamage& damage : Damages)
        for (const bool existing : {false, true}) {
            SCOPED_TRACE(std::string(damage.Label) + (existing ? ", over an existing file" : ""));
            TManyEntries archive;
            damage.Apply(archive);
            TempDir dir;
            const std::string dest = dir.File("dest");
            const std::string struckName = EntryName(damage.Entry);
            if (existing)
                dir.Write("dest/" + struckName, "old content");
            TZipReader reader;
            SetUpExtraction(reader, dir.Write("in.zip", archive.Bytes), dest);
            TEventLog log(reader);
            EXPECT_EQ(reader.UnZipToDestDir(), EntryCount - 1);

            const std::string event = damage.Event == std::string("skip")
                                          ? "skip " + std::to_string(damage.Entry) + " reason 3 " + struckName + "\n"
                                          : "badcrc " + std::to_string(damage.Entry) + "\n";
            std::uint64_t total = 0;
            for (int i = 0; i < EntryCount; ++i)
                total += archive.Field(i, UncompressedSizeField);
            std::string expectedEvents = "info " + std::to_string(EntryCount) + " " + std::to_string(total) + "\n";
            for (int i = 0; i < EntryCount; ++i)
                expectedEvents += "start " + std::to_string(i) + "\n" +
                                  (i == damage.Entry ? event : "end " + std::to_string(i) + "\n");
            EXPECT_EQ(log.Text(), expectedEvents + "complete " + std::to_string(EntryCount - 1) + "\n");
            EXPECT_EQ(log.Failure, damage.Failure(archive));

            TTree expected;
            for (int i = 0; i < EntryCount; ++i) {
                expected["folder" + std::to_string(i / 10)].Folder = true;
                if (i != damage.Entry)
                    expected[EntryName(i)].Bytes = EntryText(i);
            }
            if (existing)
                expected[struckName].Bytes = "old content";
            TTree tree = ReadTree(dest);
            for (auto& [name, item] : tree)
                item.ModTime = item.Mode = 0;
            EXPECT_EQ(TreeNames(tree), TreeNames(expected));
            EXPECT_TRUE(tree == expected);
        }
}

// Cancels at the given pump of the message queue (none: never).
class TCancellingUI : public TZipUI {
public:
    TCancellingUI(TZipReader& reader, int at) : reader_(reader), at_(at) {}
    void ProcessMessages() override
    {
        if (++Pumped == at_)
            reader_.Cancel();
    }
    int Pumped = 0;

private:
    TZipReader& reader_;
    int at_;
};

struct TRunSeen {
    std::string Events; // and progress, and whether the run was cancelled
    TTree Files;
    int Pumped = 0;
};

// A run over the archive cancelled at pump cancelAt, by the reader's own
// archive stream, which the helpers decode ahead of, or by one of the
// test's, which they leave alone.
TRunSeen CancelledRun(const std::string& archive, int cancelAt, bool helpers)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, archive, dir.File("dest"));
    reader.DoProcessMessages = true;
    TEventLog log(reader);
    reader.OnFilePercentDone = [&](TZipReader&, int percent) { log.Add("file " + std::to_string(percent)); };
    reader.OnTotalPercentDone = [&](TZipReader&, int percent) { log.Add("total " + std::to_string(percent)); };
    TCancellingUI ui(reader, cancelAt);
    TZipUIScope scope(ui);
    try {
        if (helpers) {
            reader.UnZipToDestDir();
        } else {
            reader.ReadZip();
            TLFNFileStream stream(archive, fmOpenRead, false, reader.StreamBufferSize);
            reader.UnZipFiles(stream);
        }
    } catch (const EUserCanceled&) {
        log.Add("cancelled");
    }
    return {log.Text(), ReadTree(dir.File("dest")), ui.Pumped};
}

// Wherever the cancel comes, in or between entries, the run ends as one
// without helpers does: the same events and progress, the same files.
TEST(ExtractAhead, ACancelAtAnyPollEndsAsWithoutHelpers)
{
    TempDir dir;
    const std::string archive = dir.Write("in.zip", TManyEntries().Bytes);
    const TRunSeen whole = CancelledRun(archive, 0, false);
    EXPECT_EQ(whole.Files.size(), 4u + EntryCount);
    EXPECT_EQ(CancelledRun(archive, 0, true).Events, whole.Events);
    for (int at = 1; at <= whole.Pumped; at += 3) {
        SCOPED_TRACE("cancelled at poll " + std::to_string(at));
        const TRunSeen with = CancelledRun(archive, at, true);
        const TRunSeen without = CancelledRun(archive, at, false);
        EXPECT_EQ(with.Events, without.Events);
        EXPECT_EQ(TreeNames(with.Files), TreeNames(without.Files));
        EXPECT_TRUE(with.Files == without.Files);
    }
}

// Small entries first, each read in one block and so pumped once, then big
// deflated ones, which the helpers are decoding when the cancel comes.
TEST(ExtractAhead, ACancelInTheMiddleEndsTheRunAtOnce)
{
    TempDir dir;
    std::size_t total = 0;
    std::string names;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "small" + std::to_string(i) + ".txt";
        const std::string text = "small entry " + std::to_string(i);
        dir.Write("src/" + name, text);
        total += text.size();
        names += " " + name;
    }
    for (int i = 0; i < 30; ++i) {
        const std::string name = "big" + std::to_string(i) + ".txt";
        const std::string text = EntryText(100 + i) + EntryText(200 + i) + EntryText(300 + i);
        dir.Write("src/" + name, text);
        total += text.size();
        names += " " + name;
    }
    const std::string archive = dir.File("in.zip");
    RunChecked("cd " + ShellQuote(dir.File("src")) + " && zip -q " + ShellQuote(archive) + names);
    dir.Write("dest/small12.txt", "old content");
    TZipReader reader;
    SetUpExtraction(reader, archive, dir.File("dest"));
    reader.DoProcessMessages = true;
    TEventLog log(reader);
    TCancellingUI ui(reader, 13);
    TZipUIScope scope(ui);
    EXPECT_THROW(reader.UnZipToDestDir(), EUserCanceled);

    std::string expectedEvents = "info 50 " + std::to_string(total) + "\n";
    for (int i = 0; i < 12; ++i)
        expectedEvents += "start " + std::to_string(i) + "\nend " + std::to_string(i) + "\n";
    EXPECT_EQ(log.Text(), expectedEvents + "start 12\ncomplete 12\n");
    TTree expected;
    for (int i = 0; i < 12; ++i)
        expected["small" + std::to_string(i) + ".txt"].Bytes = "small entry " + std::to_string(i);
    expected["small12.txt"].Bytes = "old content";
    TTree tree = ReadTree(dir.File("dest"));
    for (auto& [name, item] : tree)
        item.ModTime = item.Mode = 0;
    EXPECT_EQ(TreeNames(tree), TreeNames(expected));
    EXPECT_TRUE(tree == expected);
}

// Plain entries, an encrypted one, more plain ones: the helpers leave the
// encrypted one to the run, which asks for its password as ever.
TEST(ExtractAhead, AnEncryptedEntryAmongPlainOnes)
{
    TempDir dir;
    const std::string archive = dir.File("mixed.zip");
    for (int i = 0; i < 12; ++i)
        dir.Write("src/plain" + std::to_string(i) + ".txt", EntryText(i));
    dir.Write("src/secret.txt", EntryText(99));
    // An even second, which the MS-DOS time holds exactly.
    RunChecked("find " + ShellQuote(dir.File("src")) + " -type f -exec touch -d '2022-03-04 05:06:08' {} +");
    const auto makeArchive = [&] {
        std::filesystem::remove(archive);
        const std::string inSource = "cd " + ShellQuote(dir.File("src")) + " && ";
        RunChecked(inSource + "zip -q " + ShellQuote(archive) +
                   " plain0.txt plain1.txt plain2.txt plain3.txt plain4.txt");
        RunChecked(inSource + "zip -q -P right " + ShellQuote(archive) + " secret.txt");
        RunChecked(inSource + "zip -q " + ShellQuote(archive) +
                   " plain5.txt plain6.txt plain7.txt plain8.txt plain9.txt plain10.txt plain11.txt");
    };
    for (const std::string password : {"right", "wrong"}) {
        SCOPED_TRACE(password);
        const bool right = password == "right";
        // A wrong password passes the entry's check byte 1 time in 256, as
        // its random header decides: such an archive is made again.
        for (int attempt = 0; attempt < 8; ++attempt) {
            makeArchive();
            const std::string dest = dir.File("dest-" + password + std::to_string(attempt));
            TZipReader reader;
            SetUpExtraction(reader, archive, dest);
            reader.Password = password;
            TEventLog log(reader);
            int asked = 0;
            reader.OnBadPassword = [&](TZipReader&, int, std::string&) { ++asked; };
            const int extracted = reader.UnZipToDestDir();
            if (!right && asked == 0 && attempt < 7)
                continue;
            EXPECT_EQ(extracted, right ? 13 : 12);
            std::string expectedEvents;
            for (int i = 0; i < 13; ++i)
                expectedEvents +=
                    "start " + std::to_string(i) + "\n" +
                    (i == 5 && !right ? "skip 5 reason 0 secret.txt\n" : "end " + std::to_string(i) + "\n");
            log.Lines.erase(log.Lines.begin());
            EXPECT_EQ(log.Text(), expectedEvents + "complete " + std::to_string(right ? 13 : 12) + "\n");
            EXPECT_EQ(asked, right ? 0 : 1);
            TTree expected = ReadTree(dir.File("src"));
            if (!right)
                expected.erase("secret.txt");
            EXPECT_EQ(TreeNames(ReadTree(dest)), TreeNames(expected));
            EXPECT_TRUE(ReadTree(dest) == expected);
            break;
        }
    }
}

// Entries that together take more than the memory the helpers may fill,
// so that their places come round again: the bytes the run took last, which
// it may still be writing, stay as they were decoded while the helpers go on
// decoding the entries after them, until the run takes the next.
TEST(ExtractAhead, TheBytesTakenStayUntilTheNextTake)
{
    TempDir dir;
    constexpr int Count = 8;
    constexpr std::size_t Size = TDecodeAhead::BytesInFlight * 5 / 32;
    std::vector<std::string> texts;
    std::string names;
    for (int i = 0; i < Count; ++i) {
        std::string text;
        while (text.size() < Size)
            text += "line " + std::to_string(text.size()) + " of entry " + std::to_string(i) + "\n";
        text.resize(Size);
        texts.push_back(text);
        dir.Write("src/entry" + std::to_string(i) + ".txt", text);
        names += " entry" + std::to_string(i) + ".txt";
    }
    const std::string archive = dir.File("in.zip");
    RunChecked("cd " + ShellQuote(dir.File("src")) + " && zip -q " + ShellQuote(archive) + names);
    TZipReader reader;
    reader.SetZipName(archive);
    reader.ReadZip();
    std::vector<TEntryToDecode> entries;
    for (int i = 0; i < Count; ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        ASSERT_TRUE(TDecodeAhead::Worthwhile(entry.CompressionMethod, entry.CompressedSize, entry.UncompressedSize));
        entries.push_back({i, entry.LocalHeaderOffset, entry.CompressedSize, entry.UncompressedSize, entry.CRC32,
                           entry.CompressionMethod, LocalSignature()});
    }
    const TFileHandle file(::open(archive.c_str(), O_RDONLY | O_CLOEXEC));
    TDecodeAhead ahead(file.Get(), entries, 3);
    // Time for a helper to take the first entry.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < Count; ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        const std::optional<TDecodedEntry> decoded = ahead.Take(i);
        ASSERT_TRUE(decoded);
        // Time for the helpers to decode all they may meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(std::string(decoded->Bytes.begin(), decoded->Bytes.end()) == texts[i]);
    }
}

// A tree of many files of every kind and size, zipped by `zip -r` and
// extracted in the archive's order and in name order: the files, dates and
// modes of `unzip -d`.
TEST(ExtractAhead, TheExtractedTreeIsUnzips)
{
    TempDir dir;
    for (int i = 0; i < 120; ++i) {
        const std::string folder = "src/part" + std::to_string(i % 7) + (i % 3 == 0 ? "/deeper/" : "/");
        const std::string name = folder + "file" + std::to_string(i);
        switch (i % 4) {
        case 0: dir.Write(name + ".txt", EntryText(i)); break;
        case 1: dir.Write(name + ".bin", RandomByteString(1000 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(i))); break;
        case 2: dir.Write(name + ".empty", ""); break;
        case 3: dir.Write(name + ".big", EntryText(i) + RandomByteString(200000, 5) + EntryText(i + 1)); break;
        }
    }
    dir.Write("src/empty folder/.keep", "");
    // Big enough for the helpers to begin them before the entries ahead.
    dir.Write("src/large/noise.bin", RandomByteString(1500000, 9));
    dir.Write("src/large/text.txt", std::string(1500000, 't') + EntryText(3));
    RunChecked("chmod 0750 " + ShellQuote(dir.File("src/part3/deeper/file3.big")));
    RunChecked("find " + ShellQuote(dir.File("src")) + " -type f -exec touch -d '2022-03-04 05:06:08' {} +");
    const std::string archive = dir.File("tree.zip");
    RunChecked("cd " + ShellQuote(dir.File("src")) + " && zip -q -r " + ShellQuote(archive) + " .");
    RunChecked("unzip -q " + ShellQuote(archive) + " -d " + ShellQuote(dir.File("unzip")));
    const TTree unzipped = ReadTree(dir.File("unzip"));
    for (const TZipSortMode order : {ByNone, ByName}) {
        SCOPED_TRACE(order == ByNone ? "archive order" : "name order");
        const std::string dest = dir.File(order == ByNone ? "ours-archive-order" : "ours-name-order");
        TZipReader reader;
        SetUpExtraction(reader, archive, dest);
        reader.SortMode = order;
        const int extracted = reader.UnZipToDestDir();
        EXPECT_EQ(extracted, reader.GetCount());
        const TTree ours = ReadTree(dest);
        EXPECT_EQ(TreeNames(ours), TreeNames(unzipped));
        EXPECT_TRUE(ours == unzipped);
    }
}

} // namespace
