#include "csv/NumberParser.h"

#include <cstring>
#include <system_error>

#include <fast_float/fast_float.h>

namespace {

inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// fast_float knows only 'e'/'E': for a 'd'/'D' exponent the unsigned number is copied
// with the mark rewritten. A too long copy falls back to the mantissa, which cannot
// happen for lines of at most 1022 characters but keeps the function total.
const char* ParseWithDExponent(const char* begin, const char* mark, const char* last, double& value)
{
    const char* p = mark + 1;
    if (p != last && (*p == '+' || *p == '-'))
        ++p;
    if (p == last || !IsDigit(*p))
        return nullptr; // the 'd' is not an exponent: the caller keeps the mantissa
    while (p != last && IsDigit(*p))
        ++p;
    char buffer[2048];
    const size_t length = static_cast<size_t>(p - begin);
    if (length > sizeof buffer)
        return nullptr;
    std::memcpy(buffer, begin, length);
    buffer[mark - begin] = 'e';
    double parsed = 0.0;
    auto result = fast_float::from_chars(buffer, buffer + length, parsed);
    if (result.ec != std::errc() || result.ptr != buffer + length)
        return nullptr;
    value = parsed;
    return p;
}

} // namespace

const char* ParseNumberGeneral(const char* first, const char* last, double& value)
{
    const char* p = first;
    while (p != last && IsSpace(*p))
        ++p;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Checked here so that fast_float never falls back to its inf/nan spellings.
    if (p == last || !(IsDigit(*p) || *p == '.'))
        return nullptr;
    double parsed = 0.0;
    auto result = fast_float::from_chars(p, last, parsed);
    if (result.ec != std::errc())
        return nullptr; // a lone '.'
    const char* end = result.ptr;
    if (end != last && (*end == 'd' || *end == 'D')) {
        if (const char* stop = ParseWithDExponent(p, end, last, parsed))
            end = stop;
    }
    value = negative ? -parsed : parsed;
    return end;
}
