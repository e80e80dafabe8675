#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace sweep {

// The sender text with every character of the fixed removal table taken out: the apostrophe,
// brackets, percent sign, blanks and the other punctuation that must not reach a block-list
// statement. An empty variant reads as the empty text.
QVariant Reprep(const QVariant& text);

// A random text of k + 1 characters from "0"-"9" and "a"-"z", k being the argument rounded
// down; empty when k is below 0. Calls continue one pseudo-random sequence, so two calls in
// the same clock tick give different texts.
QVariant Angou(const QVariant& length);

} // namespace sweep

namespace sweep {

// The program's one text form of a moment ("2026/12/07 5:04:09"), local time; it reads back
// into the same second with parseDateText.
QString dateText(const QDateTime& moment);
// The moment of a dateText; an invalid QDateTime when the text is not one.
QDateTime parseDateText(const QString& text);

} // namespace sweep
