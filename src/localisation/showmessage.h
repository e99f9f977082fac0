#pragma once
// Message boxes of the program: a text, or a message of the language file by its ID.
#include <QString>
#include <QVariantList>

// The product name every message box is captioned with.
inline const QString kProductName = QStringLiteral("Tonaria");

// An application-modal box captioned "Tonaria" with the given text and Windows box flags;
// returns the button that closed it (IDYES is 6).
int ShowMessageText(const QString &text, unsigned style);
