#pragma once

#include <cstddef>
#include <utility>

#include <wx/string.h>

// The printf formats a tick label may be written with. The model's property table
// refuses the others, and the renderer applies only what passes.

enum class TickFormatCheck
{
    Unsafe,
    Literal,   // no conversion, only text and "%%"
    OneDouble, // exactly one floating-point conversion
};

// With `span`, where the (last) conversion starts and ends.
TickFormatCheck CheckTickFormat(const wxString& format, std::pair<size_t, size_t>* span = nullptr);

// True when format holds exactly one floating-point conversion (up to five flags, width
// and precision of at most two digits allowed; no length modifier, no '*', no "n$") and
// otherwise only literal text and "%%".
bool IsTickFormatSafe(const wxString& format);
