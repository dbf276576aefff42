#pragma once

#include <cstdint>
#include <cstring>

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

namespace number_detail {

// The run of digits at p (none to eight) of the eight bytes there, and their value. Bytes
// after the first non-digit do not matter: a carry or borrow only moves upwards.
inline unsigned LeadingDigits(const char* p, uint64_t& value)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    const uint64_t high = 0xF0F0F0F0F0F0F0F0ull, threes = 0x3030303030303030ull;
    const uint64_t nonDigit =
        ((v & high) ^ threes) | (((v + 0x0606060606060606ull) & high) ^ threes);
    const unsigned n = nonDigit ? unsigned(__builtin_ctzll(nonDigit)) / 8 : 8;
    if (n == 0) {
        value = 0;
        return 0;
    }
    // Digits to the high bytes: the dropped low bytes become leading zeros.
    uint64_t d = (v - threes) << (64 - 8 * n);
    d = d * 10 + (d >> 8);
    d = (((d & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
         (((d >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
        32;
    value = d;
    return n;
}

// Appends the digits at p to mantissa (which wraps past 19 digits: the caller counts
// them) and returns the pointer past them; reads nothing at or beyond last.
inline const char* ReadDigits(const char* p, const char* last, uint64_t& mantissa)
{
    static constexpr uint64_t SCALE[9] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};
    while (last - p >= 8) {
        uint64_t chunk;
        const unsigned n = LeadingDigits(p, chunk);
        mantissa = mantissa * SCALE[n] + chunk;
        p += n;
        if (n < 8)
            return p;
    }
    while (p != last && unsigned(*p - '0') < 10u)
        mantissa = mantissa * 10 + unsigned(*p++ - '0');
    return p;
}

} // namespace number_detail

// Most values in files have at most 19 significant digits and a small exponent. When the
// digits' value is at most 2^53 it is an exact double, and one multiplication or division
// by an exact power of ten (up to 1e22) then rounds correctly (Clinger's fast path). Those
// are read in one pass here, eight digits at a time where eight bytes are left; everything
// else goes the general way. Always inlined: a call costs as much as a short number.
[[gnu::always_inline]] inline const char* ParseNumber(const char* first, const char* last,
                                                      double& value)
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
    p = number_detail::ReadDigits(p, last, mantissa);
    long count = p - digits;
    long exponent = 0;
    if (p != last && *p == '.') {
        const char* dot = ++p;
        p = number_detail::ReadDigits(p, last, mantissa);
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
