#include "csv/TimeText.h"

#include <cmath>

#include <cstring>
#include <limits>

#include <date/date.h>

namespace {

constexpr int64_t POW10[10] = {1,      10,      100,      1000,      10000,
                               100000, 1000000, 10000000, 100000000, 1000000000};

// The earliest and latest years whose every instant fits TimeNanos.
constexpr int MIN_YEAR = 1678;
constexpr int MAX_YEAR = 2261;

inline bool IsDigit(char c)
{
    return unsigned(c - '0') < 10u;
}

inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

inline char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline bool IsLetter(char c)
{
    return unsigned(Lower(c) - 'a') < 26u;
}

// The unread rest of a field; every read checks `end`. A failed read may leave the
// position anywhere: callers then give up or go on from a copy.
struct Cursor
{
    const char* p;
    const char* end;

    bool AtEnd() const { return p == end; }
    bool Peek(char c) const { return p != end && *p == c; }
    bool Take(char c)
    {
        if (!Peek(c))
            return false;
        ++p;
        return true;
    }
    int SkipSpaces()
    {
        int n = 0;
        for (; p != end && IsSpace(*p); ++p)
            ++n;
        return n;
    }
    // A field of minDigits..maxDigits digits not followed by another digit.
    bool Number(int minDigits, int maxDigits, int& value)
    {
        int v = 0, n = 0;
        for (; p != end && IsDigit(*p); ++p, ++n) {
            if (n == maxDigits)
                return false;
            v = v * 10 + (*p - '0');
        }
        if (n < minDigits)
            return false;
        value = v;
        return true;
    }
    // The letters at p, without taking them: their count, 0 when none.
    int WordLength() const
    {
        const char* q = p;
        while (q != end && IsLetter(*q))
            ++q;
        return int(q - p);
    }
    // Takes the word at p when it is `lower` in any case and a whole word.
    bool TakeWord(const char* lower)
    {
        const int n = WordLength();
        if (n != int(std::strlen(lower)))
            return false;
        for (int i = 0; i < n; ++i)
            if (Lower(p[i]) != lower[i])
                return false;
        p += n;
        return true;
    }
};

// The first three letters of a word in lower case, as one number.
inline uint32_t FirstThree(const char* word)
{
    return uint32_t(uint8_t(Lower(word[0]))) | uint32_t(uint8_t(Lower(word[1]))) << 8 |
           uint32_t(uint8_t(Lower(word[2]))) << 16;
}

// Lower-case names with the FirstThree() of each, worked out once.
template <size_t N> struct NameTable
{
    const char* const (&names)[N];
    uint32_t keys[N] = {};

    constexpr explicit NameTable(const char* const (&list)[N]) : names(list)
    {
        for (size_t i = 0; i < N; ++i)
            keys[i] = uint32_t(uint8_t(list[i][0])) | uint32_t(uint8_t(list[i][1])) << 8 |
                      uint32_t(uint8_t(list[i][2])) << 16;
    }

    // Index of `word`, matched whole or by its first three letters in any case; -1 when
    // none.
    int Find(const char* word, int length) const
    {
        if (length < 3)
            return -1;
        const uint32_t key = FirstThree(word);
        for (size_t i = 0; i < N; ++i) {
            if (keys[i] != key)
                continue;
            const char* name = names[i];
            int k = 3;
            while (k < length && name[k] != 0 && Lower(word[k]) == name[k])
                ++k;
            return length == 3 || (k == length && name[k] == 0) ? int(i) : -1;
        }
        return -1;
    }
};

constexpr const char* MONTH_NAMES[12] = {"january",   "february", "march",    "april",
                                         "may",       "june",     "july",     "august",
                                         "september", "october",  "november", "december"};
constexpr const char* WEEKDAY_NAMES[7] = {"monday", "tuesday",  "wednesday", "thursday",
                                          "friday", "saturday", "sunday"};
constexpr NameTable<12> MONTHS{MONTH_NAMES};
constexpr NameTable<7> WEEKDAYS{WEEKDAY_NAMES};

// Month 1-12 of the word at the cursor, taken; 0 when it is no month (nothing taken).
int TakeMonthName(Cursor& c)
{
    const int length = c.WordLength();
    int index = MONTHS.Find(c.p, length);
    if (index < 0 && Cursor{c.p, c.p + length}.TakeWord("sept"))
        index = 8;
    if (index < 0)
        return 0;
    c.p += length;
    return index + 1;
}

// The calendar of MIN_YEAR..MAX_YEAR from date.h, worked out at compile time: a stamp then
// costs two loads instead of a chain of divisions, which is most of the time of a fixed
// ISO stamp otherwise.
struct CalendarTable
{
    // Days from 1970-01-01 to January 1, times two, plus one in leap years.
    int32_t yearStart[MAX_YEAR - MIN_YEAR + 1] = {};
    // Day of the year before each month, and the year's length last; [1] for leap years.
    int16_t monthStart[2][13] = {};

    constexpr CalendarTable()
    {
        using namespace date;
        for (int y = MIN_YEAR; y <= MAX_YEAR; ++y)
            yearStart[y - MIN_YEAR] =
                sys_days{year{y} / January / 1}.time_since_epoch().count() * 2 +
                (year{y}.is_leap() ? 1 : 0);
        for (int leap = 0; leap < 2; ++leap) {
            const year y{leap ? 2000 : 2001};
            for (unsigned m = 1; m <= 13; ++m) {
                const sys_days start =
                    m <= 12 ? sys_days{y / month{m} / 1} : sys_days{(y + years{1}) / January / 1};
                monthStart[leap][m - 1] = int16_t((start - sys_days{y / January / 1}).count());
            }
        }
    }
};

constexpr CalendarTable CALENDAR;

// Days since 1970-01-01 of a civil date in MIN_YEAR..MAX_YEAR; false when there is no
// such date.
inline bool DaysOf(int year, int month, int day, int64_t& days)
{
    if (year < MIN_YEAR || year > MAX_YEAR || unsigned(month - 1) > 11u || day < 1)
        return false;
    const int32_t start = CALENDAR.yearStart[year - MIN_YEAR];
    const int leap = start & 1;
    const int16_t* months = CALENDAR.monthStart[leap];
    if (day > months[month] - months[month - 1])
        return false;
    days = (start - leap) / 2 + months[month - 1] + day - 1;
    return true;
}

// Nanoseconds since midnight of a checked clock; 24:00:00 only exactly, and a 60th second
// simply runs on into the next minute.
inline bool ClockNanos(int hour, int minute, int second, int64_t fraction, int64_t& nanos)
{
    if (minute > 59 || second > 60)
        return false;
    if (hour > 23 && !(hour == 24 && minute == 0 && second == 0 && fraction == 0))
        return false;
    nanos = ((hour * 60 + minute) * 60 + second) * NANOS_PER_SECOND + fraction;
    return true;
}

// One or more fraction digits as nanoseconds; digits past the ninth are checked and cut.
bool ReadFraction(Cursor& c, int64_t& nanos)
{
    int64_t value = 0;
    int n = 0;
    for (; c.p != c.end && IsDigit(*c.p); ++c.p, ++n)
        if (n < 9)
            value = value * 10 + (*c.p - '0');
    if (n == 0)
        return false;
    nanos = n < 9 ? value * POW10[9 - n] : value;
    return true;
}

// 'Z', UTC, GMT or a numeric offset, after optional spaces; the offset in nanoseconds to
// subtract. Nothing is taken when no zone follows.
bool ReadZone(Cursor& c, int64_t& offset)
{
    Cursor z = c;
    z.SkipSpaces();
    offset = 0;
    if (z.TakeWord("z") || z.TakeWord("utc") || z.TakeWord("gmt")) {
        c = z;
        return true;
    }
    if (!z.Peek('+') && !z.Peek('-'))
        return true;
    const bool negative = *z.p++ == '-';
    int hours = 0, minutes = 0;
    auto twoDigits = [&z](int& value) {
        if (z.end - z.p < 2 || !IsDigit(z.p[0]) || !IsDigit(z.p[1]))
            return false;
        value = (z.p[0] - '0') * 10 + (z.p[1] - '0');
        z.p += 2;
        return true;
    };
    if (!twoDigits(hours))
        return false;
    if (z.Take(':')) {
        if (!twoDigits(minutes))
            return false;
    } else if (z.p != z.end && IsDigit(*z.p) && !twoDigits(minutes)) {
        return false;
    }
    if (hours > 23 || minutes > 59)
        return false;
    offset = (hours * 60 + minutes) * 60 * NANOS_PER_SECOND;
    if (negative)
        offset = -offset;
    c = z;
    return true;
}

// A clock with its AM/PM and zone: nanoseconds since midnight in UTC, which a zone may
// take below 0 or above a day.
bool ReadClock(Cursor& c, int64_t& nanos)
{
    int hour = 0, minute = 0, second = 0;
    int64_t fraction = 0;
    if (!c.Number(1, 2, hour))
        return false;
    if (c.Take('.')) {
        // "18.00.00": a clock written with dots, whole seconds only, so that it can't be
        // mistaken for a fraction or a date.
        if (!c.Number(2, 2, minute) || !c.Take('.') || !c.Number(2, 2, second))
            return false;
    } else if (!c.Take(':') || !c.Number(1, 2, minute)) {
        return false;
    } else if (c.Take(':')) {
        if (!c.Number(1, 2, second))
            return false;
        if (c.Take('.') && !ReadFraction(c, fraction))
            return false;
    }
    if (c.AtEnd())
        return ClockNanos(hour, minute, second, fraction, nanos);
    Cursor half = c;
    half.SkipSpaces();
    const bool am = half.TakeWord("am");
    const bool pm = !am && half.TakeWord("pm");
    if (am || pm) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (pm ? 12 : 0);
        c = half;
    }
    int64_t offset = 0;
    if (!ClockNanos(hour, minute, second, fraction, nanos) || !ReadZone(c, offset))
        return false;
    nanos -= offset;
    return true;
}

// A separator between the fields of a date with a month name: '-', '/', or any of an
// abbreviation's '.', a ',' and spaces, at least one of them.
bool ReadNamedDateSeparator(Cursor& c)
{
    if (c.Take('-') || c.Take('/'))
        return true;
    const char* start = c.p;
    c.Take('.');
    c.Take(',');
    c.SkipSpaces();
    return c.p != start;
}

// "Mar 5 2026", "March 5, 2026", "5 Mar 2026", "05-Mar-2026", "2026-Mar-05", with an
// optional weekday before ("Thu, 05 Mar 2026"), which is given as 0-6 from Monday or -1.
bool ReadNamedDate(Cursor& c, int& year, int& month, int& day, int& weekday)
{
    const int length = c.WordLength();
    weekday = WEEKDAYS.Find(c.p, length);
    if (weekday >= 0) {
        c.p += length;
        if (!ReadNamedDateSeparator(c))
            return false;
    }
    if (c.WordLength() > 0) {
        month = TakeMonthName(c);
        return month != 0 && ReadNamedDateSeparator(c) && c.Number(1, 2, day) &&
               ReadNamedDateSeparator(c) && c.Number(4, 4, year);
    }
    const char* start = c.p;
    int first = 0;
    if (!c.Number(1, 4, first))
        return false;
    const long digits = c.p - start;
    if (digits == 3 || !ReadNamedDateSeparator(c))
        return false;
    month = TakeMonthName(c);
    if (month == 0 || !ReadNamedDateSeparator(c))
        return false;
    if (digits == 4) {
        year = first;
        return c.Number(1, 2, day);
    }
    day = first;
    return c.Number(4, 4, year);
}

// A numeric date "a?b?c" with one separator of '-', '/', '.' used twice.
bool ReadNumericDate(Cursor& c, int firstDigits, int& a, int& b, int& cValue, int lastDigits)
{
    if (!c.Number(firstDigits == 4 ? 4 : 1, firstDigits, a) || c.AtEnd())
        return false;
    const char separator = *c.p;
    if (separator != '-' && separator != '/' && separator != '.')
        return false;
    ++c.p;
    return c.Number(1, 2, b) && c.Take(separator) &&
           c.Number(lastDigits == 4 ? 4 : 1, lastDigits, cValue);
}

// Floor division, as days before 1970 need.
inline int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return q - (a % b < 0 ? 1 : 0);
}

// Eight bytes from p, first byte lowest.
inline uint64_t Load8(const char* p)
{
    uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}

// The digit values of eight bytes that are digits except where `mask` has 0xFF bytes,
// which must equal those of `marks`; false otherwise. The separators come out as 0.
inline bool DigitsAndMarks(uint64_t x, uint64_t mask, uint64_t marks, uint64_t& digits)
{
    constexpr uint64_t ZEROS = 0x3030303030303030u, HIGH = 0xF0F0F0F0F0F0F0F0u;
    if ((x & mask) != marks)
        return false;
    x = (x & ~mask) | (ZEROS & mask);
    // '0'-'9' keep the high nibble 3 also after adding 6; anything else shows a different one.
    if (((x & HIGH) | (((x + 0x0606060606060606u) & HIGH) >> 4)) != 0x3333333333333333u)
        return false;
    digits = x - ZEROS;
    return true;
}

// Byte i of the result is 10 * digit i + digit i+1; no byte carries into the next.
inline uint64_t DigitPairs(uint64_t digits)
{
    return digits * 10 + (digits >> 8);
}

inline int Byte(uint64_t x, int i)
{
    return int((x >> (8 * i)) & 0xFF);
}

// Exactly "hh:mm:ss", optionally with '.' and fraction digits, in [p, e), which holds at
// least eight bytes: checked eight bytes at a time. False hands the field to the general
// reader, which also judges what is wrong. Inlined by force: the call costs a tenth of it.
__attribute__((always_inline)) inline bool ReadClockFixed(const char* p, const char* e,
                                                          int64_t& nanos)
{
    uint64_t clock = 0;
    if (!DigitsAndMarks(Load8(p), 0x0000FF0000FF0000u, 0x00003A00003A0000u, clock))
        return false;
    int64_t fraction = 0;
    if (e - p > 8) {
        const char* q = p + 9;
        const long count = e - q;
        if (p[8] != '.' || count < 1)
            return false;
        const long used = count < 9 ? count : 9;
        for (long i = 0; i < used; ++i) {
            const unsigned digit = unsigned(q[i] - '0');
            if (digit > 9)
                return false;
            fraction = fraction * 10 + digit;
        }
        for (long i = used; i < count; ++i)
            if (!IsDigit(q[i]))
                return false;
        fraction *= POW10[9 - used];
    }
    clock = DigitPairs(clock);
    return ClockNanos(Byte(clock, 0), Byte(clock, 3), Byte(clock, 6), fraction, nanos);
}

// The whole trimmed field in one of the calendar or clock layouts; `hasClock` tells
// whether a date came with a clock.
bool ReadCalendar(const char* begin, const char* end, TimeLayout layout, TimeNanos& out,
                  bool& hasClock)
{
    Cursor c{begin, end};
    if (layout == TimeLayout::TIME_OF_DAY) {
        int64_t nanos = 0;
        if (!ReadClock(c, nanos) || !c.AtEnd())
            return false;
        hasClock = true;
        out = nanos;
        return true;
    }
    int year = 0, month = 0, day = 0, weekday = -1;
    bool ok = false;
    switch (layout) {
    case TimeLayout::ISO:
        ok = ReadNumericDate(c, 4, year, month, day, 2);
        break;
    case TimeLayout::DAY_FIRST:
        ok = ReadNumericDate(c, 2, day, month, year, 4);
        break;
    case TimeLayout::MONTH_FIRST:
        ok = ReadNumericDate(c, 2, month, day, year, 4);
        break;
    case TimeLayout::MONTH_NAME:
        ok = ReadNamedDate(c, year, month, day, weekday);
        break;
    default:
        break;
    }
    int64_t days = 0;
    if (!ok || !DaysOf(year, month, day, days))
        return false;
    if (weekday >= 0 && weekday != int(days + 3 - FloorDiv(days + 3, 7) * 7))
        return false; // 1970-01-01 was a Thursday
    int64_t nanos = 0;
    hasClock = !c.AtEnd();
    if (hasClock) {
        if (!c.Take('T') && !c.Take('t')) {
            if (layout == TimeLayout::MONTH_NAME)
                c.Take(',');
            if (c.SkipSpaces() == 0)
                return false;
        }
        const bool fixed = c.end - c.p >= 8 && ReadClockFixed(c.p, c.end, nanos);
        if (!fixed && (!ReadClock(c, nanos) || !c.AtEnd()))
            return false;
    }
    out = days * NANOS_PER_DAY + nanos;
    return true;
}

// Seconds (scaleDigits 9), milliseconds (6), microseconds (3) or nanoseconds (0) since
// 1970 as exact integers: the integer digits scaled, plus the first scaleDigits fraction
// digits.
bool ReadEpoch(const char* begin, const char* end, int scaleDigits, TimeNanos& out)
{
    Cursor c{begin, end};
    const bool negative = c.Peek('-');
    if (negative || c.Peek('+'))
        ++c.p;
    uint64_t whole = 0;
    int wholeDigits = 0;
    for (; c.p != c.end && IsDigit(*c.p); ++c.p, ++wholeDigits)
        if (__builtin_mul_overflow(whole, 10u, &whole) ||
            __builtin_add_overflow(whole, unsigned(*c.p - '0'), &whole))
            return false;
    uint64_t fraction = 0;
    int fractionDigits = 0;
    if (c.Take('.'))
        for (; c.p != c.end && IsDigit(*c.p); ++c.p, ++fractionDigits)
            if (fractionDigits < scaleDigits)
                fraction = fraction * 10 + unsigned(*c.p - '0');
    if (wholeDigits + fractionDigits == 0 || !c.AtEnd())
        return false;
    if (fractionDigits < scaleDigits)
        fraction *= uint64_t(POW10[scaleDigits - fractionDigits]);
    uint64_t magnitude = 0;
    if (__builtin_mul_overflow(whole, uint64_t(POW10[scaleDigits]), &magnitude) ||
        __builtin_add_overflow(magnitude, fraction, &magnitude))
        return false;
    const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return false;
    out = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

// "YYYY-MM-DD?hh:mm:ss[.f...][Z]" with '-' and 'T' or ' ', as most programs and
// FormatIsoTime write it, read like ReadClockFixed and likewise inlined by force.
__attribute__((always_inline)) inline bool ReadIsoFixed(const char* p, const char* e,
                                                        TimeNanos& out)
{
    if (e - p > 19 && e[-1] == 'Z')
        --e;
    if (e - p < 19 || (p[10] != 'T' && p[10] != ' '))
        return false;
    uint64_t date = 0; // "YYYY-MM-", then "DD"
    const unsigned day0 = unsigned(p[8] - '0'), day1 = unsigned(p[9] - '0');
    if (!DigitsAndMarks(Load8(p), 0xFF0000FF00000000u, 0x2D00002D00000000u, date) ||
        (day0 > 9) | (day1 > 9))
        return false;
    date = DigitPairs(date);
    int64_t days = 0, nanos = 0;
    if (!DaysOf(Byte(date, 0) * 100 + Byte(date, 2), Byte(date, 5), int(day0 * 10 + day1), days) ||
        !ReadClockFixed(p + 11, e, nanos))
        return false;
    out = days * NANOS_PER_DAY + nanos;
    return true;
}

inline void Trim(const char*& begin, const char*& end)
{
    while (begin != end && IsSpace(*begin))
        ++begin;
    while (end != begin && IsSpace(end[-1]))
        --end;
}

// ParseTime for all but the fixed stamps without spaces around, out of line so that those
// pay for none of it.
__attribute__((noinline)) bool ParseTrimmed(const char* begin, const char* end, TimeLayout layout,
                                            TimeNanos& out)
{
    Trim(begin, end);
    bool hasClock = false;
    switch (layout) {
    case TimeLayout::ISO:
        return ReadIsoFixed(begin, end, out) || ReadCalendar(begin, end, layout, out, hasClock);
    case TimeLayout::TIME_OF_DAY:
        return (end - begin >= 8 && ReadClockFixed(begin, end, out)) ||
               ReadCalendar(begin, end, layout, out, hasClock);
    case TimeLayout::DAY_FIRST:
    case TimeLayout::MONTH_FIRST:
    case TimeLayout::MONTH_NAME:
        return ReadCalendar(begin, end, layout, out, hasClock);
    case TimeLayout::EPOCH_S:
        return ReadEpoch(begin, end, 9, out);
    case TimeLayout::EPOCH_MS:
        return ReadEpoch(begin, end, 6, out);
    case TimeLayout::EPOCH_US:
        return ReadEpoch(begin, end, 3, out);
    case TimeLayout::EPOCH_NS:
        return ReadEpoch(begin, end, 0, out);
    case TimeLayout::NONE:
        break;
    }
    return false;
}

} // namespace

bool ParseTime(const char* begin, const char* end, TimeLayout layout, TimeNanos& out)
{
    if (layout == TimeLayout::ISO && ReadIsoFixed(begin, end, out))
        return true;
    if (layout == TimeLayout::TIME_OF_DAY && end - begin >= 8 && ReadClockFixed(begin, end, out))
        return true;
    return ParseTrimmed(begin, end, layout, out);
}

uint32_t TimeLayoutsOf(const char* begin, const char* end)
{
    Trim(begin, end);
    uint32_t layouts = 0;
    for (TimeLayout layout : {TimeLayout::ISO, TimeLayout::DAY_FIRST, TimeLayout::MONTH_FIRST,
                              TimeLayout::MONTH_NAME, TimeLayout::TIME_OF_DAY}) {
        TimeNanos t = 0;
        bool hasClock = false;
        if (!ReadCalendar(begin, end, layout, t, hasClock))
            continue;
        layouts |= 1u << unsigned(layout);
        if (!hasClock)
            layouts |= TIME_DATE_ONLY;
    }
    return layouts;
}

namespace {

const char* const LAYOUT_NAMES[] = {"none", "iso",     "dmy",      "mdy",      "month-name",
                                    "time", "epoch-s", "epoch-ms", "epoch-us", "epoch-ns"};
constexpr unsigned LAYOUT_COUNT = sizeof LAYOUT_NAMES / sizeof LAYOUT_NAMES[0];
static_assert(LAYOUT_COUNT == unsigned(TimeLayout::EPOCH_NS) + 1, "a name for each layout");

} // namespace

const char* TimeLayoutName(TimeLayout layout)
{
    return unsigned(layout) < LAYOUT_COUNT ? LAYOUT_NAMES[unsigned(layout)] : "none";
}

bool TimeLayoutFromName(const std::string& name, TimeLayout& layout)
{
    for (unsigned i = 1; i < LAYOUT_COUNT; ++i)
        if (name == LAYOUT_NAMES[i]) {
            layout = TimeLayout(i);
            return true;
        }
    return false;
}
