#include "BufStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Exceptions.h"
#include "LFNFileStream.h"
#include "Stream.h"
#include "TempDir.h"

namespace {

constexpr std::int32_t DefaultBufferSize = 8192;

// An inner stream that records what the buffer asks of it: the reads, the
// size of every write, the seeks that are more than a position query. It
// takes at most writeLimit bytes in all, so short writes can be provoked.
class TProbeStream : public TStream {
public:
    explicit TProbeStream(const std::string& contents = {},
                          std::int64_t writeLimit = std::numeric_limits<std::int64_t>::max())
        : memory(std::vector<std::uint8_t>(contents.begin(), contents.end())), writeLimit_(writeLimit)
    {
    }

    std::int64_t Read(void* buffer, std::int64_t count) override
    {
        ++reads;
        return memory.Read(buffer, count);
    }

    std::int64_t Write(const void* buffer, std::int64_t count) override
    {
        writes.push_back(count);
        const std::int64_t taken = std::min(count, writeLimit_ - accepted_);
        accepted_ += taken;
        return memory.Write(buffer, taken);
    }

    std::int64_t Seek(std::int64_t offset, int origin) override
    {
        if (offset != 0 || origin != soFromCurrent)
            ++moves;
        return memory.Seek(offset, origin);
    }

    TMemoryStream memory;
    int reads = 0;
    int moves = 0;
    std::vector<std::int64_t> writes;

private:
    std::int64_t writeLimit_;
    std::int64_t accepted_ = 0;
};

std::string ReadText(TStream& stream, std::int64_t count)
{
    std::string text(static_cast<std::size_t>(count), '\0');
    text.resize(static_cast<std::size_t>(stream.Read(text.data(), count)));
    return text;
}

std::int64_t WriteText(TStream& stream, const std::string& text)
{
    return stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
}

std::string Pattern(std::size_t length)
{
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return text;
}

// The seek error of a refused seek; a failing test otherwise.
std::string SeekFailure(TStream& stream, std::int64_t offset, int origin)
{
    try {
        stream.Seek(offset, origin);
    } catch (const EStreamError& e) {
        return std::string("EStreamError: ") + e.what();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no exception";
}

} // namespace

// ---- Against a model: a seeded run of reads, writes, seeks and put-backs ----

namespace {

struct TRandomRunCase {
    std::uint32_t seed;
    std::int32_t bufferSize;
    bool onFile;
};

void PrintTo(const TRandomRunCase& run, std::ostream* out)
{
    *out << "seed " << run.seed << ", buffer " << run.bufferSize << (run.onFile ? ", file" : ", memory");
}

// Plays the same operations on the buffered stream and on a plain memory
// stream. A put-back is modelled as one byte laid over the position, which
// the next read returns and anything else forgets.
class TModelRun {
public:
    TModelRun(TS_BufferStream& stream, const std::string& initial, std::int32_t bufferSize, std::uint32_t seed)
        : stream_(stream), model_(std::vector<std::uint8_t>(initial.begin(), initial.end())),
          bufferSize_(bufferSize), random_(seed)
    {
    }

    void Step()
    {
        switch (random_() % 8) {
        case 0: case 1: Read(); break;
        case 2: case 3: Write(); break;
        case 4: Seek(); break;
        case 5: PutBack(); break;
        case 6: Size(); break;
        default: Close(); break;
        }
        ASSERT_EQ(stream_.Position(), model_.Position());
    }

    const TMemoryStream& Model() const { return model_; }

private:
    std::int64_t Length()
    {
        if (random_() % 3 == 0)
            return random_() % 16;
        return random_() % (std::max(bufferSize_ * 5 / 2, 64) + 1);
    }

    void Read()
    {
        const std::int64_t count = Length();
        std::string expected;
        if (count > 0 && overlay_) {
            expected += static_cast<char>(*overlay_);
            model_.Seek(1, soFromCurrent);
            overlay_.reset();
        }
        expected += ReadText(model_, count - static_cast<std::int64_t>(expected.size()));
        SCOPED_TRACE("read " + std::to_string(count));
        ASSERT_EQ(ReadText(stream_, count), expected);
        if (count > 0) {
            putBackAllowed_ = static_cast<std::int64_t>(expected.size()) == count;
            putBackMaybe_ = false;
        }
    }

    void Write()
    {
        std::string text(static_cast<std::size_t>(Length()), '\0');
        for (char& c : text)
            c = static_cast<char>(random_());
        SCOPED_TRACE("write " + std::to_string(text.size()));
        ASSERT_EQ(WriteText(stream_, text), static_cast<std::int64_t>(text.size()));
        WriteText(model_, text);
        Forget();
    }

    void Seek()
    {
        const std::int64_t position = model_.Position();
        const std::int64_t base = std::max(position, model_.Size());
        const int origin = static_cast<int>(random_() % 3);
        std::int64_t target = static_cast<std::int64_t>(random_()) % (base + 100);
        std::int64_t offset = target;
        if (origin == soFromCurrent)
            offset = target - position;
        if (origin == soFromEnd) {
            // The end is the model's size, wherever the position stands.
            const std::int64_t end = model_.Size();
            target = std::min(target, end);
            offset = random_() % 2 ? end - target : target - end;
        }
        if (random_() % 10 == 0) {
            // A target before the start is refused and changes nothing.
            SCOPED_TRACE("seek before the start");
            ASSERT_EQ(SeekFailure(stream_, -position - 1, soFromCurrent), SeekErrorText);
            return;
        }
        SCOPED_TRACE("seek " + std::to_string(offset) + " from " + std::to_string(origin));
        ASSERT_EQ(stream_.Seek(offset, origin), target);
        model_.SetPosition(target);
        if (target != position) {
            Forget();
            // A seek within the buffer may leave bytes before the position.
            putBackMaybe_ = true;
        }
    }

    void PutBack()
    {
        if (overlay_)
            return;
        const auto byte = static_cast<std::uint8_t>(random_());
        if (putBackMaybe_) {
            try {
                stream_.PutBack(byte);
            } catch (const EStreamError&) {
                return;
            }
        } else if (!putBackAllowed_) {
            ASSERT_THROW(stream_.PutBack(byte), EStreamError);
            return;
        } else {
            stream_.PutBack(byte);
        }
        model_.Seek(-1, soFromCurrent);
        overlay_ = byte;
        putBackAllowed_ = false;
        putBackMaybe_ = false;
    }

    void Size()
    {
        const std::int64_t expected = model_.Size();
        ASSERT_EQ(stream_.Size(), expected);
        if (model_.Position() != expected) {
            Forget();
            putBackMaybe_ = true;
        }
    }

    void Close() { stream_.Close(); }

    void Forget()
    {
        overlay_.reset();
        putBackAllowed_ = false;
        putBackMaybe_ = false;
    }

    TS_BufferStream& stream_;
    TMemoryStream model_;
    std::int32_t bufferSize_;
    std::mt19937 random_;
    std::optional<std::uint8_t> overlay_;
    bool putBackAllowed_ = false;
    // Whether a put-back may go either way.
    bool putBackMaybe_ = false;
};

class BufferStreamModel : public testing::TestWithParam<TRandomRunCase> {};

} // namespace

TEST_P(BufferStreamModel, MatchesAPlainStreamStepByStep)
{
    const TRandomRunCase run = GetParam();
    const std::string initial = Pattern(3 * DefaultBufferSize + 123);
    TempDir dir;
    const std::string fileName = dir.Write("data.bin", initial);
    TMemoryStream memory(std::vector<std::uint8_t>(initial.begin(), initial.end()));
    std::optional<TS_BufferStream> overMemory;
    std::optional<TLFNFileStream> overFile;
    TS_BufferStream& stream = run.onFile
        ? static_cast<TS_BufferStream&>(overFile.emplace(fileName, fmOpenReadWrite, false, run.bufferSize))
        : overMemory.emplace(memory, run.bufferSize);

    TModelRun model(stream, initial, run.bufferSize, run.seed);
    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_NO_FATAL_FAILURE(model.Step());
    }
    stream.Close();
    const std::string expected = model.Model().Text();
    EXPECT_EQ(run.onFile ? ReadFileBytes(fileName) : memory.Text(), expected);
}

INSTANTIATE_TEST_SUITE_P(Runs, BufferStreamModel,
                         testing::Values(TRandomRunCase{1, DefaultBufferSize, false},
                                         TRandomRunCase{2, DefaultBufferSize, true},
                                         TRandomRunCase{3, DefaultBufferSize, false},
                                         TRandomRunCase{4, 100, true},
                                         TRandomRunCase{5, 7, false},
                                         TRandomRunCase{6, 1, false}),
                         [](const testing::TestParamInfo<TRandomRunCase>& info) {
                             return "Seed" + std::to_string(info.param.seed) + "Buffer" +
                                    std::to_string(info.param.bufferSize) + (info.param.onFile ? "File" : "Memory");
                         });

// ---- Reading ----

TEST(BufferStream, ReadsWhatIsThereAndThenNothing)
{
    TProbeStream inner("abcd");
    TS_BufferStream stream(inner, DefaultBufferSize);
    EXPECT_EQ(ReadText(stream, 10), "abcd");
    EXPECT_EQ(ReadText(stream, 10), "");
    EXPECT_EQ(stream.Position(), 4);
}

TEST(BufferStream, ReadsLargeCountsOneBufferAtATime)
{
    const std::string contents = Pattern(20000);
    TProbeStream inner(contents);
    TS_BufferStream stream(inner, DefaultBufferSize);
    int fills = 0;
    stream.OnFillBuffer = [&](TS_BufferStream& sender) {
        EXPECT_EQ(&sender, &stream);
        ++fills;
    };
    EXPECT_EQ(ReadText(stream, 20000), contents);
    EXPECT_EQ(fills, 3);
    EXPECT_EQ(inner.reads, 3);
}

TEST(BufferStream, PutBackIsReadFirstAndLeavesTheInnerStreamAlone)
{
    TProbeStream inner("abcdefghij");
    TS_BufferStream stream(inner, DefaultBufferSize);
    EXPECT_EQ(ReadText(stream, 3), "abc");
    stream.PutBack('x');
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(ReadText(stream, 2), "xd");
    EXPECT_EQ(inner.memory.Text(), "abcdefghij");
}

TEST(BufferStream, PutBackOnlyWhileReadingPastTheBufferStart)
{
    const struct {
        const char* name;
        std::function<void(TS_BufferStream&)> prepare;
    } cases[] = {
        {"new stream", [](TS_BufferStream&) {}},
        {"after a seek out of the buffer", [](TS_BufferStream& s) { ReadText(s, 3); s.Seek(6, soFromBeginning); }},
        {"after a seek back to the buffer start", [](TS_BufferStream& s) { ReadText(s, 3); s.Seek(0, soFromBeginning); }},
        {"after a write", [](TS_BufferStream& s) { WriteText(s, "zz"); }},
        {"after reading past the end", [](TS_BufferStream& s) { ReadText(s, 20); }},
        {"back at the buffer start", [](TS_BufferStream& s) { ReadText(s, 5); s.PutBack('y'); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TProbeStream inner("abcdefghij");
        TS_BufferStream stream(inner, 4);
        c.prepare(stream);
        const std::int64_t position = stream.Position();
        try {
            stream.PutBack('x');
            ADD_FAILURE() << "put back";
        } catch (const EStreamError& e) {
            EXPECT_STREQ(e.what(), "Putback overflow");
        }
        EXPECT_EQ(stream.Position(), position);
    }
}

// ---- Seeking ----

TEST(BufferStream, SeekToTheCurrentPositionKeepsTheBuffer)
{
    TProbeStream inner(Pattern(100));
    TS_BufferStream stream(inner, DefaultBufferSize);
    ReadText(stream, 3);
    EXPECT_EQ(stream.Seek(0, soFromCurrent), 3);
    EXPECT_EQ(stream.Seek(3, soFromBeginning), 3);
    EXPECT_EQ(inner.moves, 0);
    stream.PutBack('x');
    EXPECT_EQ(ReadText(stream, 1), "x");
    EXPECT_EQ(inner.reads, 1);
}

TEST(BufferStream, SeekWithinTheBufferMovesInItAndAnyOtherDropsIt)
{
    // A buffer of 10 over 100 bytes; 3 read, so it holds bytes 0 to 9. Then
    // a seek and a read of 2 bytes: the inner stream's seeks and reads.
    const struct {
        const char* name;
        std::int64_t offset;
        int origin;
        std::int64_t target;
        int moves;
        int reads;
    } cases[] = {
        {"back to the buffer start", 0, soFromBeginning, 0, 0, 1},
        {"forward inside", 4, soFromCurrent, 7, 0, 1},
        {"back inside", -2, soFromCurrent, 1, 0, 1},
        {"to the buffer end", 10, soFromBeginning, 10, 0, 2},
        {"one past the buffer end", 11, soFromBeginning, 11, 1, 2},
        {"far ahead", 50, soFromBeginning, 50, 1, 2},
    };
    const std::string contents = Pattern(100);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TProbeStream inner(contents);
        TS_BufferStream stream(inner, 10);
        ReadText(stream, 3);
        EXPECT_EQ(stream.Seek(c.offset, c.origin), c.target);
        EXPECT_EQ(stream.Position(), c.target);
        EXPECT_EQ(ReadText(stream, 2), contents.substr(static_cast<std::size_t>(c.target), 2));
        EXPECT_EQ(inner.moves, c.moves);
        EXPECT_EQ(inner.reads, c.reads);
    }
}

TEST(BufferStream, ASeekAfterAPutBackForgetsTheByteAndReadsTheStream)
{
    const std::string contents = Pattern(100);
    TProbeStream inner(contents);
    TS_BufferStream stream(inner, DefaultBufferSize);
    ReadText(stream, 3);
    stream.PutBack('!');
    EXPECT_EQ(stream.Seek(1, soFromBeginning), 1);
    EXPECT_EQ(ReadText(stream, 3), contents.substr(1, 3));
}

TEST(BufferStream, SeekFromTheEndCountsBackWhateverTheSign)
{
    TProbeStream inner(Pattern(100));
    TS_BufferStream stream(inner, DefaultBufferSize);
    EXPECT_EQ(stream.Seek(-10, soFromEnd), 90);
    EXPECT_EQ(stream.Seek(10, soFromEnd), 90);
    // Pending bytes past the inner end count towards the end.
    stream.Seek(0, soFromEnd);
    WriteText(stream, "12345");
    EXPECT_EQ(stream.Seek(-5, soFromEnd), 100);
    EXPECT_EQ(stream.Size(), 105);
}

TEST(BufferStream, TheSizeIsTheFilesAfterASeekPastTheEnd)
{
    for (const bool afterRead : {false, true}) {
        SCOPED_TRACE(afterRead ? "after a read" : "on a new stream");
        TProbeStream inner(Pattern(100));
        TS_BufferStream stream(inner, DefaultBufferSize);
        if (afterRead)
            ReadText(stream, 10);
        EXPECT_EQ(stream.Seek(5000, soFromBeginning), 5000);
        EXPECT_EQ(stream.Size(), 100);
        EXPECT_EQ(stream.Position(), 5000);
        EXPECT_EQ(stream.Seek(-10, soFromEnd), 90);
        EXPECT_EQ(ReadText(stream, 20), Pattern(100).substr(90));
    }
    // Bytes written there make the end.
    TProbeStream inner(Pattern(100));
    TS_BufferStream stream(inner, DefaultBufferSize);
    stream.Seek(200, soFromBeginning);
    WriteText(stream, "end");
    EXPECT_EQ(stream.Size(), 203);
}

TEST(BufferStream, RefusesBadSeeksAndChangesNothing)
{
    TProbeStream inner(Pattern(100));
    TS_BufferStream stream(inner, DefaultBufferSize);
    ReadText(stream, 3);
    EXPECT_EQ(SeekFailure(stream, 0, 3), "Invalid seek origin (3)");
    EXPECT_EQ(SeekFailure(stream, -1, soFromBeginning), "\nSeek error");
    EXPECT_EQ(SeekFailure(stream, -4, soFromCurrent), "\nSeek error");
    EXPECT_EQ(SeekFailure(stream, -101, soFromEnd), "\nSeek error");
    EXPECT_EQ(SeekFailure(stream, std::numeric_limits<std::int64_t>::min(), soFromEnd), "\nSeek error");
    EXPECT_EQ(SeekFailure(stream, std::numeric_limits<std::int64_t>::max(), soFromCurrent), "\nSeek error");
    EXPECT_EQ(stream.Position(), 3);
    // The bytes read ahead are still there.
    stream.PutBack('x');
    EXPECT_EQ(inner.reads, 1);
}

TEST(BufferStream, PositionsAreSixtyFourBit)
{
    constexpr std::int64_t far = (std::int64_t{1} << 32) + 5;
    TempDir dir;
    const std::string fileName = dir.File("sparse.bin");
    {
        TLFNFileStream out(fileName, fmCreate, false, DefaultBufferSize);
        EXPECT_EQ(out.Seek(far, soFromBeginning), far);
        WriteText(out, "end");
        EXPECT_EQ(out.Position(), far + 3);
        EXPECT_EQ(out.Size(), far + 3);
        out.Close();
    }
    TLFNFileStream in(fileName, fmOpenRead, false, DefaultBufferSize);
    EXPECT_EQ(in.Seek(-3, soFromEnd), far);
    EXPECT_EQ(ReadText(in, 10), "end");
}

// ---- Writing ----

TEST(BufferStream, WritesReachTheInnerStreamInWholeBuffers)
{
    const std::string text = Pattern(10000);
    TProbeStream inner;
    TS_BufferStream stream(inner, DefaultBufferSize);
    int flushes = 0;
    stream.OnFlushBuffer = [&](TS_BufferStream&) { ++flushes; };
    EXPECT_EQ(WriteText(stream, text), 10000);
    EXPECT_EQ(inner.writes, std::vector<std::int64_t>{8192});
    EXPECT_EQ(stream.Size(), 10000);
    EXPECT_EQ(inner.writes, std::vector<std::int64_t>{8192});
    EXPECT_EQ(stream.Seek(0, soFromBeginning), 0);
    EXPECT_EQ(inner.writes, (std::vector<std::int64_t>{8192, 1808}));
    EXPECT_EQ(flushes, 2);
    EXPECT_EQ(inner.memory.Text(), text);
}

TEST(BufferStream, PendingBytesAreWrittenAtCloseAndAtDestruction)
{
    const std::string text = Pattern(10000);
    for (const bool close : {true, false}) {
        SCOPED_TRACE(close ? "close" : "destruction");
        TProbeStream inner;
        {
            TS_BufferStream stream(inner, DefaultBufferSize);
            WriteText(stream, text);
            if (close) {
                stream.Close();
                EXPECT_EQ(stream.State(), TS_BufferStream::TBufferState::Idle);
                EXPECT_EQ(inner.writes, (std::vector<std::int64_t>{8192, 1808}));
            }
        }
        EXPECT_EQ(inner.writes, (std::vector<std::int64_t>{8192, 1808}));
        EXPECT_EQ(inner.memory.Text(), text);
    }
}

TEST(BufferStream, WholeBuffersLeaveNothingPending)
{
    TProbeStream inner;
    TS_BufferStream stream(inner, DefaultBufferSize);
    EXPECT_EQ(WriteText(stream, Pattern(2 * DefaultBufferSize)), 2 * DefaultBufferSize);
    EXPECT_EQ(stream.State(), TS_BufferStream::TBufferState::Idle);
    EXPECT_EQ(inner.writes, (std::vector<std::int64_t>{8192, 8192}));
}

TEST(BufferStream, MixingReadsAndWritesWithoutASeek)
{
    const struct {
        const char* name;
        std::function<std::string(TS_BufferStream&)> act;
        std::string read;
        std::int64_t position;
        std::string contents;
    } cases[] = {
        {"write then read", [](TS_BufferStream& s) { WriteText(s, "AB"); return ReadText(s, 3); }, "cde", 5,
         "ABcdefghij"},
        {"read then write", [](TS_BufferStream& s) { auto r = ReadText(s, 3); WriteText(s, "XY"); return r; },
         "abc", 5, "abcXYfghij"},
        {"read to the end then write",
         [](TS_BufferStream& s) { auto r = ReadText(s, 20); WriteText(s, "Z"); return r; }, "abcdefghij", 11,
         "abcdefghijZ"},
        {"read, put back, then write",
         [](TS_BufferStream& s) { auto r = ReadText(s, 3); s.PutBack('q'); WriteText(s, "X"); return r; },
         "abc", 3, "abXdefghij"},
        {"read then write nothing",
         [](TS_BufferStream& s) { auto r = ReadText(s, 3); WriteText(s, ""); return r + ReadText(s, 2); },
         "abcde", 5, "abcdefghij"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TProbeStream inner("abcdefghij");
        TS_BufferStream stream(inner, DefaultBufferSize);
        EXPECT_EQ(c.act(stream), c.read);
        EXPECT_EQ(stream.Position(), c.position);
        stream.Close();
        EXPECT_EQ(inner.memory.Text(), c.contents);
    }
}

// ---- Short writes ----

TEST(BufferStream, ShortWritesAreNotCountedAsWritten)
{
    const struct {
        const char* name;
        std::int64_t limit;
        std::int64_t first;
        std::int64_t second;
        std::int64_t secondTaken;
        std::int64_t position;
    } cases[] = {
        {"first buffer falls short", 5, 0, 20, 5, 5},
        {"second buffer falls short", 12, 0, 20, 12, 12},
        {"only earlier bytes reached it", 5, 6, 10, 0, 5},
        {"earlier and some new bytes reached it", 7, 6, 10, 1, 7},
        {"nothing reaches it", 0, 0, 8, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TProbeStream inner({}, c.limit);
        TS_BufferStream stream(inner, 8);
        const std::string text = Pattern(static_cast<std::size_t>(c.first + c.second));
        EXPECT_EQ(WriteText(stream, text.substr(0, c.first)), c.first);
        EXPECT_EQ(WriteText(stream, text.substr(c.first)), c.secondTaken);
        EXPECT_EQ(stream.Position(), c.position);
        EXPECT_EQ(inner.memory.Text(), text.substr(0, c.position));
    }
}

TEST(BufferStream, WriteBufferRaisesWhenTheWriteOutFallsShort)
{
    TProbeStream inner({}, 100);
    TS_BufferStream stream(inner, 64);
    const std::string text = Pattern(200);
    EXPECT_THROW(stream.WriteBuffer(text.data(), 200), EWriteError);
    EXPECT_EQ(stream.Position(), 100);
    EXPECT_EQ(inner.memory.Text(), text.substr(0, 100));
}

TEST(BufferStream, PendingBytesThatCannotBeWrittenAreReported)
{
    const struct {
        const char* name;
        std::function<void(TS_BufferStream&)> act;
        std::string expected;
    } cases[] = {
        {"close", [](TS_BufferStream& s) { s.Close(); }, "EWriteError"},
        {"read", [](TS_BufferStream& s) { ReadText(s, 1); }, "EWriteError"},
        {"fill", [](TS_BufferStream& s) { s.FillBuffer(); }, "EWriteError"},
        {"seek", [](TS_BufferStream& s) { s.Seek(0, soFromBeginning); }, "\nSeek error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TProbeStream inner("0123456789", 2);
        TS_BufferStream stream(inner, DefaultBufferSize);
        EXPECT_EQ(WriteText(stream, "abcde"), 5);
        std::string failure = "no exception";
        try {
            c.act(stream);
        } catch (const EWriteError&) {
            failure = "EWriteError";
        } catch (const Exception& e) {
            failure = e.what();
        }
        EXPECT_EQ(failure, c.expected);
        EXPECT_EQ(stream.State(), TS_BufferStream::TBufferState::Idle);
        EXPECT_EQ(stream.Position(), 2);
        EXPECT_EQ(inner.memory.Text(), "ab23456789");
    }
}

TEST(BufferStream, FlushBufferTellsWhetherAllWasWritten)
{
    TProbeStream inner({}, 3);
    TS_BufferStream stream(inner, DefaultBufferSize);
    EXPECT_TRUE(stream.FlushBuffer());
    EXPECT_TRUE(inner.writes.empty());
    WriteText(stream, "ab");
    EXPECT_TRUE(stream.FlushBuffer());
    WriteText(stream, "cd");
    EXPECT_FALSE(stream.FlushBuffer());
    EXPECT_EQ(stream.State(), TS_BufferStream::TBufferState::Idle);
    EXPECT_EQ(inner.memory.Text(), "abc");
}

TEST(BufferStream, RefusesAnEmptyBuffer)
{
    TProbeStream inner;
    EXPECT_THROW(TS_BufferStream(inner, 0), EStreamError);
}

// ---- Files ----

namespace {

// A FIFO takes small writes but refuses fsync, so a Close over it fails
// exactly when it forces the written data to disk. The descriptor held here
// lets the stream open it for reading or writing without waiting.
class TFifo {
public:
    explicit TFifo(const std::string& name) : name_(name)
    {
        if (::mkfifo(name.c_str(), 0600) != 0)
            throw std::runtime_error("mkfifo failed");
        fd_ = ::open(name.c_str(), O_RDWR);
    }
    TFifo(const TFifo&) = delete;
    TFifo& operator=(const TFifo&) = delete;
    ~TFifo() { ::close(fd_); }

private:
    std::string name_;
    int fd_ = -1;
};

} // namespace

TEST(LFNFileStream, ForcesToDiskOnlyWrittenStreamsOpenedForWriting)
{
    const struct {
        std::uint16_t mode;
        bool flushOnClose;
        bool write;
        bool forced;
    } cases[] = {
        {fmCreate, true, true, true},
        {fmOpenWrite, true, true, true},
        {fmOpenReadWrite | fmShareDenyNone, true, true, true},
        {fmCreate, true, false, false},
        {fmCreate, false, true, false},
        {fmOpenRead, true, true, false},
        {fmOpenRead | fmShareDenyWrite, true, true, false},
        {fmOpenRead | fmShareDenyNone, true, true, false},
    };
    TempDir dir;
    const std::string name = dir.File("fifo");
    TFifo fifo(name);
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.flushOnClose ? " flush" : "") +
                     (c.write ? " write" : ""));
        TLFNFileStream stream(name, c.mode, c.flushOnClose, DefaultBufferSize);
        if (c.write)
            WriteText(stream, ""); // marks the stream written without pending bytes
        if (c.forced)
            EXPECT_THROW(stream.Close(), EWriteError);
        else
            EXPECT_NO_THROW(stream.Close());
    }
}

TEST(LFNFileStream, CloseForcesAWrittenFileToDisk)
{
    TempDir dir;
    const std::string name = dir.File("out.bin");
    const std::string text = Pattern(10000);
    TLFNFileStream stream(name, fmCreate, true, DefaultBufferSize);
    WriteText(stream, text);
    EXPECT_NO_THROW(stream.Close());
    EXPECT_EQ(ReadFileBytes(name), text);
}

TEST(LFNFileStream, AFullDiskIsReportedByCloseAndWriteBuffer)
{
    {
        TLFNFileStream stream("/dev/full", fmOpenWrite, true, DefaultBufferSize);
        EXPECT_EQ(WriteText(stream, "abc"), 3);
        EXPECT_THROW(stream.Close(), EWriteError);
    }
    {
        TLFNFileStream stream("/dev/full", fmOpenWrite, true, DefaultBufferSize);
        const std::string text = Pattern(10000);
        EXPECT_THROW(stream.WriteBuffer(text.data(), 10000), EWriteError);
    }
    // Destruction with data pending on a full disk does not throw.
    TLFNFileStream stream("/dev/full", fmOpenWrite, true, DefaultBufferSize);
    WriteText(stream, "abc");
}

TEST(LFNFileStream, AFailedForcedWriteOutNamesTheFile)
{
    TempDir dir;
    const std::string name = dir.File("fifo");
    TFifo fifo(name);
    TLFNFileStream stream(name, fmOpenReadWrite, true, DefaultBufferSize);
    WriteText(stream, "abc");
    try {
        stream.Close();
        FAIL() << "closed";
    } catch (const EWriteError& e) {
        EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
    // Already reported: the destructor does not try again.
    EXPECT_NO_THROW(stream.Close());
}

TEST(LFNFileStream, OpenErrorsPassThrough)
{
    TempDir dir;
    EXPECT_THROW(TLFNFileStream(dir.File("missing"), fmOpenRead, false, DefaultBufferSize), EFOpenError);
    EXPECT_THROW(TLFNFileStream(dir.File("no/folder/x"), fmCreate, true, DefaultBufferSize), EFCreateError);
}

TEST(LFNFileStream, HandleIsTheOpenFile)
{
    TempDir dir;
    const std::string name = dir.Write("data.bin", "abcdef");
    TLFNFileStream stream(name, fmOpenRead | fmShareDenyWrite, false, DefaultBufferSize);
    struct stat byHandle = {};
    struct stat byName = {};
    ASSERT_EQ(::fstat(GetFileStreamHandle(stream), &byHandle), 0);
    ASSERT_EQ(::stat(name.c_str(), &byName), 0);
    EXPECT_EQ(byHandle.st_ino, byName.st_ino);
    EXPECT_EQ(byHandle.st_size, 6);
}
