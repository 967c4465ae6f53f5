#include "XdgFileTypes.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "files/FileReplace.h"

namespace {

const std::string OpenCommandSuffix = "/shell/open/command";

struct TXdgFileType {
    std::string Extension; // ".pxa"
    std::string TypeName;  // "Pictoria.Viewer.file"
    std::string OpenCommand;
};

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TXdgFileType FileTypeOf(const std::vector<TFileTypeKey>& keys)
{
    TXdgFileType type;
    for (const TFileTypeKey& key : keys) {
        if (key.Key.starts_with("/."))
            type = {key.Key.substr(1), key.Value, type.OpenCommand};
        else if (EndsWith(key.Key, OpenCommandSuffix))
            type.OpenCommand = key.Value;
    }
    return type;
}

// The program of a command: the text in its first pair of double quotes,
// else its first word.
std::string ProgramOf(const std::string& command)
{
    if (command.starts_with("\"")) {
        const size_t end = command.find('"', 1);
        return command.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return command.substr(0, command.find(' '));
}

// Quoting of a desktop entry's Exec key: inside double quotes '"', '`',
// '$' and '\' take a backslash; '%' doubles; then the value's own escaping
// doubles every backslash again.
std::string QuotedExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$')
            quoted += std::string("\\") + c;
        else if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return quoted + "\"";
}

// The type's name without its ".file", in words: "Pictoria Compiler", the
// name a person picks from an "Open With" list.
std::string ProgramTitleOf(const std::string& typeName)
{
    std::string title = typeName.substr(0, typeName.rfind(".file"));
    std::replace(title.begin(), title.end(), '.', ' ');
    return title;
}

// The icon theme's name for the program that opens the type:
// "pictoria-compiler".
std::string IconNameOf(const std::string& typeName)
{
    std::string name;
    for (char c : ProgramTitleOf(typeName))
        name += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The program's scalable icon, built into the library from
// platform/desktop/icons.
std::string IconSvgOf(const std::string& iconName)
{
    QFile icon(QString::fromStdString(":/desktop/icons/" + iconName + ".svg"));
    const bool opened = icon.open(QIODevice::ReadOnly);
    assert(opened && "every registered type has an icon");
    return opened ? icon.readAll().toStdString() : std::string();
}

std::string MimePackage(const TXdgFileType& type)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" + MimeTypeOf(type.TypeName) + "\">\n"
           "    <comment>" + FileTypeDescription(type.TypeName) + "</comment>\n"
           "    <icon name=\"" + IconNameOf(type.TypeName) + "\"/>\n"
           "    <glob pattern=\"*" + type.Extension + "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string DesktopEntry(const TXdgFileType& type)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + ProgramTitleOf(type.TypeName) + "\n"
           "Icon=" + IconNameOf(type.TypeName) + "\n"
           "Exec=" + DesktopExecLine(type.OpenCommand) + "\n"
           "MimeType=" + MimeTypeOf(type.TypeName) + ";\n"
           "NoDisplay=true\n";
}

bool MakeFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return !error;
}

void WriteDefaultValue(const std::filesystem::path& fileName, const std::string& contents)
{
    if (!ReplaceFileContents(fileName.string(), contents))
        throw ERegistryException("");
}

void RunIfInstalled(const QString& tool, const std::filesystem::path& folder)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (!program.isEmpty())
        QProcess::execute(program, {QString::fromStdString(folder.string())});
}

} // namespace

std::string MimeTypeOf(const std::string& typeName)
{
    std::string mime = "application/x-";
    for (char c : typeName)
        mime += c == '.' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return mime;
}

std::string DesktopExecLine(const std::string& openCommand)
{
    return QuotedExecArgument(ProgramOf(openCommand)) + " %f";
}

TXdgFileTypeRegistrar::TXdgFileTypeRegistrar(std::string dataHome) : dataHome_(std::move(dataHome)) {}

std::string TXdgFileTypeRegistrar::DefaultDataHome()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome)
        return dataHome;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

void TXdgFileTypeRegistrar::Register(const std::vector<TFileTypeKey>& keys)
{
    const TXdgFileType type = FileTypeOf(keys);
    const std::filesystem::path mimeFolder = std::filesystem::path(dataHome_) / "mime";
    const std::filesystem::path packages = mimeFolder / "packages";
    const std::filesystem::path applications = std::filesystem::path(dataHome_) / "applications";
    const std::filesystem::path icons = std::filesystem::path(dataHome_) / "icons/hicolor/scalable/apps";
    if (type.TypeName.empty() || !MakeFolder(packages) || !MakeFolder(applications) || !MakeFolder(icons))
        return;
    const std::string iconName = IconNameOf(type.TypeName);
    WriteDefaultValue(icons / (iconName + ".svg"), IconSvgOf(iconName));
    WriteDefaultValue(packages / (type.TypeName + ".xml"), MimePackage(type));
    WriteDefaultValue(applications / (type.TypeName + ".desktop"), DesktopEntry(type));
    RunIfInstalled("update-mime-database", mimeFolder);
    RunIfInstalled("update-desktop-database", applications);
}
