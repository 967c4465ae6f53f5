#include "SourceManagerLibrary.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "TempDir.h"

TEST(SourceManagerLibrary, MissingLibraryDoesNotLoad)
{
    EXPECT_EQ(SourceManagerLibrary::Load("/nonexistent/libnothing.so"), nullptr);
}

// The allocator library loads but exports no DSM_Entry.
TEST(SourceManagerLibrary, LibraryWithoutEntryPointLoadsWithoutEntry)
{
    const auto library = SourceManagerLibrary::Load(GLOBALMEM_LIBRARY);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->Entry(), nullptr);
}

TEST(SourceManagerLibrary, FakeSourceManagerLoadsWithItsEntryPoint)
{
    const auto library = SourceManagerLibrary::Load(FAKE_DSM_LIBRARY);
    ASSERT_NE(library, nullptr);
    EXPECT_NE(library->Entry(), nullptr);
}

TEST(SourceManagerLibrary, PathComesFromEnvironmentOrLiesBesideTheProgram)
{
    ::setenv("PICTORIA_TWAIN_DSM", "/some/where/dsm.so", 1);
    EXPECT_EQ(SourceManagerLibrary::DefaultPath(), "/some/where/dsm.so");
    ::unsetenv("PICTORIA_TWAIN_DSM");
    const std::string beside = SourceManagerLibrary::DefaultPath();
    EXPECT_TRUE(beside.ends_with("/libpictotwaindsm.so")) << beside;
}
