#pragma once

#include <string>

// Numbers travel between the calculator and its callers as text, one byte per
// character, always with "." as decimal separator whatever the C locale says.

// General format with at most 15 significant digits, rounded to nearest (ties away
// from zero): fixed notation while the value has at most 15 integer digits and a
// magnitude of at least 0.0001, otherwise exponent form such as 1E-5 or 1.5E15.
// Zero, negative zero included, renders as 0; infinities as INF and -INF, NaN as NAN.
std::string FloatToStr(long double value);

// Reads blanks (code 32), an optional sign, digits with an optional point, an
// optional exponent whose digits may be absent, and blanks again; a lone point
// reads as 0. Any other text, or a value beyond the extended range, throws
// EConvertError naming the text.
long double StrToFloat(const std::string& text);
