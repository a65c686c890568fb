#pragma once

// Reading the answer text the player builds: whole numbers are maximal runs of
// digits, everything else is an operator character.

#include <QString>

namespace answertext {

bool IsDigit(QChar c);

// How many whole numbers the answer holds.
int CountWholeNumbers(const QString& answer);

// How many whole numbers of the answer read exactly as number; a digit inside a
// longer number does not count.
int CountNumber(const QString& answer, const QString& number);

// One backspace press: removes one operator character or one whole number.
void RemoveLastEntry(QString& answer);

} // namespace answertext
