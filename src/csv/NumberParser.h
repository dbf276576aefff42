#pragma once

#include <cstdint>

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
inline const char* ParseNumber(const char* first, const char* last, double& value);

// The general case of ParseNumber (long mantissas, exponents); same contract.
const char* ParseNumberGeneral(const char* first, const char* last, double& value);

// Most values in files are short decimals without exponent: up to 15 digits fit a double
// exactly, and one division by an exact power of ten then rounds correctly (Clinger's
// fast path), so they are read in one pass here; everything else goes the general way.
inline const char* ParseNumber(const char* first, const char* last, double& value)
{
    static constexpr double kPow10[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = first;
    bool negative = false;
    if (p != last && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    uint64_t mantissa = 0;
    const char* digits = p;
    while (p != last && unsigned(*p - '0') < 10u)
        mantissa = mantissa * 10 + unsigned(*p++ - '0');
    long count = p - digits;
    long fraction = 0;
    if (p != last && *p == '.') {
        const char* dot = ++p;
        while (p != last && unsigned(*p - '0') < 10u)
            mantissa = mantissa * 10 + unsigned(*p++ - '0');
        fraction = p - dot;
        count += fraction;
    }
    if (count == 0 || count > 15 ||
        (p != last && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')))
        return ParseNumberGeneral(first, last, value);
    const double magnitude = double(mantissa) / kPow10[fraction];
    value = negative ? -magnitude : magnitude;
    return p;
}
