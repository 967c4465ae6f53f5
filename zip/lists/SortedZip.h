// The archive directory in memory: a sorted object list of TZipHeaderInfo
// entries, kept in the order of its SortMode (see ZipSortMode.h).
//
// The reader keeps two: the directory itself, in ByNone (physical order)
// with dupError, which owns the entries; and, for any other mode, a view in
// that mode with dupAccept that only references them.
#pragma once

#include "lists/ObjLists.h"
#include "lists/ZipSortMode.h"
#include "records/ZipRecords.h"

class TSortedZip : public TSortedObjectList {
public:
    explicit TSortedZip(TDuplicates duplicates, bool ownsItems = true)
        : TSortedObjectList(duplicates, ownsItems)
    {
    }

    // Callers set the mode right after construction, before any entry is added.
    TZipSortMode SortMode = ByNone;

    // Both keys are entries: the list holds nothing else.
    int Compare(const TObject* key1, const TObject* key2) const override;

    TZipHeaderInfo* Entry(int index) const { return static_cast<TZipHeaderInfo*>(GetItem(index)); }
};
