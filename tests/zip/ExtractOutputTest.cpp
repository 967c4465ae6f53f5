// Where an entry's bytes go while it is written: a file that nothing stands
// in the way of is written under its own name at once, while an existing
// file keeps its old bytes under its name until the new file is complete
// and checked. Either way the folder holds nothing else afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "TempDir.h"
#include "ZipReader.h"

namespace {

TEST(ExtractOutput, ANewFileIsWrittenUnderItsNameAnExistingOneStaysUntilTheEnd)
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
            seen.push_back(std::to_string(percent) + ": " + tree.at("sub/f.txt").Bytes.substr(0, 3) + " of " +
                           std::to_string(tree.size() - 1) + " files");
        };
        EXPECT_EQ(reader.UnZipToDestDir(), 1);

        // Over an existing file the new one is written beside it.
        const std::vector<std::string> expected =
            existing ? std::vector<std::string>{"33: old of 2 files", "66: old of 2 files", "98: old of 2 files",
                                                "100: old of 2 files"}
                     : std::vector<std::string>{"33: nnn of 1 files", "66: nnn of 1 files", "98: nnn of 1 files",
                                                "100: nnn of 1 files"};
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(TreeNames(ReadTree(dest)), "sub/ sub/f.txt ");
        EXPECT_EQ(ReadFileBytes(dest + "/sub/f.txt"), content);
    }
}

} // namespace
