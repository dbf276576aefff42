#pragma once

// Reads one number of the CSV syntax from [first, last) and returns the pointer just
// past it, or nullptr when no number starts there (value is then untouched).
//
// Accepted: leading white space (space, \t, \n, \v, \f, \r), one optional '+' or '-',
// digits with an optional '.' and fraction (at least one digit in all), then an optional
// exponent: 'e', 'E', 'd' or 'D', an optional sign and at least one digit. A mark without
// digits is not part of the number (the stop pointer is then at the mark). No hex, inf or
// nan. Out-of-range values become an infinity of their sign or zero/subnormal, like
// strtod in the "C" locale, whose results this gives bit for bit. Locale-free, no
// allocation, no throw; reads nothing at or beyond `last`.
const char* ParseNumber(const char* first, const char* last, double& value);
