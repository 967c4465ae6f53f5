// How a line edit shows what is typed into it: as typed, or one password
// character for each character typed.
#pragma once

#include <QLineEdit>

// 0 shows the text as typed.
void SetPasswordEcho(QLineEdit& edit, char passwordChar);
