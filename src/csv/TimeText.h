#pragma once

#include <cstdint>
#include <string>

#include "base/Time.h"

// How the time stamps of one column are written.
enum class TimeLayout : uint8_t
{
    NONE,
    ISO,         // Y-M-D: 2026-03-05, 2026-3-5, 2026/03/05, then optionally 'T' or ' ' and a clock
    DAY_FIRST,   // D/M/Y: 05/03/2026, 5.3.2026, 05-03-2026 [clock]
    MONTH_FIRST, // M/D/Y: 03/05/2026 [clock]
    MONTH_NAME,  // English month names: Jan 1 2000, March 3, 2026, 01-Mar-2026, 1 March 2026,
                 // 2026-Mar-01 [clock]
    TIME_OF_DAY, // a clock alone: 15:39:47.260, 9:05, 09:05:00 (nanoseconds since midnight)
    EPOCH_S,     // a number (integer or decimal) of seconds since 1970; _MS, _US, _NS likewise
    EPOCH_MS,
    EPOCH_US,
    EPOCH_NS,
};

// Reads the whole field [begin, end) written in `layout`; spaces around it are allowed,
// nothing else. A clock is h:mm or h:mm:ss with up to 9 fraction digits after '.' (more
// digits are cut, not rounded), hours 0-23 (24:00:00 allowed as the next midnight),
// seconds 0-60 (60 rolls into the next minute); after it an optional 'Z', 'UTC', or an
// offset +hh:mm, +hhmm, +hh, -hh:mm (the result is then UTC); an optional AM/PM
// (case-insensitive) after a clock. Dates are checked (no Feb 30). False for anything else
// (out is then untouched). TIME_OF_DAY gives nanoseconds since midnight. No allocation, no
// throw, locale-free; reads nothing outside [begin, end).
//
// In detail:
// - "Spaces" are ' ' and '\t'. Leading zeros may be missing in every date and clock field;
//   years have exactly four digits and lie in 1678..2261.
// - The date separators '-', '/' and '.' are all accepted in the numeric layouts, the same
//   one twice. 'T' (or 't') or one or more spaces separate the date from the clock.
// - AM/PM may follow the clock after optional spaces and needs hours 1-12 (12 AM is
//   midnight). Then, again after optional spaces, the zone: 'Z', "UTC" and "GMT" in any
//   case, or the offset with two-digit hours up to 23 and minutes up to 59.
// - MONTH_NAME takes full English names and three-letter abbreviations (also "Sept"), in
//   any case; the fields are separated by one '-' or '/', or by a '.', a ',' and spaces, any
//   of them but at least one, in that order ("Mar. 3, 2026", "Mar.3.2026"). An English
//   weekday may lead ("Thu, 05 Mar 2026 14:05:30 GMT") and must then be the date's.
//   A ',' may also come before the spaces ahead of the clock ("March 3, 2026, 2:05 PM").
// - TIME_OF_DAY with a zone is shifted to UTC without wrapping, so it may leave
//   [0, NANOS_PER_DAY]; 24:00 and 23:59:60 give NANOS_PER_DAY.
// - Epoch layouts: an optional sign, digits with an optional '.' and fraction (at least one
//   digit in all), no exponent; read exactly in integers, digits finer than a nanosecond
//   are cut (towards zero). False when the result does not fit TimeNanos.
bool ParseTime(const char* begin, const char* end, TimeLayout layout, TimeNanos& out);

// What a field could be, for detecting a column's layout over a sample: the bits
// (1u << unsigned(layout)) of every layout that ParseTime accepts for it, plus
// TIME_DATE_ONLY when it is a date without a clock. A numeric date whose first two
// fields are both at most 12 (03/04/2026) reports both DAY_FIRST and MONTH_FIRST;
// 13/04/2026 only DAY_FIRST. Epoch layouts are never reported (a plain number is a
// number), nor is anything for a plain number such as 2026 or 20260305.
constexpr uint32_t TIME_DATE_ONLY = 1u << 16;
uint32_t TimeLayoutsOf(const char* begin, const char* end);

// Short names for the dialog and the command line: "iso", "dmy", "mdy", "month-name",
// "time", "epoch-s", "epoch-ms", "epoch-us", "epoch-ns"; false for any other name.
// NONE is shown as "none", which is not read back.
const char* TimeLayoutName(TimeLayout layout);
bool TimeLayoutFromName(const std::string& name, TimeLayout& layout);
