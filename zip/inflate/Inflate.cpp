// Inflate (RFC 1951), built for speed on the viewer's hot path.
//
// The window is one buffer: 32 KB of history, then room for 128 KB of new
// bytes, then a little slack. The decoder writes every byte straight into it
// and a back-reference copies from behind the write position, with no
// wrap-around to care for. When the new bytes fill their room, they go to the
// output in 32 KB blocks and the last 32 KB (plus the few bytes a match wrote
// past the room) move to the front to become the history; that move costs a
// fraction of what a ring buffer's modulo on every copy would.
//
// A sink that lends its memory spares both the move and its own copy: the
// decoder writes straight into that memory, its history the bytes before,
// and hands it over 128 KB at a time while it is still in the cache. Only
// the last bytes, where the lent memory leaves less than the slack, go
// through the window, which takes the last 32 KB along as its history.
//
// Symbols are decoded through the tables of BuildInflateTable, whose 32-bit
// entries carry everything a symbol needs: one lookup of the root bits, a
// second for long codes; a root entry may hold two short literals at once.
// The bit reader holds 64 bits, and one refill covers four root entries, or
// a root length code, its extra bits, the longest distance code and its
// extra bits (11 + 5 + 15 + 13 = 44 bits) with the root bits of the next
// entry. The hot loop runs while the input block and the room for new bytes
// leave a margin, so that it tests neither end; one careful step at a time
// crosses the margins. The next entry is looked up while the current match
// is still being copied, and only a length is told from the rarer kinds
// (links, end of block, invalid codes) by a single test.
// Matches copy 8 bytes at a time (each word reads only bytes already
// written), the first words without a loop test, and may write up to 32
// bytes past their end into bytes not yet produced, hence the slack; the
// fixed tables are built once. Where the processor has BMI2, the same loop
// is compiled a second time to use its shifts. Hostile data stay inside the
// tables (every entry is defined) and the window: a distance reaching before
// the entry's first byte is an error, so no entry sees what an earlier one
// left behind.
#include "inflate/Inflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>

#include "inflate/InflateTables.h"

namespace {

constexpr std::size_t HistorySize = InflateWindowSize;
constexpr std::size_t FlushSize = 4 * UnzipBlockSize;
constexpr std::size_t SlackSize = 512;
// A match copy may write this many bytes past its end.
constexpr std::size_t MatchOverrun = 32;
static_assert(SlackSize >= MaxMatchLength + MatchOverrun);
constexpr std::size_t WindowCapacity = HistorySize + FlushSize + SlackSize;

// Root bits of every literal/length and every distance table, the fixed
// ones too: the hot loop masks with constants, which spares it a register.
// The literal root covers every fixed code, two literal codes together where
// they are short (text, mostly), and nearly every code of other data.
constexpr unsigned LiteralLookupBits = 11;
constexpr unsigned DistanceLookupBits = 8;
constexpr unsigned CodeLengthLookupBits = 7;
// The hot loop decodes four root literals from one refill of 56 bits.
static_assert(56 - 4 * LiteralLookupBits >= LiteralLookupBits);

// The fast loop's two refills read up to 16 bytes.
constexpr std::ptrdiff_t FastInputMargin = 16;

// The code-length code's symbols as base values, whose extra bits add to
// the repeat count in the low byte: a length 0 to 15 once (the length in
// bits 8 to 11), copies of the previous length (3 + 2 bits), or zeros (3 + 3
// bits, 11 + 7 bits).
constexpr unsigned RepeatsPrevious = 1u << 12;
constexpr auto CodeLengthBase = [] {
    std::array<std::uint16_t, CodeLengthCodes> base{};
    for (unsigned length = 0; length < RepeatPreviousSymbol; ++length)
        base[length] = static_cast<std::uint16_t>(1 | length << 8);
    base[RepeatPreviousSymbol] = 3 | RepeatsPrevious;
    base[RepeatZeroSymbol] = 3;
    base[RepeatZeroLongSymbol] = 11;
    return base;
}();
constexpr std::array<std::uint8_t, CodeLengthCodes> CodeLengthExtraBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
// A run of code lengths is stored in words of 8, at least two.
constexpr std::size_t CodeLengthsOverrun = 16;

// Stands in for a table without codes: every lookup finds an invalid code.
constexpr auto NoCodes = [] {
    std::array<TInflateEntry, std::size_t{1} << LiteralLookupBits> entries{};
    entries.fill(InflateInvalidFlag);
    return entries;
}();
static_assert(LiteralLookupBits >= DistanceLookupBits);

TInflateTable BuildFixedLiteralTable()
{
    std::array<std::uint8_t, FixedLiteralCodes> lengths{};
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.end(), 8);
    TInflateTable table;
    [[maybe_unused]] const auto result =
        BuildInflateTable(lengths, FirstLengthSymbol, LengthBase, LengthExtraBits, LiteralLookupBits, table,
                          TRootBits::Exact);
    assert(result == THuffmanResult::Ok);
    return table;
}

TInflateTable BuildFixedDistanceTable()
{
    std::array<std::uint8_t, FixedDistanceCodes> lengths{};
    lengths.fill(5);
    TInflateTable table;
    // 30 codes of 5 bits leave two bit strings unused: incomplete, usable.
    [[maybe_unused]] const auto result =
        BuildInflateTable(lengths, 0, DistanceBase, DistanceExtraBits, DistanceLookupBits, table, TRootBits::Exact);
    assert(result == THuffmanResult::Incomplete);
    return table;
}

const TInflateTable& FixedLiteralTable()
{
    static const TInflateTable table = BuildFixedLiteralTable();
    return table;
}

const TInflateTable& FixedDistanceTable()
{
    static const TInflateTable table = BuildFixedDistanceTable();
    return table;
}

std::uint64_t Mask(unsigned bits)
{
    return (std::uint64_t{1} << bits) - 1;
}

constexpr unsigned EntryBits(TInflateEntry entry)
{
    return entry & 0xFF;
}

constexpr unsigned EntryCodeBits(TInflateEntry entry)
{
    return (entry >> 8) & 0xF;
}

constexpr unsigned EntryValue(TInflateEntry entry)
{
    return entry >> 16;
}

// A base value plus its extra bits, from the bit buffer as it was before the
// entry's bits were dropped.
unsigned BaseAndExtra(TInflateEntry entry, std::uint64_t bitsBefore)
{
    return EntryValue(entry) + static_cast<unsigned>((bitsBefore & Mask(EntryBits(entry))) >> EntryCodeBits(entry));
}

// Writes a literal entry's one or two bytes as a word of four, the entry
// turned so that its literals come first; what follows overwrites the rest.
void StoreLiterals(std::uint8_t* out, TInflateEntry entry)
{
    std::uint32_t word = std::rotr(entry, 16);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap32(word);
    std::memcpy(out, &word, sizeof word);
}

// Copies 8 bytes through a register: memcpy, for no alignment is known.
[[gnu::always_inline]] inline void CopyWord(std::uint8_t* to, const std::uint8_t* from)
{
    std::uint64_t word;
    std::memcpy(&word, from, sizeof word);
    std::memcpy(to, &word, sizeof word);
}

// Copies length bytes from distance back; an overlapping copy repeats the
// most recent bytes. Writes whole words: up to MatchOverrun bytes past the
// end. Most matches are short, so the first four words go without a loop
// test. Words, not 16-byte chunks: matches often read bytes just written,
// and there the smaller loads measured faster (on text most of all).
[[gnu::always_inline]] inline void CopyMatch(std::uint8_t* out, std::size_t distance, unsigned length)
{
    const std::uint8_t* from = out - distance;
    std::uint8_t* const end = out + length;
    if (distance >= 8) {
        // Each word reads only bytes written before it.
        CopyWord(out, from);
        CopyWord(out + 8, from + 8);
        CopyWord(out + 16, from + 16);
        CopyWord(out + 24, from + 24);
        for (out += 32, from += 32; out < end; out += 8, from += 8)
            CopyWord(out, from);
    } else if (distance == 1) {
        const std::uint64_t repeated = *from * std::uint64_t{0x0101010101010101};
        for (; out < end; out += 8)
            std::memcpy(out, &repeated, 8);
    } else {
        while (out < end)
            *out++ = *from++;
    }
}

// The fast loop drops an entry's bits with the whole entry: the shift takes
// its count modulo 64, and the bit count, never above 63, is kept modulo 64
// too, so the entry's upper fields only leave garbage above the count's low
// six bits. HeldBits reads the count; a refill keeps the garbage as it is.
[[gnu::always_inline]] inline void DropBits(TBitReader& bits, TInflateEntry entry)
{
    static_assert(MaxCodeLength + 13 < 64, "a code and its extra bits fit the low six bits");
    bits.buffer >>= entry & 63;
    bits.count -= entry;
}

[[gnu::always_inline]] inline unsigned HeldBits(const TBitReader& bits)
{
    return bits.count & 63;
}

// Drops a base value's code and extra bits and returns the value: the base
// plus the extra bits, which are the top ones of the bits dropped. Those are
// the buffer before, XOR what remains shifted back; no mask to make.
[[gnu::always_inline]] inline unsigned TakeValue(TBitReader& bits, TInflateEntry entry)
{
    const std::uint64_t before = bits.buffer;
    DropBits(bits, entry);
    const std::uint64_t dropped = before ^ (bits.buffer << (entry & 63));
    // A base value has no kind bits: bits 8 to 13 hold only its code's bits.
    return EntryValue(entry) + static_cast<unsigned>(dropped >> ((entry >> 8) & 63));
}

// The fast loop's refill, from 8 bytes the loop made sure are there.
[[gnu::always_inline]] inline void RefillFast(TBitReader& bits)
{
    bits.buffer |= TBitReader::LoadLittleEndian64(bits.next) << HeldBits(bits);
    bits.next += 7 - ((bits.count >> 3) & 7);
    bits.count |= 56;
}

} // namespace

// A block's two tables, NoCodes for one without codes. Every root, NoCodes
// too, covers the bits of its kind, so a root lookup masks with a constant.
struct TInflater::TCodeTables {
    const TInflateEntry* literals;
    const TInflateEntry* distances;

    TCodeTables(const TInflateTable& literalTable, const TInflateTable& distanceTable)
        : literals(Entries(literalTable, LiteralLookupBits)), distances(Entries(distanceTable, DistanceLookupBits))
    {
    }

    static const TInflateEntry* Entries([[maybe_unused]] const TInflateTable& table,
                                        [[maybe_unused]] unsigned rootBits)
    {
        assert(table.Empty() || table.LookupBits() == rootBits);
        return table.Empty() ? NoCodes.data() : table.Entries();
    }

    // The root entry of the code at the front of bits.
    TInflateEntry Literal(const TBitReader& bits) const { return literals[bits.buffer & Mask(LiteralLookupBits)]; }
    TInflateEntry Distance(const TBitReader& bits) const
    {
        return distances[bits.buffer & Mask(DistanceLookupBits)];
    }

    // The entry itself, or for a link the entry in its subtable (after
    // dropping the root bits). Invalid codes come back with nothing dropped.
    static TInflateEntry Follow(const TInflateEntry* table, TInflateEntry entry, TBitReader& bits)
    {
        if (entry & InflateLinkFlag) [[unlikely]] {
            bits.DumpBits(EntryBits(entry));
            entry = table[EntryValue(entry) + (bits.buffer & Mask(EntryCodeBits(entry)))];
        }
        return entry;
    }
    TInflateEntry FollowLiteral(TInflateEntry entry, TBitReader& bits) const { return Follow(literals, entry, bits); }
    TInflateEntry FollowDistance(TInflateEntry entry, TBitReader& bits) const
    {
        return Follow(distances, entry, bits);
    }
};

// The decoder's position, in locals the compiler keeps in registers: stores
// through byte pointers into the window could alias the members.
struct TInflater::TCodesState {
    TBitReader bits;
    std::uint8_t* out;
    const std::uint8_t* historyStart; // the entry's oldest byte still in the window
    std::uint8_t* flushAt;            // where the room for new bytes ends
};

// Why a decoding loop handed back.
enum class TInflater::TCodesStop {
    More, // the fast loop reached its margins, or the careful step decoded a symbol
    EndOfBlock,
    BadData,
    Truncated,
};

TInflater::TInflater() : window_(std::make_unique<std::uint8_t[]>(WindowCapacity)) {}

TInflateStatus TInflater::Inflate(TUnzipIO& io)
{
    io_ = &io;
    bits_ = TBitReader::Start(io);
    StartOutput(io.LendOutput());

    TInflateStatus status = TInflateStatus::Ok;
    bool last = false;
    while (status == TInflateStatus::Ok && !last)
        status = InflateBlock(last);
    if (bits_.UsedPastEnd())
        status = TInflateStatus::Truncated;
    io.SetInputNext(bits_.next);
    if (status != TInflateStatus::Ok)
        return status;

    const auto count = static_cast<std::size_t>(out_ - handedOver_);
    if (lentEnd_ != nullptr)
        io.HandOverLentOutput(handedOver_, count);
    else
        io.WriteOutput(handedOver_, count);
    io.FlushOutput();
    return TInflateStatus::Ok;
}

void TInflater::StartOutput(std::span<std::uint8_t> lent)
{
    if (lent.size() > SlackSize) {
        out_ = lent.data();
        lentEnd_ = lent.data() + lent.size();
        flushAt_ = LentFlushAt(out_);
    } else {
        out_ = window_.get() + HistorySize;
        lentEnd_ = nullptr;
        flushAt_ = out_ + FlushSize;
    }
    historyStart_ = out_;
    handedOver_ = out_;
}

// Where the bytes written from out on are next handed over: after 128 KB, or
// where the lent memory leaves only the slack.
std::uint8_t* TInflater::LentFlushAt(std::uint8_t* out) const
{
    return out + std::min(FlushSize, static_cast<std::size_t>(lentEnd_ - out) - SlackSize);
}

TInflateStatus TInflater::InflateBlock(bool& last)
{
    if (!bits_.Refill(*io_))
        return TInflateStatus::Truncated;
    last = bits_.TakeBits(1) != 0;
    switch (bits_.TakeBits(2)) {
    case StoredBlock:
        return InflateStored();
    case FixedBlock:
        return InflateFixed();
    case DynamicBlock:
        return InflateDynamic();
    default:
        return TInflateStatus::BadData;
    }
}

[[gnu::noinline]] std::uint8_t* TInflater::Flush(std::uint8_t* out)
{
    if (lentEnd_ == nullptr)
        return FlushWindow(out);
    io_->HandOverLentOutput(handedOver_, static_cast<std::size_t>(out - handedOver_));
    handedOver_ = out;
    if (static_cast<std::size_t>(lentEnd_ - out) > SlackSize) {
        flushAt_ = LentFlushAt(out);
        return out;
    }
    // The lent memory is used up: the window goes on, the last bytes its history.
    std::uint8_t* const start = window_.get() + HistorySize;
    const std::size_t kept = std::min(static_cast<std::size_t>(out - historyStart_), HistorySize);
    std::memcpy(start - kept, out - kept, kept);
    historyStart_ = start - kept;
    lentEnd_ = nullptr;
    handedOver_ = start;
    flushAt_ = start + FlushSize;
    return start;
}

std::uint8_t* TInflater::FlushWindow(std::uint8_t* out)
{
    std::uint8_t* const window = window_.get();
    io_->WriteOutput(window + HistorySize, FlushSize);
    const std::size_t kept = static_cast<std::size_t>(out - window) - FlushSize;
    std::memmove(window, window + FlushSize, kept);
    historyStart_ = static_cast<std::size_t>(historyStart_ - window) > FlushSize ? historyStart_ - FlushSize : window;
    return window + kept;
}

TInflateStatus TInflater::InflateStored()
{
    bits_.AlignToByte();
    bits_.Refill(*io_);
    unsigned length = bits_.TakeBits(16);
    const unsigned complement = bits_.TakeBits(16);
    if (length != (~complement & 0xFFFF))
        return TInflateStatus::BadData;

    // First the whole bytes the bit buffer has read ahead.
    for (; length > 0 && bits_.count >= 8; --length) {
        if (out_ >= flushAt_)
            out_ = Flush(out_);
        *out_++ = static_cast<std::uint8_t>(bits_.TakeBits(8));
    }
    if (length == 0)
        return TInflateStatus::Ok;
    if (bits_.zeroBytesPastEnd > 0)
        return TInflateStatus::Truncated;
    // Then straight from the input; the buffer's copies of the bytes at next go.
    bits_.buffer = 0;
    while (length > 0) {
        if (out_ >= flushAt_)
            out_ = Flush(out_);
        if (bits_.next == bits_.end && !bits_.NextBlock(*io_))
            return TInflateStatus::Truncated;
        const std::size_t k = std::min({std::size_t{length}, static_cast<std::size_t>(bits_.end - bits_.next),
                                        static_cast<std::size_t>(flushAt_ - out_)});
        std::memcpy(out_, bits_.next, k);
        out_ += k;
        bits_.next += k;
        length -= static_cast<unsigned>(k);
    }
    return TInflateStatus::Ok;
}

TInflateStatus TInflater::InflateFixed()
{
    return InflateCodes(FixedLiteralTable(), FixedDistanceTable());
}

TInflateStatus TInflater::InflateDynamic()
{
    bits_.Refill(*io_);
    const unsigned literalCount = bits_.TakeBits(5) + FirstLengthSymbol;
    const unsigned distanceCount = bits_.TakeBits(5) + 1;
    const unsigned codeLengthCount = bits_.TakeBits(4) + 4;
    if (literalCount > MaxLiteralCodes || distanceCount > MaxDistanceCodes)
        return TInflateStatus::BadData;

    std::array<std::uint8_t, CodeLengthCodes> codeLengthLengths{};
    for (unsigned i = 0; i < codeLengthCount; ++i) {
        bits_.Refill(*io_);
        codeLengthLengths[CodeLengthOrder[i]] = static_cast<std::uint8_t>(bits_.TakeBits(3));
    }
    if (BuildInflateTable(codeLengthLengths, 0, CodeLengthBase, CodeLengthExtraBits, CodeLengthLookupBits,
                          codeLengths_, TRootBits::Exact) != THuffmanResult::Ok ||
        codeLengths_.Empty())
        return TInflateStatus::BadData;

    // ReadCodeLengths writes whole words past the last length.
    std::array<std::uint8_t, MaxLiteralCodes + MaxDistanceCodes + CodeLengthsOverrun> lengths{};
    if (const auto status = ReadCodeLengths(literalCount + distanceCount, lengths.data());
        status != TInflateStatus::Ok)
        return status;
    const std::span<const std::uint8_t> all(lengths.data(), literalCount + distanceCount);
    if (BuildInflateTable(all.first(literalCount), FirstLengthSymbol, LengthBase, LengthExtraBits,
                          LiteralLookupBits, literals_, TRootBits::Exact) != THuffmanResult::Ok ||
        BuildInflateTable(all.subspan(literalCount), 0, DistanceBase, DistanceExtraBits, DistanceLookupBits,
                          distances_, TRootBits::Exact) != THuffmanResult::Ok)
        return TInflateStatus::BadData;
    return InflateCodes(literals_, distances_);
}

// The literal/length and distance code lengths, coded with the code-length
// code. A repeat of the previous length at the very start repeats 0. The bit
// reader is a local while the lengths are stored: they are bytes, which the
// compiler must assume could alias the members.
TInflateStatus TInflater::ReadCodeLengths(unsigned count, std::uint8_t* lengths)
{
    TBitReader bits = bits_;
    const TInflateStatus status = ReadCodeLengths(bits, count, lengths);
    bits_ = bits;
    return status;
}

// A symbol's length and repeat count come without a branch on its kind: the
// kind changes from symbol to symbol too often to be predicted.
[[gnu::always_inline]] inline TInflateStatus TInflater::ReadCodeLengths(TBitReader& bits, unsigned count,
                                                                        std::uint8_t* lengths)
{
    const TInflateEntry* const entries = codeLengths_.Entries();
    TUnzipIO& io = *io_;
    unsigned previous = 0;
    for (unsigned n = 0; n < count;) {
        if (!bits.Refill(io))
            return TInflateStatus::Truncated;
        const TInflateEntry entry = entries[bits.buffer & Mask(CodeLengthLookupBits)];
        if (entry & InflateInvalidFlag)
            return TInflateStatus::BadData;
        const unsigned value = BaseAndExtra(entry, bits.buffer);
        bits.DumpBits(EntryBits(entry));
        const unsigned repeat = value & 0xFF;
        const unsigned repeatsPrevious = 0u - ((value & RepeatsPrevious) >> 12);
        const unsigned length = ((value >> 8) & 0xF) | (previous & repeatsPrevious);
        if (repeat > count - n)
            return TInflateStatus::BadData;
        // Most runs are short: two words cover them without a loop test.
        const std::uint64_t word = length * std::uint64_t{0x0101010101010101};
        std::memcpy(lengths + n, &word, sizeof word);
        std::memcpy(lengths + n + 8, &word, sizeof word);
        for (unsigned i = 16; i < repeat; i += 8)
            std::memcpy(lengths + n + i, &word, sizeof word);
        n += repeat;
        previous = length;
    }
    return TInflateStatus::Ok;
}

// The symbols of one block, decoded by the hot loop below.
TInflateStatus TInflater::InflateCodes(const TInflateTable& literals, const TInflateTable& distances)
{
#if defined(__x86_64__)
    static const bool bmi2 = __builtin_cpu_supports("bmi2");
    if (bmi2)
        return InflateCodesWithBmi2(literals, distances);
#endif
    return DecodeCodes(literals, distances);
}

#if defined(__x86_64__)
// The same loop where BMI2's shifts by a register count and masks to a bit
// count are at hand: they take fewer steps on the path from one table entry
// to the next.
[[gnu::target("bmi2")]] TInflateStatus TInflater::InflateCodesWithBmi2(const TInflateTable& literals,
                                                                      const TInflateTable& distances)
{
    return DecodeCodes(literals, distances);
}
#endif

// The fast loop runs while its margins leave out every end test of the
// input and output; a careful step then decodes one symbol with them all,
// where a refill crosses input blocks or the new bytes need handing over.
[[gnu::always_inline]] inline TInflateStatus TInflater::DecodeCodes(const TInflateTable& literalTable,
                                                                   const TInflateTable& distanceTable)
{
    const TCodeTables tables(literalTable, distanceTable);
    TCodesState state{bits_, out_, historyStart_, flushAt_};
    TCodesStop stop = TCodesStop::More;
    while (stop == TCodesStop::More) {
        stop = DecodeFast(state, tables);
        if (stop == TCodesStop::More)
            stop = DecodeCarefully(state, tables);
    }
    bits_ = state.bits;
    out_ = state.out;
    switch (stop) {
    case TCodesStop::BadData:
        return TInflateStatus::BadData;
    case TCodesStop::Truncated:
        return TInflateStatus::Truncated;
    default:
        return TInflateStatus::Ok;
    }
}

// The fast loop refills once per round without a test, from an input block
// that holds FastInputMargin more bytes, twice where a long length code
// leaves too few bits for the rest of its match. Each round writes at most a
// match and its overrun past out, which the slack behind flushAt takes.
//
// A root entry takes at most LiteralLookupBits, a root length code with its extra
// bits 16, a distance code with its extra bits 28: after a refill to 56 bits,
// four root literals or a whole match still leave the root bits of the next
// entry. So the next entry is looked up before the refill, off its path, and
// before a match is copied; a refill only adds bits above the ones held, so
// the entry stays valid.
[[gnu::always_inline]] inline TInflater::TCodesStop TInflater::DecodeFast(TCodesState& state, const TCodeTables& tables)
{
    static_assert(56 - (LiteralLookupBits + 5) - (MaxCodeLength + 13) >= LiteralLookupBits);
    TBitReader bits = state.bits;
    std::uint8_t* out = state.out;
    const std::uint8_t* const historyStart = state.historyStart;
    std::uint8_t* const outLimit = state.flushAt;
    const std::uint8_t* const inLimit =
        bits.end - bits.next >= FastInputMargin ? bits.end - (FastInputMargin - 1) : bits.next;
    if (bits.next >= inLimit || out >= outLimit)
        return TCodesStop::More;
    RefillFast(bits);
    TInflateEntry entry = tables.Literal(bits);
    TCodesStop stop = TCodesStop::More;
    for (;;) {
        if (entry & InflateLiteralFlag) {
            for (int i = 0; i < 4 && (entry & InflateLiteralFlag); ++i) {
                DropBits(bits, entry);
                StoreLiterals(out, entry);
                out += EntryCodeBits(entry);
                entry = tables.Literal(bits);
            }
        } else if (!(entry & InflateKindFlags)) {
            const unsigned length = TakeValue(bits, entry);
            if (!CopyFastMatch(bits, out, entry, length, historyStart, tables)) {
                stop = TCodesStop::BadData;
                break;
            }
        } else if (entry & InflateLinkFlag) {
            entry = tables.FollowLiteral(entry, bits);
            if (entry & InflateLiteralFlag) {
                DropBits(bits, entry);
                *out++ = static_cast<std::uint8_t>(EntryValue(entry));
                entry = tables.Literal(bits);
            } else if (!(entry & InflateKindFlags)) {
                const unsigned length = TakeValue(bits, entry);
                RefillFast(bits);
                if (!CopyFastMatch(bits, out, entry, length, historyStart, tables)) {
                    stop = TCodesStop::BadData;
                    break;
                }
            } else {
                stop = entry & InflateEndOfBlockFlag ? TCodesStop::EndOfBlock : TCodesStop::BadData;
                if (stop == TCodesStop::EndOfBlock)
                    DropBits(bits, entry);
                break;
            }
        } else if (entry & InflateEndOfBlockFlag) {
            DropBits(bits, entry);
            stop = TCodesStop::EndOfBlock;
            break;
        } else {
            stop = TCodesStop::BadData;
            break;
        }
        if (bits.next >= inLimit || out >= outLimit) [[unlikely]]
            break;
        RefillFast(bits);
    }
    state.bits = bits;
    state.bits.count = HeldBits(bits);
    state.out = out;
    return stop;
}

// The distance of a match whose length was taken, then its copy; looks up
// the next entry on the way. False for a distance the data cannot have.
[[gnu::always_inline]] inline bool TInflater::CopyFastMatch(TBitReader& bits, std::uint8_t*& out,
                                                            TInflateEntry& next, unsigned length,
                                                            const std::uint8_t* historyStart,
                                                            const TCodeTables& tables)
{
    TInflateEntry entry = tables.Distance(bits);
    if (entry & InflateKindFlags) [[unlikely]] {
        entry = tables.FollowDistance(entry, bits);
        if (entry & InflateInvalidFlag)
            return false;
    }
    const std::size_t distance = TakeValue(bits, entry);
    if (distance > static_cast<std::size_t>(out - historyStart)) [[unlikely]]
        return false;
    next = tables.Literal(bits);
    CopyMatch(out, distance, length);
    out += length;
    return true;
}

// One symbol with every test: the handover of full room, a refill across
// input blocks or past the end of the input. The bit count stays exact.
TInflater::TCodesStop TInflater::DecodeCarefully(TCodesState& state, const TCodeTables& tables)
{
    if (state.out >= state.flushAt) {
        state.out = Flush(state.out);
        state.historyStart = historyStart_;
        state.flushAt = flushAt_;
    }
    TBitReader& bits = state.bits;
    if (!bits.Refill(*io_))
        return TCodesStop::Truncated;
    const TInflateEntry entry = tables.FollowLiteral(tables.Literal(bits), bits);
    if (entry & InflateInvalidFlag)
        return TCodesStop::BadData;
    if (entry & (InflateLiteralFlag | InflateEndOfBlockFlag)) {
        bits.DumpBits(EntryBits(entry));
        if (entry & InflateEndOfBlockFlag)
            return TCodesStop::EndOfBlock;
        StoreLiterals(state.out, entry);
        state.out += EntryCodeBits(entry);
        return TCodesStop::More;
    }
    const unsigned length = BaseAndExtra(entry, bits.buffer);
    bits.DumpBits(EntryBits(entry));
    if (!bits.Refill(*io_))
        return TCodesStop::Truncated;
    const TInflateEntry distanceEntry = tables.FollowDistance(tables.Distance(bits), bits);
    if (distanceEntry & InflateInvalidFlag)
        return TCodesStop::BadData;
    const std::size_t distance = BaseAndExtra(distanceEntry, bits.buffer);
    bits.DumpBits(EntryBits(distanceEntry));
    if (distance > static_cast<std::size_t>(state.out - state.historyStart))
        return TCodesStop::BadData;
    CopyMatch(state.out, distance, length);
    state.out += length;
    return TCodesStop::More;
}

TInflatedBuffer InflateBuffer(std::span<const std::uint8_t> input, std::size_t limit)
{
    TInflatedBuffer result{TInflateStatus::Ok, {}};
    TMemoryUnzipSource source(input);
    TMemoryUnzipSink sink(result.Bytes, limit);
    TUnzipIO io(source, sink);
    TInflater inflater;
    result.Status = inflater.Inflate(io);
    return result;
}
