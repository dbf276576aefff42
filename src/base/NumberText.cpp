#include "base/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

wxString FormatExactNumber(double value)
{
    const double magnitude = std::fabs(value);
    const int integerDigits =
        magnitude >= 1.0 && std::isfinite(magnitude) ? int(std::log10(magnitude)) + 1 : 1;
    char text[40];
    char* end = text;
    // 17 significant digits read back as any double.
    for (int precision = std::min(integerDigits, 17); precision <= 17; ++precision) {
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision)
                  .ptr;
        double back = 0.0;
        std::from_chars(text, end, back);
        if (back == value || std::isnan(value))
            break;
    }
    return wxString(text, end - text);
}
