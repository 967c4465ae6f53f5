#include "lists/SortedZip.h"

int TSortedZip::Compare(const TObject* key1, const TObject* key2) const
{
    return CompareEntries(*static_cast<const TZipHeaderInfo*>(key1), *static_cast<const TZipHeaderInfo*>(key2),
                          SortMode);
}
