#include "screen/PasswordEcho.h"

void SetPasswordEcho(QLineEdit& edit, char passwordChar)
{
    edit.setEchoMode(passwordChar ? QLineEdit::Password : QLineEdit::Normal);
    // Qt's styles show a bullet of their own otherwise.
    edit.setStyleSheet(passwordChar ? QString("QLineEdit { lineedit-password-character: %1; }")
                                          .arg(static_cast<unsigned char>(passwordChar))
                                    : QString());
}
