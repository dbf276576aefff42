// Any tick format text, however malformed, yields a label without reading arguments
// that are not there; safe formats are exactly those the formatter is given.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "render/AxisTicks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(double))
        return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    const wxString format =
        wxString::FromUTF8(reinterpret_cast<const char*>(data) + sizeof value, size - sizeof value);
    const wxString label = FormatTickLabel(format, value);
    if (!IsTickFormatSafe(format) && format.Find('%') == wxNOT_FOUND && label != format)
        __builtin_trap();
    return 0;
}
