#pragma once
// Message boxes of the program: a text, or a message of the language file by its ID.
//
// Threads: main thread only.
#include <QString>
#include <QVariantList>

// The product name every message box is captioned with.
inline const QString kProductName = QStringLiteral("Tonaria");

// An application-modal box captioned "Tonaria" with the given text and Windows box flags;
// returns the button that closed it (IDYES is 6).
int ShowMessageText(const QString &text, unsigned style);

// The text of a message of the current language ("Globals" of the language manager); when
// no loaded file holds it, a text that says so and names the ID. Before any language is
// loaded, the English text the program ships.
QString GetMessageText(const QString &id);

// Shows the message of that ID with its placeholders ("%s", "%d") filled from the arguments
// in order; returns the button that closed the box.
int ShowMessageById(const QString &id, const QVariantList &args, unsigned style);
