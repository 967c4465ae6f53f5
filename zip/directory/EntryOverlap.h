// The overlap check of the directory read. In a sound archive each entry's
// local header, name, extra field and data lie apart from every other
// entry's. A zip bomb of overlapping entries instead lets the data of many
// entries run over the headers that follow them into one shared piece of
// compressed data, so that a small archive extracts to a huge total.
#pragma once

#include "lists/SortedZip.h"

// Marks (TZipHeaderInfo::Overlapping) every entry of directory, a list in
// physical order (ByNone), whose stored bytes overlap another entry's, and
// that other entry too. An entry whose local header is damaged takes no
// part. Returns the number of entries marked. Linear in the
// number of entries.
//
// An entry's bytes are taken to run from its local header to the end of its
// data: the fixed header, its name and its compressed size from the central
// header. Its local extra field is left out, as only the local header tells
// its length; the check therefore never refuses a sound archive.
int MarkOverlappingEntries(const TSortedZip& directory);
