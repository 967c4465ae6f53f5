#include "deflate/Deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "DeflateTokenReader.h"
#include "PeerCheck.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "inflate/Inflate.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

// Word salad: compressible like prose, with matches of every length.
Bytes Text(std::size_t size, unsigned seed)
{
    static const char* const words[] = {"album", "picture", "the", "of", "caption", "viewer", "slide", "show",
                                        "and", "a", "print", "zip", "archive", "entry", "deflate", "window"};
    std::mt19937 rng(seed);
    Bytes text;
    while (text.size() < size) {
        const std::string word = words[rng() % 16];
        text.insert(text.end(), word.begin(), word.end());
        text.push_back(rng() % 9 == 0 ? '\n' : ' ');
    }
    text.resize(size);
    return text;
}

// Random data followed by a copy of itself: stored blocks, then long matches
// when the copy is within reach.
Bytes RandomThenRepeat(std::size_t size, unsigned seed)
{
    Bytes bytes = RandomBytes(size / 2, seed);
    bytes.resize(size);
    for (std::size_t i = size / 2; i < size; ++i)
        bytes[i] = bytes[i - size / 2];
    return bytes;
}

// Entropy-coded image data: random bytes with every 0xFF followed by a
// stuffed 0x00, as in a JPEG's scan.
Bytes JpegLike(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        bytes.push_back(static_cast<std::uint8_t>(rng()));
        if (bytes.back() == 0xFF)
            bytes.push_back(0x00);
    }
    bytes.resize(size);
    return bytes;
}

Bytes InflateRaw(const Bytes& stream, std::size_t expectedSize)
{
    Bytes out(expectedSize + 1);
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u) << "bytes after the end of the stream";
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

std::uint32_t Crc32(const Bytes& bytes)
{
    return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// The compressed form decodes to the input, as deflate data or unchanged.
void ExpectRoundTrip(const Bytes& input, const TDeflatedBuffer& out)
{
    EXPECT_EQ(out.Result.CompressedSize, static_cast<std::int64_t>(out.Data.size()));
    if (out.Result.Method == 0) {
        EXPECT_TRUE(out.Data == input);
    } else {
        ASSERT_EQ(out.Result.Method, 8u);
        EXPECT_TRUE(InflateRaw(out.Data, input.size()) == input);
    }
}

std::vector<TDeflateToken> Tokens(const Bytes& stream)
{
    std::vector<TDeflateToken> tokens;
    for (auto& block : TDeflateTokenReader(stream).ReadBlocks())
        tokens.insert(tokens.end(), block.Tokens.begin(), block.Tokens.end());
    return tokens;
}

// Hands input out in odd-sized pieces and keeps what comes back.
class TChunkedIO : public TDeflateIO {
public:
    explicit TChunkedIO(const Bytes& input) : input_(input) {}

    std::size_t ReadSourceData(std::span<std::uint8_t> buffer) override
    {
        static constexpr std::size_t chunks[] = {1, 7, 4096, 3, 65535, 2};
        std::size_t n = std::min({buffer.size(), chunks[calls_++ % 6], input_.size() - read_});
        std::copy_n(input_.begin() + static_cast<std::ptrdiff_t>(read_), n, buffer.begin());
        read_ += n;
        return n;
    }
    void WriteArchiveData(std::span<std::uint8_t> data) override
    {
        if (++writes_ == failOnWrite_)
            throw std::runtime_error("disk full");
        for (auto& b : data) {
            Output.push_back(b);
            b ^= scramble_;  // what an encrypting writer does to the buffer
        }
    }

    Bytes Output;
    void ScrambleOutputBuffer() { scramble_ = 0xA5; }
    void FailOnWrite(int n) { failOnWrite_ = n; }

private:
    const Bytes& input_;
    std::size_t read_ = 0;
    std::size_t calls_ = 0;
    std::uint8_t scramble_ = 0;
    int writes_ = 0;
    int failOnWrite_ = -1;
};

class DeflateLevel : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(DeflateLevel, RoundTripsThroughZlib)
{
    const int level = GetParam();
    std::vector<std::size_t> sizes = {0, 1, 2, 3, 258, 259, 32767, 32768, 32769, 1 << 20};
    for (std::size_t size = 65274; size <= 65536; size += (size < 65290 || size > 65520) ? 1 : 23)
        sizes.push_back(size);
    for (std::size_t size : sizes) {
        const std::vector<std::pair<const char*, Bytes>> inputs = {
            {"text", Text(size, 1)},
            {"random", RandomBytes(size, 2)},
            {"random then repeat", RandomThenRepeat(size, 3)},
            {"zeros", Bytes(size, 0)},
        };
        for (const auto& [kind, input] : inputs) {
            SCOPED_TRACE(std::string(kind) + " of " + std::to_string(size) + " bytes");
            const TDeflatedBuffer out = DeflateBuffer(input, level);
            ExpectRoundTrip(input, out);
            if (out.Result.Method != 8)
                continue;
            for (const TDeflateToken& token : Tokens(out.Data)) {
                EXPECT_LE(token.Distance, 32506u);
                if (level >= 4 && token.Length == 3) {
                    EXPECT_LE(token.Distance, 4096u);
                }
            }
        }
    }
}

// Bytes a search compares past the end of the input must not depend on what
// an earlier entry left in the window, nor on how the input was chunked.
TEST_P(DeflateLevel, SameOutputWhateverTheInputChunksAndAfterAnEarlierEntry)
{
    const int level = GetParam();
    const Bytes earlier = Text(200000, 5);
    for (std::size_t size : {1000u, 40000u, 100000u}) {
        SCOPED_TRACE(size);
        const Bytes input = Text(size, 5);
        TDeflater deflater;
        TChunkedIO first(earlier);
        deflater.DeflateEntry(first, level);
        TChunkedIO second(input);
        const TDeflateResult result = deflater.DeflateEntry(second, level);
        const TDeflatedBuffer fresh = DeflateBuffer(input, level);
        EXPECT_TRUE(second.Output == fresh.Data);
        EXPECT_EQ(result.CompressedSize, fresh.Result.CompressedSize);
    }
}

// The input ends in a 10-byte string found twice before it: at 6000, followed
// by "zz", and at 5001, followed by what the earlier entry left just past this
// input's end. Were those leftovers compared, the older copy would look longer
// and win; read as zeros, both copies match 10 bytes and the nearer one wins.
// (The run of letters in front makes the entry worth deflating.)
TEST_P(DeflateLevel, BytesPastTheInputReadAsZeros)
{
    const int level = GetParam();
    const Bytes r = RandomBytes(1000, 22);
    Bytes input(5000, 'a');
    input.insert(input.end(), r.begin(), r.end());
    input.insert(input.end(), r.begin() + 1, r.begin() + 11);
    input.push_back('z');
    input.push_back('z');
    input.insert(input.end(), r.begin() + 1, r.begin() + 11);
    Bytes earlier(input.begin(), input.end());
    earlier.insert(earlier.end(), r.begin() + 11, r.end());

    TDeflater deflater;
    TChunkedIO first(earlier);
    deflater.DeflateEntry(first, level);
    TChunkedIO second(input);
    deflater.DeflateEntry(second, level);
    const auto tokens = Tokens(second.Output);
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens.back().Position, 6012u);
    EXPECT_EQ(tokens.back().Distance, 12u);
    EXPECT_TRUE(second.Output == DeflateBuffer(input, level).Data);
}

// The writer encrypts each output buffer in place; stored blocks must not be
// handed out from the window, or later matches would compare encrypted bytes.
TEST_P(DeflateLevel, ChangingTheOutputBufferLeavesTheWindowAlone)
{
    const int level = GetParam();
    // A stored block of random bytes, then matches that reach into it.
    Bytes input = RandomBytes(40000, 6);
    input.insert(input.end(), input.begin() + 10000, input.end());
    const Bytes text = Text(50000, 7);
    input.insert(input.end(), text.begin(), text.end());
    TChunkedIO io(input);
    io.ScrambleOutputBuffer();
    TDeflater().DeflateEntry(io, level);
    EXPECT_TRUE(io.Output == DeflateBuffer(input, level).Data);
}

INSTANTIATE_TEST_SUITE_P(Levels, DeflateLevel, testing::Range(1, 10));

TEST(Deflate, EmptyAndTinyInputsAreStoredWhole)
{
    for (std::size_t size : {0, 1, 2}) {
        const Bytes input = Text(size, 8);
        const TDeflatedBuffer out = DeflateBuffer(input, 6);
        EXPECT_EQ(out.Result.Method, 0u);
        EXPECT_EQ(out.Result.CompressedSize, static_cast<std::int64_t>(size));
        EXPECT_TRUE(out.Data == input);
        EXPECT_EQ(out.Result.InternalAttribute, 1u);
    }
}

TEST(Deflate, IncompressibleEntryInOneBlockIsStoredWholeLongerOnesInStoredBlocks)
{
    const Bytes small = RandomBytes(30000, 9);
    const TDeflatedBuffer stored = DeflateBuffer(small, 6);
    EXPECT_EQ(stored.Result.Method, 0u);
    EXPECT_TRUE(stored.Data == small);
    EXPECT_EQ(stored.Result.InternalAttribute, 0u);

    const Bytes large = RandomBytes(100000, 10);
    const TDeflatedBuffer blocks = DeflateBuffer(large, 6);
    EXPECT_EQ(blocks.Result.Method, 8u);
    ExpectRoundTrip(large, blocks);
    for (const auto& block : TDeflateTokenReader(blocks.Data).ReadBlocks())
        EXPECT_EQ(block.Type, 0u);
    EXPECT_EQ(blocks.Data.size(), large.size() + 4 * 5) << "four stored blocks of five header bytes";
}

// Incompressible data is stored without a search for matches: in blocks of
// up to 32 KB, or unchanged when the entry fits one.
TEST(Deflate, IncompressibleDataCostsNoMoreThanStoringPlusBlockHeaders)
{
    for (std::size_t size : {5000u, 32768u, 40000u, (1u << 20) + 7}) {
        const std::vector<std::pair<const char*, Bytes>> inputs = {
            {"random", RandomBytes(size, 30)},
            {"JPEG-like", JpegLike(size, 31)},
        };
        for (const auto& [kind, input] : inputs) {
            for (int level : {1, 6, 9}) {
                SCOPED_TRACE(std::string(kind) + " of " + std::to_string(size) + " bytes at level " +
                             std::to_string(level));
                const TDeflatedBuffer out = DeflateBuffer(input, level);
                ExpectRoundTrip(input, out);
                const std::size_t blocks = (size + 32767) / 32768 + 1;
                EXPECT_LE(out.Data.size(), size + 5 * blocks);
                EXPECT_EQ(out.Result.Method == 0, size <= 32768) << "unchanged when it fits one block";
                if (out.Result.Method == 0)
                    continue;
                const TInflatedBuffer ours = InflateBuffer(out.Data);
                EXPECT_EQ(ours.Status, TInflateStatus::Ok);
                EXPECT_TRUE(ours.Bytes == input);
                for (const auto& block : TDeflateTokenReader(out.Data).ReadBlocks())
                    EXPECT_EQ(block.Type, 0u);
            }
        }
    }
}

// After incompressible data the search comes back: for text that follows
// it, and for repeats of the incompressible data itself.
TEST(Deflate, CompressibleDataAfterIncompressibleIsStillDeflated)
{
    const Bytes random = RandomBytes(300000, 32);
    const Bytes text = Text(300000, 33);
    Bytes randomThenText = random;
    randomThenText.insert(randomThenText.end(), text.begin(), text.end());
    Bytes repeats;
    for (int i = 0; i < 20; ++i)
        repeats.insert(repeats.end(), random.begin(), random.begin() + 20000);
    for (int level : {1, 6, 9}) {
        SCOPED_TRACE(level);
        const TDeflatedBuffer mixed = DeflateBuffer(randomThenText, level);
        ExpectRoundTrip(randomThenText, mixed);
        const std::size_t textAlone = DeflateBuffer(text, level).Data.size();
        EXPECT_LE(mixed.Data.size(), random.size() + textAlone + textAlone / 20);

        const TDeflatedBuffer repeated = DeflateBuffer(repeats, level);
        ExpectRoundTrip(repeats, repeated);
        EXPECT_LE(repeated.Data.size(), 30000u);
    }
}

TEST(Deflate, GeneralPurposeFlagsAndLevelClamping)
{
    const Bytes input = Text(20000, 11);
    const unsigned flags[] = {4, 4, 4, 0, 0, 0, 0, 0, 2, 2};
    for (int level = 0; level <= 9; ++level)
        EXPECT_EQ(DeflateBuffer(input, level).Result.GeneralPurposeFlags, flags[level]) << level;
    EXPECT_EQ(DeflateBuffer(RandomBytes(100, 12), 9).Result.GeneralPurposeFlags, 2u) << "kept when stored";

    const Bytes level0 = DeflateBuffer(input, 0).Data;
    ExpectRoundTrip(input, DeflateBuffer(input, 0));
    EXPECT_TRUE(DeflateBuffer(input, -1).Data == level0);
    EXPECT_TRUE(DeflateBuffer(input, INT_MIN).Data == level0);
    const Bytes level9 = DeflateBuffer(input, 9).Data;
    EXPECT_TRUE(DeflateBuffer(input, 10).Data == level9);
    EXPECT_TRUE(DeflateBuffer(input, INT_MAX).Data == level9);
    for (const TDeflateToken& token : Tokens(level0))
        EXPECT_EQ(token.Length, 0u) << "level 0 searches no matches";
}

TEST(Deflate, GuessesTextOrBinaryFromTheFirstBlocksLiterals)
{
    EXPECT_EQ(DeflateBuffer(Text(50000, 13), 6).Result.InternalAttribute, 1u);
    EXPECT_EQ(DeflateBuffer(RandomBytes(50000, 14), 6).Result.InternalAttribute, 0u);
    // Random letters stay mostly literals; a share of bytes 128-255 decides.
    for (const auto& [every, attribute] : {std::pair{10u, 1u}, std::pair{2u, 0u}}) {
        Bytes letters = RandomBytes(50000, 15);
        for (std::size_t i = 0; i < letters.size(); ++i)
            letters[i] = static_cast<std::uint8_t>(i % every == 0 ? 0x80 + letters[i] % 128 : 'a' + letters[i] % 26);
        EXPECT_EQ(DeflateBuffer(letters, 6).Result.InternalAttribute, attribute) << every;
    }
}

namespace {

unsigned Hash3(const Bytes& b, std::size_t i)
{
    return ((b[i] << 10) ^ (b[i + 1] << 5) ^ b[i + 2]) & 0x7FFF;
}

// Letters with pattern at 100 and again distance bytes later, followed by
// distinct bytes. No other string in it hashes like the pattern's start, so
// the pattern's first copy heads the hash chain the second one searches.
Bytes PatternAtDistance(const Bytes& pattern, std::size_t distance, std::uint8_t after1, std::uint8_t after2)
{
    const std::size_t first = 100;
    const std::size_t second = first + distance;
    Bytes data = RandomBytes(second + pattern.size() + 200, 15);
    for (auto& b : data)
        b = static_cast<std::uint8_t>('a' + b % 26);
    std::copy(pattern.begin(), pattern.end(), data.begin() + first);
    std::copy(pattern.begin(), pattern.end(), data.begin() + static_cast<std::ptrdiff_t>(second));
    data[first + pattern.size()] = after1;
    data[second + pattern.size()] = after2;
    const auto fixed = [&](std::size_t i) {
        return (i >= first && i <= first + pattern.size()) || (i >= second && i <= second + pattern.size());
    };
    const unsigned target = Hash3(pattern, 0);
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t s = 0; s + 2 < data.size(); ++s) {
            if (s == first || s == second || Hash3(data, s) != target)
                continue;
            for (std::size_t j = s + 2; j + 1 > s; --j) {
                if (!fixed(j)) {
                    data[j] = static_cast<std::uint8_t>('a' + (data[j] - 'a' + 1) % 26);
                    changed = true;
                    break;
                }
            }
        }
    }
    return data;
}

bool HasMatchAt(const Bytes& stream, std::uint64_t position, unsigned distance, unsigned minLength)
{
    for (const TDeflateToken& token : Tokens(stream))
        if (token.Position == position && token.Distance == distance && token.Length >= minLength)
            return true;
    return false;
}

}  // namespace

TEST(Deflate, MatchesReachBack32506BytesNotOneMore)
{
    const Bytes pattern = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7,
                           0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF};
    for (int level : {1, 6, 9}) {
        SCOPED_TRACE(level);
        for (std::size_t distance : {32506u, 32507u}) {
            const Bytes input = PatternAtDistance(pattern, distance, 0xE0, 0xE1);
            const TDeflatedBuffer out = DeflateBuffer(input, level);
            ExpectRoundTrip(input, out);
            EXPECT_EQ(HasMatchAt(out.Data, 100 + distance, static_cast<unsigned>(distance), 16), distance == 32506)
                << distance;
        }
    }
}

TEST(Deflate, LazyLevelsDropLength3MatchesBeyond4096Bytes)
{
    const Bytes pattern = {0xF0, 0xF1, 0xF2};
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(level);
        for (std::size_t distance : {4096u, 4097u}) {
            const Bytes input = PatternAtDistance(pattern, distance, 0xE0, 0xE1);
            const TDeflatedBuffer out = DeflateBuffer(input, level);
            ExpectRoundTrip(input, out);
            const bool expected = distance == 4096 || level <= 3;
            EXPECT_EQ(HasMatchAt(out.Data, 100 + distance, static_cast<unsigned>(distance), 3), expected) << distance;
        }
    }
}

namespace {

// Two literals, then a 20-byte match, over and over: every symbol covers
// several bytes and only a third of them are matches.
Bytes FewLongMatches(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes data = RandomBytes(1000, seed);
    while (data.size() < size) {
        data.push_back(static_cast<std::uint8_t>(rng()));
        data.push_back(static_cast<std::uint8_t>(rng()));
        const std::size_t from = data.size() - 100 - rng() % 900;
        for (std::size_t i = 0; i < 20; ++i)
            data.push_back(data[from + i]);
    }
    data.resize(size);
    return data;
}

}  // namespace

TEST(Deflate, BlocksEndAt32767SymbolsOrEarlyAtMultiplesOf4096)
{
    const Bytes input = FewLongMatches(1 << 20, 16);
    for (int level : {1, 2, 3, 6, 9}) {
        SCOPED_TRACE(level);
        const auto blocks = TDeflateTokenReader(DeflateBuffer(input, level).Data).ReadBlocks();
        ASSERT_GE(blocks.size(), 2u);
        bool earlyEnd = false;
        for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
            const std::size_t symbols = blocks[i].Tokens.size();
            if (level <= 2) {
                EXPECT_EQ(symbols, 32767u);
            } else {
                EXPECT_TRUE(symbols == 32767 || symbols % 4096 == 0) << symbols;
                earlyEnd = earlyEnd || symbols != 32767;
            }
        }
        EXPECT_EQ(earlyEnd, level >= 3) << "it halves with few matches, so levels 3-9 end blocks early";
    }
}

TEST(Deflate, ExceptionsOfTheWriterPassThroughAndTheDeflaterStaysUsable)
{
    const Bytes input = RandomThenRepeat(400000, 17);
    TDeflater deflater;
    TChunkedIO failing(input);
    failing.FailOnWrite(2);
    EXPECT_THROW(deflater.DeflateEntry(failing, 6), std::runtime_error);
    TChunkedIO io(input);
    deflater.DeflateEntry(io, 6);
    EXPECT_TRUE(io.Output == DeflateBuffer(input, 6).Data);
    deflater.FreeDeflateBuffers();
    TChunkedIO again(input);
    deflater.DeflateEntry(again, 6);
    EXPECT_TRUE(again.Output == io.Output);
}

// Locks the exact output: any change to the matcher or the block coding shows.
TEST(Deflate, GoldenStreams)
{
    const Bytes text = Text(200000, 18);
    const Bytes mixed = RandomThenRepeat(60000, 19);
    struct Case {
        const Bytes& input;
        int level;
        std::uint32_t crc;
        std::size_t size;
    };
    const Case cases[] = {
        {text, 1, 0xCE2FFC39u, 48078}, {text, 6, 0x3A9A69AEu, 34651}, {text, 9, 0x9885EBE7u, 32872},
        {mixed, 1, 0x35EDBDA0u, 30402}, {mixed, 6, 0x5A57D709u, 30396}, {mixed, 9, 0x5A57D709u, 30396},
    };
    for (const Case& c : cases) {
        const TDeflatedBuffer out = DeflateBuffer(c.input, c.level);
        EXPECT_EQ(Crc32(out.Data), c.crc) << c.level;
        EXPECT_EQ(out.Data.size(), c.size) << c.level;
    }
}

namespace {

bool HaveInfoZip()
{
    return std::system("command -v zip >/dev/null 2>&1") == 0;
}

// The method and data of the first entry of a zip archive, read from its
// local header (signature, version, flag, method, time, date, crc, sizes,
// name and extra field lengths).
std::pair<unsigned, Bytes> FirstEntryData(const std::string& archive)
{
    const std::string zip = ReadFileBytes(archive);
    const auto u16 = [&](std::size_t at) { return unsigned(std::uint8_t(zip.at(at))) | unsigned(std::uint8_t(zip.at(at + 1))) << 8; };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(u32(0), 0x04034B50u);
    const unsigned method = u16(8);
    const std::size_t compressedSize = u32(18);
    const std::size_t dataStart = 30 + u16(26) + u16(28);
    return {method, Bytes(zip.begin() + static_cast<std::ptrdiff_t>(dataStart),
                          zip.begin() + static_cast<std::ptrdiff_t>(dataStart + compressedSize))};
}

}  // namespace

// Info-ZIP zip makes the same stream from the same input. Only bytes that a
// search compares past the end of the input may differ (ours are zeros), so
// each input ends in bytes found nowhere else.
TEST(Deflate, SameStreamAsInfoZip)
{
    if (!HaveInfoZip())
        GTEST_SKIP() << "Info-ZIP zip is not installed";
    TempDir dir;
    Bytes text = Text(300000, 20);
    const Bytes tail = {0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97};
    text.insert(text.end(), tail.begin(), tail.end());
    Bytes small = RandomBytes(5000, 21);
    // Long chains full of hash collisions, and chains that run on past the
    // reach of a match, across several slides of the window.
    Bytes fourLetters = RandomBytes(300000, 22);
    for (std::uint8_t& b : fourLetters)
        b = "ACGT"[b & 3];
    fourLetters.insert(fourLetters.end(), tail.begin(), tail.end());
    const Bytes farBlock = Text(40000, 23);
    Bytes farRepeats;
    for (int i = 0; i < 3; ++i)
        farRepeats.insert(farRepeats.end(), farBlock.begin(), farBlock.end());
    farRepeats.insert(farRepeats.end(), tail.begin(), tail.end());
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"text.txt", text}, {"random.bin", small}, {"letters.txt", fourLetters}, {"far.bin", farRepeats}};
    for (const auto& [name, input] : files) {
        const std::string file = dir.Write(name, std::string(input.begin(), input.end()));
        for (int level = 1; level <= 9; ++level) {
            SCOPED_TRACE(name + " at level " + std::to_string(level));
            const std::string archive = dir.File(name + std::to_string(level) + ".zip");
            const std::string command = "cd '" + dir.Folder() + "' && zip -q -X -" + std::to_string(level) + " '" +
                                        archive + "' '" + name + "'";
            ASSERT_EQ(std::system(command.c_str()), 0);
            const auto [method, data] = FirstEntryData(archive);
            const TDeflatedBuffer out = DeflateBuffer(input, level);
            EXPECT_EQ(out.Result.Method, method);
            EXPECT_TRUE(out.Data == data);
        }
    }
}

// Records of a few random bytes drawn from a set of 1024, as in tables and
// sampled signals: they repeat only as short strings.
Bytes ShortRecords(std::size_t recordLength, std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<Bytes> set;
    for (int i = 0; i < 1024; ++i)
        set.push_back(RandomBytes(recordLength, static_cast<unsigned>(rng())));
    Bytes bytes;
    while (bytes.size() < size) {
        const Bytes& record = set[rng() % set.size()];
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    bytes.resize(size);
    return bytes;
}

// The quick probe stores what deflate cannot shrink and leaves the rest to
// the search: each kind of data comes out within 1 % of Info-ZIP's size at
// the same level, and the incompressible kinds in stored blocks.
TEST(Deflate, EachKindOfDataComesOutAsSmallAsInfoZipMakesIt)
{
    if (!HaveInfoZip())
        GTEST_SKIP() << "Info-ZIP zip is not installed";
    TempDir dir;
    constexpr std::size_t size = 400000;
    const struct {
        const char* name;
        Bytes data;
        bool incompressible;
    } kinds[] = {
        {"records3.bin", ShortRecords(3, size, 40), false},
        {"records5.bin", ShortRecords(5, size, 41), false},
        {"records7.bin", ShortRecords(7, size, 42), false},
        {"text.txt", Text(size, 43), false},
        {"random.bin", RandomBytes(size, 44), true},
        {"jpeglike.jpg", JpegLike(size, 45), true},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        dir.Write(kind.name, std::string(kind.data.begin(), kind.data.end()));
        const std::string archive = dir.File(std::string(kind.name) + ".zip");
        const std::string command = "cd '" + dir.Folder() + "' && zip -q -X -6 '" + archive + "' '" + kind.name + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const double theirs = static_cast<double>(FirstEntryData(archive).second.size());
        const TDeflatedBuffer out = DeflateBuffer(kind.data, 6);
        ExpectRoundTrip(kind.data, out);
        EXPECT_LE(static_cast<double>(out.Data.size()), theirs * 1.01);
        if (kind.incompressible) {
            for (const auto& block : TDeflateTokenReader(out.Data).ReadBlocks())
                EXPECT_EQ(block.Type, 0u);
        }
    }
}

// What the probe stores, plain or encrypted, the peers read: a photograph-like
// entry in stored blocks, a small one unchanged, one that turns compressible.
TEST(Deflate, PeersReadIncompressibleEntries)
{
    TempDir dir;
    const Bytes random = RandomBytes(200000, 40);
    const Bytes text = Text(200000, 41);
    Bytes randomThenText = random;
    randomThenText.insert(randomThenText.end(), text.begin(), text.end());
    const std::map<std::string, Bytes> sources = {
        {"photo.jpg", JpegLike(1 << 20, 42)},
        {"small.bin", RandomBytes(20000, 43)},
        {"mixed.bin", randomThenText},
    };
    std::map<std::string, std::string> files;
    for (const auto& [name, bytes] : sources) {
        files[name] = std::string(bytes.begin(), bytes.end());
        dir.Write(name, files[name]);
    }
    for (const std::string password : {"", "secret"}) {
        SCOPED_TRACE(password);
        const std::string archive = dir.File("out" + password + ".zip");
        const std::string options = password.empty() ? "" : " -p " + password;
        const TCommandResult result = RunCommand("cd " + ShellQuote(dir.Folder()) + " && " + ZIPDRIVER_PATH +
                                                 " create " + ShellQuote(archive) + " -l 9" + options +
                                                 " photo.jpg small.bin mixed.bin");
        ASSERT_EQ(result.ExitCode, 0);
        ExpectPeersAccept(dir, archive, password);
        EXPECT_TRUE(PythonEntries(dir, archive, password) == files);
    }
}
