#include "AppendedArchive.h"

void ReadAppendedArchive(TZipReader& reader, const std::string& programFile)
{
    reader.DoProcessMessages = false;
    reader.IncompleteZipMode = izAssumeNotAZip;
    reader.KeepZipOpen = true;
    reader.SetZipName(programFile);
    reader.ReadZip();
}
