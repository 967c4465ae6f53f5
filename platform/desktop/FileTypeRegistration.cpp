#include "FileTypeRegistration.h"

#include "Format.h"

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

ERegistryException::ERegistryException(const std::string& valueName)
    : Exception(Format("Failed to set data for '%s'", {valueName}))
{
}

std::vector<TFileTypeKey> AlbumFileTypeKeys(const std::string& folder)
{
    const std::string viewer = folder + "pictoview.exe";
    return {
        {"/.pxa", "Pictoria.Viewer.file"},
        {"/Pictoria.Viewer.file/shell/open/command", Quoted(viewer) + " " + Quoted("%1")},
        {"/Pictoria.Viewer.file/DefaultIcon", Quoted(viewer) + ",0"},
    };
}

std::vector<TFileTypeKey> ProjectFileTypeKeys(const std::string& program)
{
    return {
        {"/.pxp", "Pictoria.Compiler.file"},
        {"/Pictoria.Compiler.file/shell/open/command", Quoted(program) + " " + Quoted("%1")},
        {"/Pictoria.Compiler.file/DefaultIcon", Quoted(program) + ",0"},
    };
}
