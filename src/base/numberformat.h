// Numbers shown to and typed by the user, and numbers read back from files.
//
// Every edit box and label shows numbers through FormatNumber so they all
// agree. Formatting and parsing never consult the C locale: "." is the
// decimal separator everywhere, so a model saved under one locale opens under
// any other and a number shown in a box can always be typed back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/messages.h"

namespace korvel {

// General format ("%g"): at most `significantDigits` significant digits,
// trailing zeros dropped, exponent form for very large or small magnitudes.
// Negative zero is written "0", since "-0" tells the user nothing. Infinity
// and NaN are written "inf", "-inf" and "nan" (or "-nan"). The digit count
// is limited to 1..40; 0 means 1, as in printf.
std::string FormatGeneral(double x, int significantDigits);

// FormatGeneral with five digits, right-aligned in at least 7 characters:
// the one format of edit boxes and labels.
std::string FormatNumber(double x);

// FormatGeneral with three digits, right-aligned in at least 6 characters:
// the values printed on block bodies, where room is short.
std::string FormatShortNumber(double x);

// Strict parsers for text written by the program itself (model files): the
// whole text must be the number, with no blanks and no leading '+'. A double
// is a decimal number with optional fraction and exponent, such as "%.15g"
// writes ("-1.5", "2e+20", ".5", "5." are accepted); hexadecimal, "inf" and
// "nan" are refused, as are magnitudes that overflow or underflow a double.
// An integer is decimal digits with an optional '-' and must fit an int.
std::optional<double> ParseDouble(std::string_view text);
std::optional<int> ParseInteger(std::string_view text);

// Converts text typed by the user. Blanks (spaces, tabs, line breaks) around
// the number and one leading '+' are accepted; otherwise the rules of the
// strict parsers apply. When the text does not convert, a "Message Box" box
// with an OK button says so and the previous value is answered, so a typing
// slip leaves the edited value as it was.
double TextToDouble(std::string_view text, double previous, Messages& messages);
int TextToInteger(std::string_view text, int previous, Messages& messages);

}  // namespace korvel
