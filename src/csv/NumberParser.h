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

// Most values in files have at most 19 significant digits and a small exponent. When the
// digits' value is at most 2^53 it is an exact double, and one multiplication or division
// by an exact power of ten (up to 1e22) then rounds correctly (Clinger's fast path). Those
// are read in one pass here; everything else goes the general way.
inline const char* ParseNumber(const char* first, const char* last, double& value)
{
    static constexpr double POW10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr uint64_t EXACT = uint64_t(1) << 53;
    auto isDigit = [](char c) { return unsigned(c - '0') < 10u; };
    const char* p = first;
    bool negative = false;
    if (p != last && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    uint64_t mantissa = 0;
    const char* digits = p;
    while (p != last && isDigit(*p))
        mantissa = mantissa * 10 + unsigned(*p++ - '0');
    long count = p - digits;
    long exponent = 0;
    if (p != last && *p == '.') {
        const char* dot = ++p;
        while (p != last && isDigit(*p))
            mantissa = mantissa * 10 + unsigned(*p++ - '0');
        exponent = dot - p;
        count -= exponent;
    }
    if (count == 0 || count > 19 || mantissa > EXACT)
        return ParseNumberGeneral(first, last, value);
    if (p != last && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
        const char* q = p + 1;
        const bool negativeExponent = q != last && *q == '-';
        if (q != last && (*q == '-' || *q == '+'))
            ++q;
        if (q != last && isDigit(*q)) { // otherwise the mark is not part of the number
            long e = 0;
            for (int n = 0; q != last && isDigit(*q); ++n) {
                if (n == 4)
                    return ParseNumberGeneral(first, last, value);
                e = e * 10 + (*q++ - '0');
            }
            exponent += negativeExponent ? -e : e;
            p = q;
        }
    }
    if (exponent < -22 || exponent > 22)
        return ParseNumberGeneral(first, last, value);
    const double magnitude =
        exponent < 0 ? double(mantissa) / POW10[-exponent] : double(mantissa) * POW10[exponent];
    value = negative ? -magnitude : magnitude;
    return p;
}
