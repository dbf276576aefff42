#pragma once

#include <wx/string.h>

// The text a number is shown and typed back as, wherever a value must survive the round
// trip (the property pane, the calculator's X fields, the import preview, properties as
// text). In the notation of printf's %g: fixed for exponents from -4 up to the digits
// shown, else scientific. With the fewest significant digits that read back (strtod,
// from_chars) as exactly `value`, but never fewer than the integer part has, so whole
// numbers stay whole: "200000" (not "2e+05"), "0.0005", "0.1", "1e-12", "1e+20",
// "0.30000000000000004". Locale-free ('.' always); "inf", "-inf" and "nan" for the
// values that are no number.
wxString FormatExactNumber(double value);
