#include "deflate/Deflate.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "deflate/DeflateBlockWriter.h"
#include "deflate/DeflateConstants.h"
#include "deflate/DeflateIncompressibleProbe.h"
#include "deflate/DeflateMatchFinder.h"

namespace {

struct TDeflateConfig {
    unsigned GoodLength;
    // Lazy: no new search while the previous match is this long. Greedy: a
    // match longer than this leaves its inner strings out of the chains.
    unsigned LazyLength;
    unsigned NiceLength;
    unsigned ChainLength;
};

constexpr std::array<TDeflateConfig, 10> ConfigurationTable = {{
    {0, 0, 0, 0},  // 0: no matches
    {4, 4, 8, 4},
    {4, 5, 16, 8},
    {4, 6, 32, 32},
    {4, 4, 16, 16},
    {8, 16, 32, 32},
    {8, 16, 128, 128},
    {8, 32, 128, 256},
    {32, 128, 258, 1024},
    {32, 258, 258, 4096},
}};

constexpr int LastGreedyLevel = 3;

// One entry's run through the two loops.
class TDeflateRun {
public:
    TDeflateRun(TDeflateMatchFinder& matcher, TDeflateBlockWriter& blocks, TIncompressibleProbe& probe,
                const TDeflateConfig& config)
        : m_(matcher), blocks_(blocks), probe_(probe), config_(config)
    {
    }

    std::int64_t DeflateFast();
    std::int64_t DeflateLazy();

private:
    std::int64_t BlockBytes() const { return m_.Position - m_.BlockStart; }
    bool TallyLiteral(unsigned position) { return blocks_.ct_tally(0, m_.At(position), BlockBytes()); }
    bool TallyMatch(unsigned distance, unsigned length)
    {
        return blocks_.ct_tally(distance, length - DeflateMinMatch, BlockBytes());
    }
    // The head of the current string's chain, after adding the string to it;
    // none when fewer than three bytes are left to hash.
    unsigned InsertCurrent() { return m_.Lookahead >= DeflateMinMatch ? m_.InsertString(m_.Position) : 0; }
    std::int64_t FlushBlockStep(bool last);
    bool StoredIncompressible();
    std::int64_t EndEntry() { return entryEnded_ ? blocks_.BytesWritten() : FlushBlockStep(true); }

    TDeflateMatchFinder& m_;
    TDeflateBlockWriter& blocks_;
    TIncompressibleProbe& probe_;
    const TDeflateConfig& config_;
    // The input ahead is to be probed before it is searched: at the start of
    // the entry, and after a block that came out stored.
    bool probeDue_ = true;
    bool entryEnded_ = false;  // its last block was stored from the probe
};

// Ends the pending block; its data is still in the window unless a slide has
// moved past its start.
std::int64_t TDeflateRun::FlushBlockStep(bool last)
{
    const std::uint8_t* data = m_.BlockStart >= 0 ? m_.Window() + m_.BlockStart : nullptr;
    const std::int64_t result = blocks_.FlushBlock(data, BlockBytes(), last);
    m_.BlockStart = m_.Position;
    probeDue_ = blocks_.LastBlockStored();
    return result;
}

// At a block boundary: stores the next stretch of input (up to a window half)
// as it is when the probe finds it incompressible, or when it is too small to
// judge and the block before it was stored. Returns whether it did. The
// stretch starts at the block start, which the lazy loop may have passed by
// the one byte it holds back.
bool TDeflateRun::StoredIncompressible()
{
    m_.ReadAhead();
    const unsigned held = m_.Position - static_cast<unsigned>(m_.BlockStart);
    assert(m_.BlockStart >= 0 && held <= 1);
    const unsigned available = held + m_.Lookahead;
    const unsigned length = std::min(available, DeflateWindowSize);
    const std::span<const std::uint8_t> stretch(m_.Window() + m_.BlockStart, length);
    const bool incompressible = length >= TIncompressibleProbe::MinimumSample ? probe_.LooksIncompressible(stretch)
                                                                              : blocks_.LastBlockStored();
    probeDue_ = incompressible;
    if (!incompressible)
        return false;
    const bool last = m_.SourceExhausted && length == available;
    blocks_.FlushStoredBlock(stretch.data(), length, last, probe_.ByteCounts());
    entryEnded_ = last;
    m_.Skip(length - held);
    m_.BlockStart = m_.Position;
    return true;
}

// Greedy: each match found is taken at once.
std::int64_t TDeflateRun::DeflateFast()
{
    while (m_.Lookahead > 0) {
        if (probeDue_ && StoredIncompressible())
            continue;
        const unsigned chainHead = InsertCurrent();
        unsigned matchLength = 0;
        if (m_.InReach(chainHead))
            matchLength = std::min(m_.LongestMatch(chainHead, DeflateMinMatch - 1), m_.Lookahead);

        bool endBlock;
        if (matchLength >= DeflateMinMatch) {
            endBlock = TallyMatch(m_.Position - m_.MatchStart, matchLength);
            m_.Lookahead -= matchLength;
            if (matchLength <= config_.LazyLength) {
                for (unsigned n = matchLength - 1; n > 0; --n)
                    m_.InsertString(++m_.Position);
                ++m_.Position;
            } else {
                m_.Position += matchLength;
                m_.ResetHash(m_.Position);
            }
        } else {
            endBlock = TallyLiteral(m_.Position);
            m_.Lookahead--;
            m_.Position++;
        }
        if (endBlock)
            FlushBlockStep(false);
        if (m_.Lookahead < DeflateMinLookahead)
            m_.FillWindow();
    }
    return EndEntry();
}

// Lazy: a match is held back one position; when the next position has a
// longer match, the held one becomes a literal.
std::int64_t TDeflateRun::DeflateLazy()
{
    unsigned matchLength = DeflateMinMatch - 1;
    bool matchAvailable = false;
    while (m_.Lookahead > 0) {
        if (probeDue_ && StoredIncompressible()) {
            matchAvailable = false;
            matchLength = DeflateMinMatch - 1;
            continue;
        }
        const unsigned chainHead = InsertCurrent();
        m_.PrefetchNextChain();
        const unsigned prevLength = matchLength;
        const unsigned prevMatch = m_.MatchStart;
        matchLength = DeflateMinMatch - 1;
        if (prevLength < config_.LazyLength && m_.InReach(chainHead)) {
            matchLength = std::min(m_.LongestMatch(chainHead, prevLength), m_.Lookahead);
            if (matchLength == DeflateMinMatch && m_.Position - m_.MatchStart > DeflateTooFar)
                matchLength = DeflateMinMatch - 1;
        }

        if (prevLength >= DeflateMinMatch && matchLength <= prevLength) {
            const bool endBlock = TallyMatch(m_.Position - 1 - prevMatch, prevLength);
            m_.Lookahead -= prevLength - 1;
            for (unsigned n = prevLength - 2; n > 0; --n)
                m_.InsertString(++m_.Position);
            matchAvailable = false;
            matchLength = DeflateMinMatch - 1;
            m_.Position++;
            if (endBlock)
                FlushBlockStep(false);
        } else if (matchAvailable) {
            if (TallyLiteral(m_.Position - 1))
                FlushBlockStep(false);
            m_.Position++;
            m_.Lookahead--;
        } else {
            matchAvailable = true;
            m_.Position++;
            m_.Lookahead--;
        }
        assert(m_.Position + m_.Lookahead <= DeflateWindowBufferSize && "a bit too far - deflate");
        if (m_.Lookahead < DeflateMinLookahead)
            m_.FillWindow();
    }
    if (matchAvailable)
        TallyLiteral(m_.Position - 1);
    return EndEntry();
}

// Reads from a span, appends to a vector.
class TMemoryDeflateIO : public TDeflateIO {
public:
    TMemoryDeflateIO(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output)
        : input_(input), output_(output)
    {
    }

    std::size_t ReadSourceData(std::span<std::uint8_t> buffer) override
    {
        const std::size_t n = std::min(buffer.size(), input_.size());
        std::copy_n(input_.begin(), n, buffer.begin());
        input_ = input_.subspan(n);
        return n;
    }

    void WriteArchiveData(std::span<std::uint8_t> data) override
    {
        output_.insert(output_.end(), data.begin(), data.end());
    }

private:
    std::span<const std::uint8_t> input_;
    std::vector<std::uint8_t>& output_;
};

}  // namespace

TDeflater::TDeflater() = default;
TDeflater::~TDeflater() = default;

void TDeflater::AllocDeflateBuffers()
{
    if (matchFinder_)
        return;
    matchFinder_ = std::make_unique<TDeflateMatchFinder>();
    blockWriter_ = std::make_unique<TDeflateBlockWriter>();
    probe_ = std::make_unique<TIncompressibleProbe>();
}

void TDeflater::FreeDeflateBuffers()
{
    matchFinder_.reset();
    blockWriter_.reset();
    probe_.reset();
}

TDeflateResult TDeflater::DeflateEntry(TDeflateIO& io, int packLevel)
{
    AllocDeflateBuffers();
    const int level = std::clamp(packLevel, 0, 9);
    const TDeflateConfig& config = ConfigurationTable[level];

    blockWriter_->ResetTrees(io, level);
    matchFinder_->InitMatcher(io, {config.GoodLength, config.NiceLength, config.ChainLength});

    TDeflateResult result;
    if (level <= 2)
        result.GeneralPurposeFlags = 4;
    else if (level >= 8)
        result.GeneralPurposeFlags = 2;

    probe_->Reset();
    TDeflateRun run(*matchFinder_, *blockWriter_, *probe_, config);
    result.CompressedSize = level <= LastGreedyLevel ? run.DeflateFast() : run.DeflateLazy();
    result.Method = blockWriter_->StoredWhole() ? 0 : 8;
    result.InternalAttribute = blockWriter_->InternalAttribute();
    return result;
}

TDeflatedBuffer DeflateBuffer(std::span<const std::uint8_t> input, int packLevel)
{
    TDeflatedBuffer out;
    out.Data.reserve(input.size() / 2 + 64);
    TMemoryDeflateIO io(input, out.Data);
    TDeflater deflater;
    out.Result = deflater.DeflateEntry(io, packLevel);
    return out;
}
