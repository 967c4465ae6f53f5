#include "XdgFileTypes.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "GuiTestApp.h"

TEST(XdgFileTypesTest, AMimePackageAndADesktopEntryPerType)
{
    TestApplication();
    TempDir dataHome;
    TXdgFileTypeRegistrar registrar(dataHome.Path().string());
    registrar.Register(ProjectFileTypeKeys("/opt/my albums/Pictomake"));

    const std::string package = ReadFileBytes(dataHome.File("mime/packages/Pictoria.Compiler.file.xml"));
    EXPECT_NE(package.find("<mime-type type=\"application/x-pictoria-compiler-file\">"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.pxp\"/>"), std::string::npos);
    const std::string entry = ReadFileBytes(dataHome.File("applications/Pictoria.Compiler.file.desktop"));
    EXPECT_NE(entry.find("Exec=\"/opt/my albums/Pictomake\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("MimeType=application/x-pictoria-compiler-file;\n"), std::string::npos);
}

TEST(XdgFileTypesTest, EntriesAreNamedForTheirProgramAndShowItsIconAndKind)
{
    TestApplication();
    struct Case {
        std::vector<TFileTypeKey> keys;
        std::string typeName, mimeType, name, icon, kind;
    };
    const Case cases[] = {
        {ProjectFileTypeKeys("/opt/Pictomake"), "Pictoria.Compiler.file", "application/x-pictoria-compiler-file",
         "Pictoria Compiler", "pictoria-compiler", "Pictoria album project"},
        {AlbumFileTypeKeys("/opt/"), "Pictoria.Viewer.file", "application/x-pictoria-viewer-file", "Pictoria Viewer",
         "pictoria-viewer", "Pictoria album"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeName);
        TempDir dataHome;
        TXdgFileTypeRegistrar registrar(dataHome.Path().string());
        registrar.Register(c.keys);

        const std::string entry = ReadFileBytes(dataHome.File("applications/" + c.typeName + ".desktop"));
        EXPECT_NE(entry.find("\nName=" + c.name + "\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("\nIcon=" + c.icon + "\n"), std::string::npos) << entry;
        const std::string package = ReadFileBytes(dataHome.File("mime/packages/" + c.typeName + ".xml"));
        EXPECT_NE(package.find("<mime-type type=\"" + c.mimeType + "\">"), std::string::npos);
        EXPECT_NE(package.find("<icon name=\"" + c.icon + "\"/>"), std::string::npos) << package;
        // The kind of file a file manager shows, in words.
        EXPECT_NE(package.find("<comment>" + c.kind + "</comment>"), std::string::npos) << package;
        const std::string icon = ReadFileBytes(dataHome.File("icons/hicolor/scalable/apps/" + c.icon + ".svg"));
        EXPECT_NE(icon.find("<svg "), std::string::npos);
        EXPECT_NE(icon.find("</svg>"), std::string::npos);
    }
}

TEST(XdgFileTypesTest, ExecLinesQuoteThePath)
{
    EXPECT_EQ(DesktopExecLine("\"/a b/x\" \"%1\""), "\"/a b/x\" %f");
    EXPECT_EQ(DesktopExecLine("\"/a$b/100%\" \"%1\""), "\"/a\\$b/100%%\" %f");
    EXPECT_EQ(DesktopExecLine("\"/a\\b\" \"%1\""), "\"/a\\\\\\\\b\" %f");
}

TEST(XdgFileTypesTest, AFolderThatCannotBeMadeSkipsTheTypeSilently)
{
    TestApplication();
    TempDir dataHome;
    const std::string blocked = dataHome.Write("file", "");
    TXdgFileTypeRegistrar registrar(blocked);
    EXPECT_NO_THROW(registrar.Register(AlbumFileTypeKeys("/opt/")));
}

TEST(XdgFileTypesTest, AFileThatCannotBeWrittenRaises)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    TestApplication();
    TempDir dataHome;
    TXdgFileTypeRegistrar registrar(dataHome.Path().string());
    registrar.Register(AlbumFileTypeKeys("/opt/"));
    ::chmod(dataHome.File("applications").c_str(), 0500);
    EXPECT_THROW(
        {
            try {
                registrar.Register(AlbumFileTypeKeys("/opt/"));
            } catch (const ERegistryException& e) {
                EXPECT_STREQ(e.what(), "Failed to set data for ''");
                throw;
            }
        },
        ERegistryException);
    ::chmod(dataHome.File("applications").c_str(), 0700);
}
