#include "inflate/Inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "BitWriter.h"
#include "Exceptions.h"
#include "RecordingSink.h"
#include "SampleData.h"
#include "inflate/InflateTables.h"

// Readable statuses in failure messages.
std::ostream& operator<<(std::ostream& out, TInflateStatus status)
{
    const char* const names[] = {"Ok", "BadData", "Truncated"};
    return out << names[static_cast<int>(status)];
}

namespace {

using TBytes = std::vector<std::uint8_t>;

struct TDeflateOptions {
    int level = 6;
    int windowBits = -15;
    int memLevel = 8;
    int strategy = Z_DEFAULT_STRATEGY;
    int flush = Z_NO_FLUSH; // used after every flushEvery bytes
    std::size_t flushEvery = 0;
};

// A raw deflate stream from zlib.
TBytes ZlibDeflate(const TBytes& data, const TDeflateOptions& options)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, options.level, Z_DEFLATED, options.windowBits, options.memLevel, options.strategy),
              Z_OK);
    const std::size_t chunk = options.flushEvery != 0 ? options.flushEvery : std::max<std::size_t>(data.size(), 1);
    TBytes out(deflateBound(&z, data.size()) + (data.size() / chunk + 1) * 16 + 1024);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    std::size_t done = 0;
    int rc;
    do {
        const std::size_t n = std::min(chunk, data.size() - done);
        z.next_in = const_cast<Bytef*>(data.data() + done);
        z.avail_in = static_cast<uInt>(n);
        done += n;
        rc = deflate(&z, done == data.size() ? Z_FINISH : options.flush);
        EXPECT_EQ(z.avail_in, 0u);
    } while (done < data.size());
    EXPECT_EQ(rc, Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

void ExpectInflatesTo(const TBytes& compressed, const TBytes& expected)
{
    const TInflatedBuffer result = InflateBuffer(compressed);
    EXPECT_EQ(result.Status, TInflateStatus::Ok);
    ASSERT_EQ(result.Bytes.size(), expected.size());
    EXPECT_TRUE(result.Bytes == expected);
}

TInflateStatus StatusOf(const TBytes& compressed)
{
    return InflateBuffer(compressed).Status;
}

TBytes BytesOf(const std::string& text)
{
    return TBytes(text.begin(), text.end());
}

constexpr TSampleKind AllKinds[] = {TSampleKind::Text, TSampleKind::Noise, TSampleKind::Runs, TSampleKind::Records};

// Delivers the compressed bytes in small blocks of changing size, so that
// every refill path meets block ends.
class TChoppySource : public TUnzipSource {
public:
    explicit TChoppySource(const TBytes& bytes) : bytes_(bytes) {}
    std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t count) override
    {
        static constexpr std::size_t sizes[] = {1, 7, 3, 13, 8, 2, 31, 9};
        const std::size_t k = std::min({count, sizes[calls_++ % 8], bytes_.size() - done_});
        std::copy_n(bytes_.data() + done_, k, buffer);
        done_ += k;
        return k;
    }

private:
    const TBytes& bytes_;
    std::size_t done_ = 0;
    std::size_t calls_ = 0;
};

// --- zlib's streams -------------------------------------------------------

TEST(InflateAgainstZlib, EveryLevelKindAndSize)
{
    for (const TSampleKind kind : AllKinds)
        for (const std::size_t size : {0, 1, 5000, 32768, 300000}) {
            const TBytes data = MakeSample(kind, size);
            for (int level = 0; level <= 9; ++level) {
                SCOPED_TRACE(std::string(SampleKindName(kind)) + " size " + std::to_string(size) + " level " +
                             std::to_string(level));
                ExpectInflatesTo(ZlibDeflate(data, {.level = level}), data);
            }
        }
}

TEST(InflateAgainstZlib, EveryStrategy)
{
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const TSampleKind kind : AllKinds) {
        const TBytes data = MakeSample(kind, 100000, 2);
        for (const int strategy : strategies)
            for (const int level : {1, 6, 9}) {
                SCOPED_TRACE(std::string(SampleKindName(kind)) + " strategy " + std::to_string(strategy) +
                             " level " + std::to_string(level));
                ExpectInflatesTo(ZlibDeflate(data, {.level = level, .strategy = strategy}), data);
            }
    }
}

TEST(InflateAgainstZlib, EveryWindowSizeAndMemoryLevel)
{
    for (const TSampleKind kind : {TSampleKind::Text, TSampleKind::Records}) {
        const TBytes data = MakeSample(kind, 200000, 3);
        for (int windowBits = -9; windowBits >= -15; --windowBits)
            for (const int memLevel : {1, 9}) {
                SCOPED_TRACE(std::string(SampleKindName(kind)) + " window bits " + std::to_string(windowBits) +
                             " memory level " + std::to_string(memLevel));
                ExpectInflatesTo(ZlibDeflate(data, {.level = 9, .windowBits = windowBits, .memLevel = memLevel}),
                                 data);
            }
    }
}

TEST(InflateAgainstZlib, SyncFullPartialAndBlockFlushes)
{
    const TBytes data = MakeSample(TSampleKind::Records, 100000, 4);
    for (const int flush : {Z_SYNC_FLUSH, Z_FULL_FLUSH, Z_PARTIAL_FLUSH, Z_BLOCK})
        for (const std::size_t every : {7, 977, 40000}) {
            SCOPED_TRACE("flush " + std::to_string(flush) + " every " + std::to_string(every));
            ExpectInflatesTo(ZlibDeflate(data, {.flush = flush, .flushEvery = every}), data);
        }
}

TEST(InflateAgainstZlib, StoredFixedAndDynamicBlocksInAnyOrder)
{
    const TBytes data = MakeSample(TSampleKind::Text, 60000, 5);
    // Each parameter change ends a block: stored (level 0), fixed, dynamic.
    const int steps[][2] = {{0, Z_DEFAULT_STRATEGY}, {6, Z_FIXED},  {6, Z_DEFAULT_STRATEGY}, {6, Z_FIXED},
                            {6, Z_FIXED},            {0, Z_FIXED},  {9, Z_DEFAULT_STRATEGY}, {0, Z_DEFAULT_STRATEGY}};
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    TBytes out(200000);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const std::size_t part = data.size() / 8;
    for (std::size_t i = 0; i < 8; ++i) {
        ASSERT_EQ(deflateParams(&z, steps[i][0], steps[i][1]), Z_OK);
        z.next_in = const_cast<Bytef*>(data.data() + i * part);
        z.avail_in = static_cast<uInt>(i == 7 ? data.size() - i * part : part);
        ASSERT_EQ(deflate(&z, i == 7 ? Z_FINISH : Z_BLOCK), i == 7 ? Z_STREAM_END : Z_OK);
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    ExpectInflatesTo(out, data);
}

TEST(InflateAgainstZlib, InputInSmallBlocks)
{
    for (const TSampleKind kind : AllKinds)
        for (const int level : {0, 1, 9}) {
            SCOPED_TRACE(std::string(SampleKindName(kind)) + " level " + std::to_string(level));
            const TBytes data = MakeSample(kind, 70000, 6);
            const TBytes compressed = ZlibDeflate(data, {.level = level});
            TChoppySource source(compressed);
            TRecordingSink sink;
            TUnzipIO io(source, sink);
            TInflater inflater;
            EXPECT_EQ(inflater.Inflate(io), TInflateStatus::Ok);
            EXPECT_TRUE(sink.bytes == data);
        }
}

// --- output blocks and entries ----------------------------------------------

TEST(Inflate, HandsTheSinkWholeBlocksAndNoEmptyOne)
{
    struct TCase {
        std::size_t size;
        std::vector<std::size_t> blocks;
    };
    const TCase cases[] = {
        {0, {}},
        {1, {1}},
        {32768, {32768}},
        {32769, {32768, 1}},
        {200000, {32768, 32768, 32768, 32768, 32768, 32768, 3392}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.size);
        const TBytes data = MakeSample(TSampleKind::Records, test.size);
        const TBytes compressed = ZlibDeflate(data, {});
        TMemoryUnzipSource source(compressed);
        TRecordingSink sink;
        TUnzipIO io(source, sink);
        TInflater inflater;
        EXPECT_EQ(inflater.Inflate(io), TInflateStatus::Ok);
        EXPECT_EQ(sink.blocks, test.blocks);
        EXPECT_TRUE(sink.bytes == data);
    }
}

// A fixed block: the literals, then one match, then the end of the block.
TBytes FixedBlockWithMatch(const std::string& literals, unsigned lengthSymbol, unsigned distanceSymbol)
{
    TBitWriter writer;
    writer.Put(1, 1);
    writer.Put(FixedBlock, 2);
    for (const char c : literals)
        PutFixedLiteral(writer, static_cast<std::uint8_t>(c));
    PutFixedLiteral(writer, lengthSymbol);
    PutFixedDistance(writer, distanceSymbol);
    PutFixedLiteral(writer, EndOfBlockSymbol);
    return writer.Bytes();
}

// A sink that lends capacity bytes of its own: what is handed over in place
// is counted, anything else is copied behind it.
class TLendingSink : public TUnzipSink {
public:
    explicit TLendingSink(std::size_t capacity) : memory_(capacity) {}
    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override
    {
        ASSERT_GE(count, 1u);
        ASSERT_LE(count, UnzipBlockSize);
        if (size_ < memory_.size() && data == memory_.data() + size_) {
            ASSERT_LE(count, memory_.size() - size_);
            inPlace += count;
            size_ += count;
            return;
        }
        ASSERT_GE(size_, inPlace);
        copied.insert(copied.end(), data, data + count);
    }
    std::span<std::uint8_t> LendMemory() override { return std::span(memory_).subspan(size_); }

    TBytes Bytes() const
    {
        TBytes bytes(memory_.begin(), memory_.begin() + static_cast<std::ptrdiff_t>(size_));
        bytes.insert(bytes.end(), copied.begin(), copied.end());
        return bytes;
    }
    std::size_t inPlace = 0;
    TBytes copied;

private:
    TBytes memory_;
    std::size_t size_ = 0;
};

TEST(Inflate, WritesIntoLentMemoryAndGoesOnInTheWindowWhereItEnds)
{
    // The window takes over where less than 512 bytes of slack are left, so
    // lent memory of 512 bytes or less is not used at all.
    struct TCase {
        std::size_t capacity;
        std::size_t inPlace;
    };
    constexpr std::size_t Size = 300000;
    const TCase cases[] = {
        {0, 0},
        {512, 0},
        {513, 1},         // one byte, then the window, its history that byte
        {1000, 488},      // a match may take the last bytes past the slack
        {40000, 39488},   // the window's history a full 32 KB of lent memory
        {131072 + 512, 131072},
        {200000, 199488}, // handed over after 128 KB, then again
        {Size, Size - 512},
        {Size + 511, Size - 1},
        {Size + 512, Size},
        {Size + 100000, Size},
    };
    for (const TSampleKind kind : AllKinds)
        for (const int level : {0, 1, 6, 9}) {
            const TBytes data = MakeSample(kind, Size, 4);
            const TBytes compressed = ZlibDeflate(data, {.level = level});
            for (const TCase& test : cases) {
                SCOPED_TRACE(std::string(SampleKindName(kind)) + " level " + std::to_string(level) + ", " +
                             std::to_string(test.capacity) + " bytes lent");
                TMemoryUnzipSource source(compressed);
                TLendingSink sink(test.capacity);
                TUnzipIO io(source, sink);
                TInflater inflater;
                ASSERT_EQ(inflater.Inflate(io), TInflateStatus::Ok);
                EXPECT_TRUE(sink.Bytes() == data);
                // A match or a literal run may end a little past where the
                // window takes over; never less than that is in place.
                EXPECT_GE(sink.inPlace, test.inPlace);
                EXPECT_LE(sink.inPlace, std::min(test.capacity, Size));
                if (test.inPlace == 0) {
                    EXPECT_EQ(sink.inPlace, 0u);
                }
            }
        }
}

TEST(Inflate, LentMemoryHoldsOnlyTheEntrysOwnHistory)
{
    TInflater inflater;
    const TBytes secret = MakeSample(TSampleKind::Text, 50000);
    const TBytes first = ZlibDeflate(secret, {});
    TMemoryUnzipSource firstSource(first);
    TLendingSink firstSink(100000);
    TUnzipIO firstIO(firstSource, firstSink);
    ASSERT_EQ(inflater.Inflate(firstIO), TInflateStatus::Ok);

    const TBytes second = FixedBlockWithMatch("a", 257, 1);
    TMemoryUnzipSource secondSource(second);
    TLendingSink secondSink(100000);
    TUnzipIO secondIO(secondSource, secondSink);
    EXPECT_EQ(inflater.Inflate(secondIO), TInflateStatus::BadData);
    EXPECT_TRUE(secondSink.Bytes().empty());
}

TEST(Inflate, ReusedInflaterNeverReachesIntoAnEarlierEntry)
{
    TInflater inflater;
    const TBytes secret = MakeSample(TSampleKind::Text, 50000);
    const TBytes first = ZlibDeflate(secret, {});
    TMemoryUnzipSource firstSource(first);
    TRecordingSink firstSink;
    TUnzipIO firstIO(firstSource, firstSink);
    ASSERT_EQ(inflater.Inflate(firstIO), TInflateStatus::Ok);

    // Length 3 at distance 1 as the very first item of the next entry.
    const TBytes second = FixedBlockWithMatch("", 257, 0);
    TMemoryUnzipSource secondSource(second);
    TRecordingSink secondSink;
    TUnzipIO secondIO(secondSource, secondSink);
    EXPECT_EQ(inflater.Inflate(secondIO), TInflateStatus::BadData);
    EXPECT_TRUE(secondSink.bytes.empty());

    // And the inflater still works afterwards.
    TMemoryUnzipSource thirdSource(first);
    TRecordingSink thirdSink;
    TUnzipIO thirdIO(thirdSource, thirdSink);
    EXPECT_EQ(inflater.Inflate(thirdIO), TInflateStatus::Ok);
    EXPECT_TRUE(thirdSink.bytes == secret);
}

TEST(Inflate, DistanceMayReachTheFirstByteButNotBeyond)
{
    // Distance symbols 0 and 1 are distances 1 and 2; length symbol 257 is 3.
    ExpectInflatesTo(FixedBlockWithMatch("a", 257, 0), BytesOf("aaaa"));
    ExpectInflatesTo(FixedBlockWithMatch("ab", 257, 1), BytesOf("ababa"));
    EXPECT_EQ(StatusOf(FixedBlockWithMatch("a", 257, 1)), TInflateStatus::BadData);
    EXPECT_EQ(StatusOf(FixedBlockWithMatch("", 257, 0)), TInflateStatus::BadData);
}

TEST(Inflate, OutputPastTheLimitRaisesWriteError)
{
    const TBytes data = MakeSample(TSampleKind::Runs, 100000);
    const TBytes compressed = ZlibDeflate(data, {});
    EXPECT_THROW(InflateBuffer(compressed, 99999), EWriteError);
    EXPECT_EQ(InflateBuffer(compressed, 100000).Bytes.size(), 100000u);
}

// --- hand-made blocks ---------------------------------------------------------

TEST(InflateBlocks, StoredBlocks)
{
    struct TCase {
        const char* name;
        unsigned length;
        unsigned complement;
        TInflateStatus status;
    };
    const TCase cases[] = {
        {"empty", 0, 0xFFFF, TInflateStatus::Ok},
        {"three bytes", 3, 0xFFFC, TInflateStatus::Ok},
        {"wrong complement", 3, 0xFFFD, TInflateStatus::BadData},
        {"complement of zero not all ones", 0, 0, TInflateStatus::BadData},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        TBitWriter writer;
        writer.Put(1, 1);
        writer.Put(StoredBlock, 2);
        writer.AlignToByte();
        writer.Put(test.length, 16);
        writer.Put(test.complement, 16);
        for (const char c : std::string("xyz").substr(0, test.length))
            writer.PutByte(static_cast<std::uint8_t>(c));
        const TInflatedBuffer result = InflateBuffer(writer.Bytes());
        EXPECT_EQ(result.Status, test.status);
        if (test.status == TInflateStatus::Ok) {
            EXPECT_EQ(result.Bytes, BytesOf(std::string("xyz").substr(0, test.length)));
        }
    }
}

TEST(InflateBlocks, BlockTypeThreeIsBadData)
{
    TBitWriter writer;
    writer.Put(1, 1);
    writer.Put(3, 2);
    writer.Put(0, 29);
    EXPECT_EQ(StatusOf(writer.Bytes()), TInflateStatus::BadData);
}

TEST(InflateBlocks, FixedSymbolsThatNeverOccurAreBadData)
{
    for (const unsigned symbol : {286u, 287u}) {
        SCOPED_TRACE(symbol);
        TBitWriter writer;
        writer.Put(1, 1);
        writer.Put(FixedBlock, 2);
        PutFixedLiteral(writer, 'a');
        PutFixedLiteral(writer, symbol);
        PutFixedDistance(writer, 0);
        PutFixedLiteral(writer, EndOfBlockSymbol);
        EXPECT_EQ(StatusOf(writer.Bytes()), TInflateStatus::BadData);
    }
    for (const unsigned distance : {30u, 31u}) {
        SCOPED_TRACE(distance);
        EXPECT_EQ(StatusOf(FixedBlockWithMatch(std::string(40000, 'a'), 257, distance)), TInflateStatus::BadData);
    }
}

// A dynamic block header whose code-length code gives the symbols 0 to 15
// four bits each, then every code length as one such symbol.
void PutDynamicHeader(TBitWriter& writer, const TBytes& literalLengths, const TBytes& distanceLengths)
{
    writer.Put(1, 1);
    writer.Put(DynamicBlock, 2);
    writer.Put(static_cast<std::uint32_t>(literalLengths.size() - 257), 5);
    writer.Put(static_cast<std::uint32_t>(distanceLengths.size() - 1), 5);
    writer.Put(CodeLengthCodes - 4, 4);
    TBytes codeLengthLengths(CodeLengthCodes, 4);
    codeLengthLengths[16] = codeLengthLengths[17] = codeLengthLengths[18] = 0;
    for (const std::uint8_t symbol : CodeLengthOrder)
        writer.Put(codeLengthLengths[symbol], 3);
    const auto codes = CanonicalCodes(codeLengthLengths);
    for (const TBytes* lengths : {&literalLengths, &distanceLengths})
        for (const std::uint8_t length : *lengths)
            writer.PutCode(codes[length], 4);
}

struct TDynamicBlock {
    TBytes literalLengths = TBytes(258, 0);
    TBytes distanceLengths = TBytes(1, 0);

    // The block with the given literal/length and distance symbols in order;
    // a symbol below 0 stands for a distance symbol -1 - d.
    TBytes Write(const std::vector<int>& symbols) const
    {
        TBitWriter writer;
        PutDynamicHeader(writer, literalLengths, distanceLengths);
        const auto literalCodes = CanonicalCodes(literalLengths);
        const auto distanceCodes = CanonicalCodes(distanceLengths);
        for (const int symbol : symbols) {
            if (symbol >= 0)
                writer.PutCode(literalCodes[symbol], literalLengths[symbol]);
            else
                writer.PutCode(distanceCodes[-1 - symbol], distanceLengths[-1 - symbol]);
        }
        return writer.Bytes();
    }
};

TEST(InflateBlocks, DynamicHeaderCountsPastTheLimitAreBadData)
{
    struct TCase {
        unsigned literalCount;
        unsigned distanceCount;
        TInflateStatus status;
    };
    const TCase cases[] = {
        {286, 30, TInflateStatus::Ok},
        {287, 30, TInflateStatus::BadData},
        {288, 1, TInflateStatus::BadData},
        {286, 31, TInflateStatus::BadData},
        {257, 32, TInflateStatus::BadData},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(std::to_string(test.literalCount) + " " + std::to_string(test.distanceCount));
        TDynamicBlock block;
        block.literalLengths.assign(test.literalCount, 0);
        block.literalLengths['a'] = 1;
        block.literalLengths[EndOfBlockSymbol] = 1;
        block.distanceLengths.assign(test.distanceCount, 0);
        const TInflatedBuffer result = InflateBuffer(block.Write({'a', EndOfBlockSymbol}));
        EXPECT_EQ(result.Status, test.status);
    }
}

TEST(InflateBlocks, NoDistanceCodesAllowLiteralsOnly)
{
    TDynamicBlock block;
    block.literalLengths['a'] = 1;
    block.literalLengths[EndOfBlockSymbol] = 2;
    block.literalLengths[257] = 2;
    ExpectInflatesTo(block.Write({'a', 'a', EndOfBlockSymbol}), BytesOf("aa"));
    EXPECT_EQ(StatusOf(block.Write({'a', 257, EndOfBlockSymbol})), TInflateStatus::BadData);
}

TEST(InflateBlocks, SingleOneBitDistanceCodeIsComplete)
{
    TDynamicBlock block;
    block.literalLengths['a'] = 1;
    block.literalLengths[EndOfBlockSymbol] = 2;
    block.literalLengths[257] = 2;
    block.distanceLengths[0] = 1;
    ExpectInflatesTo(block.Write({'a', 257, -1, EndOfBlockSymbol}), BytesOf("aaaa"));

    // The bit string "1" is no distance code.
    TBitWriter writer;
    PutDynamicHeader(writer, block.literalLengths, block.distanceLengths);
    const auto codes = CanonicalCodes(block.literalLengths);
    writer.PutCode(codes['a'], 1);
    writer.PutCode(codes[257], 2);
    writer.Put(1, 1);
    writer.PutCode(codes[EndOfBlockSymbol], 2);
    EXPECT_EQ(StatusOf(writer.Bytes()), TInflateStatus::BadData);
}

TEST(InflateBlocks, OverSubscribedAndIncompleteCodeSetsAreBadData)
{
    struct TCase {
        const char* name;
        std::vector<std::pair<unsigned, std::uint8_t>> literals;
        std::vector<std::pair<unsigned, std::uint8_t>> distances;
    };
    const TCase cases[] = {
        {"over-subscribed literals", {{'a', 1}, {'b', 1}, {EndOfBlockSymbol, 1}}, {}},
        {"incomplete literals", {{'a', 2}, {EndOfBlockSymbol, 2}}, {}},
        {"over-subscribed distances", {{'a', 1}, {EndOfBlockSymbol, 1}}, {{0, 1}, {1, 1}, {2, 1}}},
        {"incomplete distances", {{'a', 1}, {EndOfBlockSymbol, 1}}, {{0, 2}, {1, 2}}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        TDynamicBlock block;
        block.distanceLengths.assign(3, 0);
        for (const auto& [symbol, length] : test.literals)
            block.literalLengths[symbol] = length;
        for (const auto& [symbol, length] : test.distances)
            block.distanceLengths[symbol] = length;
        EXPECT_EQ(StatusOf(block.Write({'a', 'a'})), TInflateStatus::BadData);
    }
}

// A dynamic header whose code-length code has the given lengths, followed
// by the given code-length symbols, each with its extra bits.
void PutDynamicHeaderWith(TBitWriter& writer, const TBytes& codeLengthLengths,
                          const std::vector<std::pair<unsigned, unsigned>>& symbols)
{
    writer.Put(1, 1);
    writer.Put(DynamicBlock, 2);
    writer.Put(0, 5); // 257 literal/length codes
    writer.Put(0, 5); // 1 distance code
    writer.Put(CodeLengthCodes - 4, 4);
    for (const std::uint8_t symbol : CodeLengthOrder)
        writer.Put(codeLengthLengths[symbol], 3);
    const auto codes = CanonicalCodes(codeLengthLengths);
    for (const auto& [symbol, extra] : symbols) {
        writer.PutCode(codes[symbol], codeLengthLengths[symbol]);
        if (symbol == RepeatPreviousSymbol)
            writer.Put(extra, 2);
        else if (symbol == RepeatZeroSymbol)
            writer.Put(extra, 3);
        else if (symbol == RepeatZeroLongSymbol)
            writer.Put(extra, 7);
    }
}

TEST(InflateBlocks, RepeatOfThePreviousLengthAtTheStartRepeatsZero)
{
    // Code-length symbols 0 to 14 four bits, 15 and 16 five bits: complete.
    TBytes codeLengthLengths(CodeLengthCodes, 4);
    codeLengthLengths[15] = codeLengthLengths[16] = 5;
    codeLengthLengths[17] = codeLengthLengths[18] = 0;
    // Three zeros by the repeat, 62 zeros, 'A' (65) 1 bit, 190 zeros, the
    // end of block 1 bit, and the one distance code unused.
    std::vector<std::pair<unsigned, unsigned>> symbols{{RepeatPreviousSymbol, 0}};
    symbols.insert(symbols.end(), 62, {0, 0});
    symbols.push_back({1, 0});
    symbols.insert(symbols.end(), 190, {0, 0});
    symbols.push_back({1, 0});
    symbols.push_back({0, 0});
    TBitWriter writer;
    PutDynamicHeaderWith(writer, codeLengthLengths, symbols);
    writer.PutCode(0, 1); // 'A'
    writer.PutCode(0, 1); // 'A'
    writer.PutCode(1, 1); // end of block
    ExpectInflatesTo(writer.Bytes(), BytesOf("AA"));
}

TEST(InflateBlocks, DegenerateCodeLengthCodesAreBadData)
{
    struct TCase {
        const char* name;
        TBytes codeLengthLengths;
        std::vector<std::pair<unsigned, unsigned>> symbols;
    };
    TBytes none(CodeLengthCodes, 0);
    TBytes single(CodeLengthCodes, 0);
    single[0] = 1;
    TBytes overSubscribed(CodeLengthCodes, 1);
    TBytes incomplete(CodeLengthCodes, 0);
    incomplete[0] = incomplete[1] = 2;
    const TCase cases[] = {
        {"all lengths zero", none, {}},
        {"single 1-bit code, every length zero", single, std::vector<std::pair<unsigned, unsigned>>(258, {0, 0})},
        {"single 1-bit code, then the unused bit string", single, {{0, 0}, {0, 0}}},
        {"over-subscribed", overSubscribed, {}},
        {"incomplete", incomplete, std::vector<std::pair<unsigned, unsigned>>(258, {0, 0})},
        {"repeat past the last length", TBytes{2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},
         {{18, 127}, {18, 127}, {18, 127}}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        TBitWriter writer;
        PutDynamicHeaderWith(writer, test.codeLengthLengths, test.symbols);
        // Set bits: the unused bit string of a single code, or literal data.
        writer.Put(0xFFFFFFFF, 32);
        EXPECT_EQ(StatusOf(writer.Bytes()), TInflateStatus::BadData);
    }
}

// One byte per input block: every refill goes byte by byte.
class TByteSource : public TUnzipSource {
public:
    explicit TByteSource(const TBytes& bytes) : bytes_(bytes) {}
    std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t) override
    {
        if (done_ == bytes_.size())
            return 0;
        *buffer = bytes_[done_++];
        return 1;
    }

private:
    const TBytes& bytes_;
    std::size_t done_ = 0;
};

TEST(InflateBlocks, LongestMatchThenLongestCodeAtEveryBitPosition)
{
    // Codes of 1 to 15 bits: a match of 15 + 5 + 15 + 13 = 48 bits, the most
    // one refill must cover, then a literal of 15 bits.
    TDynamicBlock block;
    block.literalLengths.assign(286, 0);
    const unsigned chain[] = {'a', 'b', EndOfBlockSymbol, 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm'};
    for (unsigned i = 0; i < 14; ++i)
        block.literalLengths[chain[i]] = static_cast<std::uint8_t>(i + 1);
    block.literalLengths[284] = 15; // lengths 227 + 5 bits
    block.literalLengths['z'] = 15;
    block.distanceLengths.assign(30, 0);
    for (unsigned i = 0; i < 14; ++i)
        block.distanceLengths[i] = static_cast<std::uint8_t>(i + 1);
    block.distanceLengths[28] = 15; // distances 16385 + 13 bits
    block.distanceLengths[29] = 15;
    const auto literalCodes = CanonicalCodes(block.literalLengths);
    const auto distanceCodes = CanonicalCodes(block.distanceLengths);

    for (unsigned shift = 0; shift < 8; ++shift) {
        SCOPED_TRACE(shift);
        TBitWriter writer;
        PutDynamicHeader(writer, block.literalLengths, block.distanceLengths);
        const std::size_t before = 25000 + shift; // the match reaches 24576 back
        for (std::size_t i = 0; i < before; ++i)
            writer.PutCode(literalCodes['a'], 1);
        writer.PutCode(literalCodes[284], 15);
        writer.Put(31, 5);
        writer.PutCode(distanceCodes[28], 15);
        writer.Put(0x1FFF, 13);
        writer.PutCode(literalCodes['z'], 15);
        writer.PutCode(literalCodes[EndOfBlockSymbol], 3);
        const TBytes stream = writer.Bytes();

        TBytes expected(before + 258, 'a');
        expected.push_back('z');
        ExpectInflatesTo(stream, expected);
        TByteSource source(stream);
        TRecordingSink sink;
        TUnzipIO io(source, sink);
        TInflater inflater;
        EXPECT_EQ(inflater.Inflate(io), TInflateStatus::Ok);
        EXPECT_TRUE(sink.bytes == expected);
    }
}

// --- truncation -----------------------------------------------------------------

TEST(InflateTruncation, EveryProperPrefixFailsAndStops)
{
    for (const TSampleKind kind : AllKinds)
        for (const int level : {0, 1, 6}) {
            SCOPED_TRACE(std::string(SampleKindName(kind)) + " level " + std::to_string(level));
            const TBytes data = MakeSample(kind, 3000, 7);
            const TBytes compressed = ZlibDeflate(data, {.level = level});
            for (std::size_t size = 0; size < compressed.size(); ++size) {
                const TBytes prefix(compressed.begin(), compressed.begin() + static_cast<std::ptrdiff_t>(size));
                const TInflatedBuffer result = InflateBuffer(prefix);
                ASSERT_NE(result.Status, TInflateStatus::Ok) << "prefix of " << size;
                ASSERT_TRUE(std::equal(result.Bytes.begin(), result.Bytes.end(), data.begin()));
            }
        }
}

TEST(InflateTruncation, ZeroBitsPastTheEndStopTheDecoder)
{
    struct TCase {
        const char* name;
        TBytes stream;
    };
    const TCase cases[] = {
        {"nothing", {}},
        {"a fixed block that is not the last", {0x02}},
        {"a stored block cut in its data", {0x01, 0x05, 0x00, 0xFA, 0xFF, 'a', 'b'}},
        {"a dynamic header cut short", {0x05, 0xE0}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(StatusOf(test.stream), TInflateStatus::Truncated);
    }
}

TEST(InflateTruncation, BytesAfterTheLastBlockAreIgnored)
{
    const TBytes data = MakeSample(TSampleKind::Text, 10000);
    TBytes compressed = ZlibDeflate(data, {});
    compressed.insert(compressed.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9});
    ExpectInflatesTo(compressed, data);
}

} // namespace
