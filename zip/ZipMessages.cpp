#include "ZipMessages.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, const char*>, 25> Messages = {{
    {IDS_OPENZIP, "Open a Zip File"},
    {IDS_ZIPFILESFILTER,
     "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*"},
    {IDS_CANCELDEST, "User canceled Set Desination Directory"},
    {IDS_INDEXOUTOFRANGE, "Index %d is out of range"},
    {IDS_CANCELOPERATION, "User Aborted Operation"},
    {IDS_INCOMPLETEZIP, "Incomplete Zip File"},
    {IDS_INVALIDZIP, "Not a valid zip file!"},
    {IDS_INSERTDISK, "Please insert disk "},
    {IDS_OFMULTISET, " of the multi-disk set."},
    {IDS_CANCELZIPNAME, "User canceled setting zip file name."},
    {IDS_CANCELZIPOPERATION, "User canceled Zip operation"},
    {IDS_SEEKERROR, "\nSeek error"},
    {IDS_SEEKORIGINERROR, "Invalid seek origin (%d)"},
    {IDS_PUTBACKOVERFLOW, "Putback overflow"},
    {IDS_INFLATEOUTOFMEMORY, "*** inflate out of memory ***"},
    {IDS_PREMATUREEOF, "Premature end of file reached"},
    {IDS_REPLACEFILE, "Replace existing file "},
    {IDS_FILEXISTALERT, "File Exists Alert"},
    {IDS_UNKNOWNMETH, "Unknown Compression Method"},
    {IDS_ZIPERROR, "Zip Error"},
    {IDS_LARGERTHANUNCOMPRESSED, "File is larger than uncompressed size!"},
    {IDS_COULDNOTCOPY, "Could not copy from "},
    {IDS_ERROR, "Error"},
    {IDS_NOTENOUGHROOM, "Not enough room to write archive"},
    {IDS_CANTWRITEUCF, "Cant write uncompressed file"},
}};

} // namespace

std::string LoadStr(int id)
{
    for (const auto& [number, text] : Messages)
        if (number == id)
            return text;
    return "";
}
