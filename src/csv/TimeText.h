#pragma once
// TEMPORARY STUB until the time-text branch lands.
#include <cstdint>
#include <string>
using TimeNanos = int64_t;
constexpr int64_t NANOS_PER_SECOND = 1000000000;
constexpr int64_t NANOS_PER_DAY = 86400 * NANOS_PER_SECOND;
enum class TimeLayout : uint8_t
{
    NONE,
    ISO,
    DAY_FIRST,
    MONTH_FIRST,
    MONTH_NAME,
    TIME_OF_DAY,
    EPOCH_S,
    EPOCH_MS,
    EPOCH_US,
    EPOCH_NS,
};
bool ParseTime(const char* begin, const char* end, TimeLayout layout, TimeNanos& out);
constexpr uint32_t TIME_DATE_ONLY = 1u << 16;
uint32_t TimeLayoutsOf(const char* begin, const char* end);
std::string FormatIsoTime(TimeNanos t, int fractionDigits);
int FractionDigitsOf(TimeNanos t);
const char* TimeLayoutName(TimeLayout layout);
bool TimeLayoutFromName(const std::string& name, TimeLayout& layout);
