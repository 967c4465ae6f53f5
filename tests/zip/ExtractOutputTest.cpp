// Where an entry's bytes go while it is written: never to the entry's own
// name. A new file has no name until it is complete and checked, and an
// existing file keeps its old bytes under its name until then. Either way
// the folder holds nothing else afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "TempDir.h"
#include "ZipReader.h"

namespace {

TEST(ExtractOutput, TheNameHoldsNothingNewUntilTheFileIsComplete)
{
    const std::string content(100000, 'n');
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "over an existing file" : "a new file");
        TempDir dir;
        const std::string archive = dir.Write("in.zip", BuildStoredArchive({{"sub/f.txt", content}}));
        const std::string dest = dir.File("dest");
        if (existing)
            dir.Write("dest/sub/f.txt", "old content");
        TZipReader reader;
        SetUpExtraction(reader, archive, dest);
        std::vector<std::string> seen;
        reader.OnFilePercentDone = [&](TZipReader&, int percent) {
            const TTree tree = ReadTree(dest);
            const auto file = tree.find("sub/f.txt");
            seen.push_back(std::to_string(percent) + ": " +
                           (file == tree.end() ? std::string("none") : file->second.Bytes.substr(0, 3)));
        };
        EXPECT_EQ(reader.UnZipToDestDir(), 1);

        const std::string before = existing ? "old" : "none";
        const std::vector<std::string> expected = {"33: " + before, "66: " + before, "98: " + before, "100: " + before};
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(TreeNames(ReadTree(dest)), "sub/ sub/f.txt ");
        EXPECT_EQ(ReadFileBytes(dest + "/sub/f.txt"), content);
    }
}

} // namespace
