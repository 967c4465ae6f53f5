#include "IntermediateArchive.h"

#include <exception>

#include "ZipReader.h"

namespace pictomake {

bool IsIntermediateArchiveOf(const std::string& archive, const std::string& viewer, const std::string& albumFile)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    // A file that ends short is not taken for a volume to ask the user for.
    reader.IncompleteZipMode = izAssumeNotAZip;
    try {
        reader.SetZipName(archive);
        reader.ReadZip();
        return reader.GetCount() == 2 && reader.GetEntry(0).FullName() == viewer &&
               reader.GetEntry(1).FullName() == albumFile;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace pictomake
