// Printing one picture with its caption on the default printer, no dialog,
// by the picture-printing layout: the job is titled with the caption. A
// picture without pixels is refused with a message before anything is
// printed; a printer that cannot start raises EPrinter; a failure while
// drawing still ends the document.
#pragma once

#include <string>

class TGraphic;

namespace pictoalbum {

void PrintPicture(const TGraphic* picture, const std::string& caption);

} // namespace pictoalbum
