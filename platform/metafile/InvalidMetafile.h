// The one error the metafile player raises: a metafile whose headers are
// damaged or give no size. Damaged records inside a metafile raise nothing;
// they end the playing (MetafileRecord.h). The GUI layer's TMetafile raises
// the same text as its own EInvalidGraphic.
#pragma once

#include "Exceptions.h"

class EInvalidMetafile : public Exception {
    using Exception::Exception;
};
