// The zip engine's own exception classes. Each carries only its message,
// one of the numbered messages of ZipMessages.h.
#pragma once

#include "Exceptions.h"

// The directory cannot be read, not even by the recovery scan.
class EBadZipFile : public Exception {
    using Exception::Exception;
};

// No end record was found and the archive is taken for part of a volume set.
class EIncompleteZip : public Exception {
    using Exception::Exception;
};

// No end record was found and the file is taken for no archive at all.
class ENotAZipFile : public Exception {
    using Exception::Exception;
};

// Compressed data ended before the entry was complete.
class EFatalUnzipError : public Exception {
    using Exception::Exception;
};

// The user cancelled a dialog, a disk prompt or a running operation.
class EUserCanceled : public Exception {
    using Exception::Exception;
};

// An entry gave more output than its uncompressed size.
class EBiggerThanUncompressed : public Exception {
    using Exception::Exception;
};

// The archive could not take all the bytes written to it.
class ENotEnoughRoom : public Exception {
    using Exception::Exception;
};

// An extracted file could not take all the bytes written to it.
class ECantWriteUCF : public Exception {
    using Exception::Exception;
};
