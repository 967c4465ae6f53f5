#include "Stream.h"

#include <gtest/gtest.h>

#include "Exceptions.h"
#include "TempDir.h"

TEST(MemoryStream, GrowsOnWriteAndReadsBackShortAtTheEnd)
{
    TMemoryStream stream;
    stream.WriteBuffer("hello", 5);
    stream.Seek(10, soFromBeginning);
    stream.WriteBuffer("!", 1);
    EXPECT_EQ(stream.Size(), 11);

    char buffer[20] = {};
    stream.SetPosition(3);
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 8);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(buffer[7], '!');
    EXPECT_EQ(stream.Read(buffer, 1), 0);
    EXPECT_THROW(stream.ReadBuffer(buffer, 1), EReadError);
}

TEST(MemoryStream, RefusesBadSeeks)
{
    TMemoryStream stream;
    EXPECT_THROW(stream.Seek(-1, soFromBeginning), EStreamError);
    EXPECT_THROW(stream.Seek(0, 3), EStreamError);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(ReadOnlyMemoryStream, ReadsTheHeldBytesAndRefusesWrites)
{
    const std::vector<std::uint8_t> bytes{'a', 'b', 'c', 'd'};
    TReadOnlyMemoryStream stream(bytes);
    EXPECT_EQ(stream.Size(), 4);
    char buffer[8] = {};
    stream.Seek(1, soFromBeginning);
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 3);
    EXPECT_EQ(std::string(buffer, 3), "bcd");
    EXPECT_EQ(stream.Read(buffer, 1), 0);
    EXPECT_EQ(stream.Write("x", 1), 0);
    EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
    EXPECT_THROW(stream.Seek(-1, soFromBeginning), EStreamError);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));
}

TEST(FileStream, CreatesWritesAndReopensForReading)
{
    TempDir dir;
    const std::string name = dir.File("data.bin");
    {
        TFileStream out(name, fmCreate);
        out.WriteBuffer("abcdef", 6);
        EXPECT_TRUE(out.FlushToDisk());
    }
    TFileStream in(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(in.Size(), 6);
    in.Seek(-2, soFromEnd);
    char tail[2];
    in.ReadBuffer(tail, 2);
    EXPECT_EQ(std::string(tail, 2), "ef");
    EXPECT_THROW(in.Seek(-7, soFromEnd), EStreamError);
}

TEST(FileStream, NamesTheFileItCannotOpenOrCreate)
{
    TempDir dir;
    try {
        TFileStream in(dir.File("missing"), fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos);
    }
    EXPECT_THROW(TFileStream(dir.File("no/such/folder/x"), fmCreate), EFCreateError);
}

TEST(Stream, CopyFromWholeSourceStartsAtItsBeginning)
{
    TMemoryStream source(std::vector<std::uint8_t>{1, 2, 3, 4});
    source.SetPosition(4);
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 4);
    EXPECT_EQ(target.Bytes(), source.Bytes());
}
