#include "FileTypeRegistration.h"

#include "Format.h"

namespace {

const std::string AlbumTypeName = "Pictoria.Viewer.file";
const std::string ProjectTypeName = "Pictoria.Compiler.file";

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
        {"/.pxa", AlbumTypeName},
        {"/" + AlbumTypeName + "/shell/open/command", Quoted(viewer) + " " + Quoted("%1")},
        {"/" + AlbumTypeName + "/DefaultIcon", Quoted(viewer) + ",0"},
    };
}

std::vector<TFileTypeKey> ProjectFileTypeKeys(const std::string& program)
{
    return {
        {"/.pxp", ProjectTypeName},
        {"/" + ProjectTypeName + "/shell/open/command", Quoted(program) + " " + Quoted("%1")},
        {"/" + ProjectTypeName + "/DefaultIcon", Quoted(program) + ",0"},
    };
}

std::string FileTypeDescription(const std::string& typeName)
{
    if (typeName == AlbumTypeName)
        return "Pictoria album";
    if (typeName == ProjectTypeName)
        return "Pictoria album project";
    return typeName;
}
