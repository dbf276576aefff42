// Any field, in every layout, is read without leaving its bytes; TimeLayoutsOf reports
// exactly the layouts ParseTime accepts, and what is read survives being written as ISO
// text and read again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "csv/TimeText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly `size` bytes, so ASan sees any read past the end.
    std::unique_ptr<char[]> field(new char[size]);
    for (size_t i = 0; i < size; ++i)
        field[i] = char(data[i]);
    const char* begin = field.get();
    const char* end = begin + size;
    const uint32_t layouts = TimeLayoutsOf(begin, end);
    for (unsigned i = unsigned(TimeLayout::NONE); i <= unsigned(TimeLayout::EPOCH_NS); ++i) {
        const TimeLayout layout = TimeLayout(i);
        TimeNanos t = 0;
        const bool accepted = ParseTime(begin, end, layout, t);
        const bool detectable = layout >= TimeLayout::ISO && layout <= TimeLayout::TIME_OF_DAY;
        if (detectable && accepted != bool(layouts & (1u << i)))
            __builtin_trap();
        if (!accepted || layout == TimeLayout::TIME_OF_DAY)
            continue;
        // Epoch numbers and offsets reach a little beyond the years ParseTime reads.
        const std::string text = FormatIsoTime(t, 9);
        if (text.compare(0, 4, "1678") >= 0 && text.compare(0, 4, "2262") < 0) {
            TimeNanos again = 0;
            if (!ParseTime(text.data(), text.data() + text.size(), TimeLayout::ISO, again) ||
                again != t)
                __builtin_trap();
        }
    }
    return 0;
}
