// Archives written by early MS-DOS zip programs: their stored entries extract
// with a matching CRC-32; the older methods (shrink, reduce, implode) are
// refused as unknown methods, leaving nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ExtractSupport.h"
#include "Stream.h"
#include "ZipReader.h"

namespace {

std::filesystem::path LegacyFolder()
{
    const std::filesystem::path source = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    for (const auto& candidate : {source.parent_path() / "shared/testdata/legacy",
                                  std::filesystem::path("/work/shared/testdata/legacy")})
        if (std::filesystem::is_directory(candidate))
            return candidate;
    return {};
}

TEST(ExtractLegacy, StoredEntriesExtractAndOlderMethodsAreRefused)
{
    const std::filesystem::path folder = LegacyFolder();
    if (folder.empty())
        GTEST_SKIP() << "no legacy archives";
    int stored = 0;
    int refused = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        const std::string extension = item.path().extension().string();
        if (extension != ".ZIP" && extension != ".zip")
            continue;
        SCOPED_TRACE(item.path().string());
        const int refusedBefore = refused;
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(item.path().string());
        reader.ReadZip();
        TAnsweringUI ui(TMsgResult::Ok);
        TZipUIScope scope(ui);
        for (int i = 0; i < reader.GetCount(); ++i) {
            const TZipHeaderInfo& entry = reader.GetEntry(i);
            SCOPED_TRACE(entry.FullName());
            TMemoryStream stream;
            const int extracted = reader.UnZipToStreamByIndex(&stream, i);
            if (entry.CompressionMethod == 0) {
                EXPECT_EQ(extracted, 1);
                EXPECT_EQ(static_cast<std::uint64_t>(stream.Size()), entry.UncompressedSize);
                ++stored;
            } else {
                EXPECT_GE(entry.CompressionMethod, 1);
                EXPECT_LE(entry.CompressionMethod, 6);
                EXPECT_EQ(extracted, 0);
                EXPECT_EQ(stream.Size(), 0);
                ++refused;
            }
        }
        EXPECT_EQ(ui.Boxes.size(), static_cast<std::size_t>(refused - refusedBefore));
        for (const std::string& box : ui.Boxes)
            EXPECT_EQ(box, "Zip Error: Unknown Compression Method");
    }
    EXPECT_GT(stored, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
