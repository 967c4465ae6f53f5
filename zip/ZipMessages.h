// The engine's numbered messages: every text it shows or puts into an
// exception, loaded by number. The texts are kept exactly as users have
// always seen them, misspellings included.
#pragma once

#include <string>

constexpr int IDS_OPENZIP = 176;
constexpr int IDS_ZIPFILESFILTER = 177;
constexpr int IDS_CANCELDEST = 178;
constexpr int IDS_INDEXOUTOFRANGE = 179;
constexpr int IDS_CANCELOPERATION = 181;
constexpr int IDS_INCOMPLETEZIP = 182;
constexpr int IDS_INVALIDZIP = 183;
constexpr int IDS_INSERTDISK = 184;
constexpr int IDS_OFMULTISET = 185;
constexpr int IDS_CANCELZIPNAME = 186;
constexpr int IDS_CANCELZIPOPERATION = 187;
constexpr int IDS_SEEKERROR = 190;
constexpr int IDS_SEEKORIGINERROR = 191;
constexpr int IDS_PUTBACKOVERFLOW = 192;
constexpr int IDS_INFLATEOUTOFMEMORY = 193;
constexpr int IDS_PREMATUREEOF = 194;
constexpr int IDS_REPLACEFILE = 195;
constexpr int IDS_FILEXISTALERT = 196;
constexpr int IDS_UNKNOWNMETH = 197;
constexpr int IDS_ZIPERROR = 198;
constexpr int IDS_LARGERTHANUNCOMPRESSED = 199;
constexpr int IDS_COULDNOTCOPY = 202;
constexpr int IDS_ERROR = 203;
constexpr int IDS_NOTENOUGHROOM = 204;
constexpr int IDS_CANTWRITEUCF = 207;

// The text of a message; an id the table does not hold gives "".
std::string LoadStr(int id);
