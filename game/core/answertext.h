#pragma once

// Reading the answer text the player builds: whole numbers are maximal runs of
// digits, everything else is an operator character.

#include <QString>

namespace answertext {

bool IsDigit(QChar c);

// True when a pressed caption enters a number rather than an operator: every
// caption from "1" to "13" lies between "0" and "9" as text, and every operator
// sorts before "0".
bool IsNumberPress(const QString& caption);

// How many whole numbers the answer holds.
int CountWholeNumbers(const QString& answer);

// How many whole numbers of the answer read exactly as number; a digit inside a
// longer number does not count.
int CountNumber(const QString& answer, const QString& number);

// One backspace press: removes one operator character or one whole number.
void RemoveLastEntry(QString& answer);

} // namespace answertext
