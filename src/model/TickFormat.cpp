#include "model/TickFormat.h"

namespace {

bool IsDigit(wxUniChar c)
{
    return c >= '0' && c <= '9';
}

// Skips at most two digits; false when there are more.
bool SkipNumber(const wxString& s, size_t& i)
{
    size_t digits = 0;
    while (i < s.length() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    return digits <= 2;
}

} // namespace

TickFormatCheck CheckTickFormat(const wxString& s, std::pair<size_t, size_t>* span)
{
    int conversions = 0;
    for (size_t i = 0; i < s.length(); ++i) {
        if (s[i] != '%')
            continue;
        const size_t start = i;
        if (++i >= s.length())
            return TickFormatCheck::Unsafe; // a lone '%' at the end
        if (s[i] == '%')
            continue;
        // Each flag once is plenty; the toolkit's formatter refuses long flag runs.
        const size_t flagsStart = i;
        while (i < s.length() && wxString("-+ #0").Find(s[i]) != wxNOT_FOUND)
            ++i;
        if (i - flagsStart > 5)
            return TickFormatCheck::Unsafe;
        if (!SkipNumber(s, i))
            return TickFormatCheck::Unsafe;
        if (i < s.length() && s[i] == '.') {
            ++i;
            if (!SkipNumber(s, i))
                return TickFormatCheck::Unsafe;
        }
        if (i >= s.length() || wxString("fFeEgGaA").Find(s[i]) == wxNOT_FOUND)
            return TickFormatCheck::Unsafe; // '*', '$', length modifiers, other conversions
        ++conversions;
        if (span)
            *span = {start, i + 1};
    }
    if (conversions == 0)
        return TickFormatCheck::Literal;
    return conversions == 1 ? TickFormatCheck::OneDouble : TickFormatCheck::Unsafe;
}

bool IsTickFormatSafe(const wxString& format)
{
    return CheckTickFormat(format) == TickFormatCheck::OneDouble;
}
