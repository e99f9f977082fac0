#pragma once
// Comma text: a list of strings in one line, as album files, file lists and extension lists
// keep them. Items are separated by commas or blanks; an item holding a blank, a control
// character, a double quote or a comma is enclosed in double quotes, with its inner quotes
// doubled.
//
// Threads: any (no shared state).
#include <QString>
#include <QStringList>

// Splits comma text into its items. Blanks and commas both separate items, ",," gives an
// empty item, a trailing "," gives none, and an unclosed quote runs to the end of the text.
QStringList SplitCommaText(QStringView text);

// Joins items into comma text. A list of one empty item gives two double quotes; an empty
// list gives an empty text.
QString JoinCommaText(const QStringList &items);

// One item as comma text writes it (quoted when it needs to be).
QString QuoteCommaItem(const QString &item);
