#include "csv/Dialect.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <unistd.h>
#include <wx/intl.h>

#include "base/FileUtil.h"
#include "csv/CSVConverter.h"
#include "csv/NumberParser.h"

namespace {

constexpr size_t HEAD_BYTES = size_t(256) << 10;
constexpr size_t MAX_HEAD_BYTES = size_t(64) << 20; // a first line may be that long
constexpr int SPREAD_CHUNKS = 10;
constexpr size_t CHUNK_BYTES = size_t(32) << 10;
// At most this many head lines (and a quarter of a short head) are left out of the first
// guess of the column types, where titles and header lines would outvote the data.
constexpr size_t HEAD_LINES_SKIPPED = 10;

std::string ReadAt(int fd, int64_t offset, size_t bytes)
{
    std::string text(bytes, '\0');
    text.resize(ReadFully(fd, &text[0], bytes, offset));
    return text;
}

size_t CountOf(const std::string& text, char c)
{
    return size_t(std::count(text.begin(), text.end(), c));
}

// A record cut into fields; the fields point into the record.
struct Row
{
    std::vector<Field> fields;
    bool blank = false;
};

std::vector<Row> SplitRows(const std::vector<std::string>& records, char separator, char quote)
{
    std::vector<Row> rows(records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        const std::string& record = records[r];
        const char* begin = record.data();
        const char* end = begin + record.size();
        rows[r].blank = std::all_of(begin, end, IsBlank);
        if (!rows[r].blank)
            ForEachField(begin, end, separator, quote,
                         [&](const Field& field) { rows[r].fields.push_back(field); });
    }
    return rows;
}

bool IsTimeLike(const Field& field)
{
    return (TimeLayoutsOf(field.begin, field.end) & ~TIME_DATE_ONLY) != 0;
}

// The separator that cuts most of the head's last lines into the same number (two or
// more) of fields, most of them values; ties go to the earlier of , ; tab space.
char PickSeparator(const std::vector<std::string>& records, char quote)
{
    const size_t from = records.size() > 100 ? records.size() - 100 : 0;
    const std::vector<std::string> tail(records.begin() + long(from), records.end());
    char best = ',';
    double bestScore = 0.0;
    for (char separator : {',', ';', '\t', ' '}) {
        const std::vector<Row> rows = SplitRows(tail, separator, quote);
        std::vector<size_t> counts;
        for (const Row& row : rows) {
            if (!row.blank)
                counts.push_back(row.fields.size());
        }
        if (counts.empty())
            continue;
        std::sort(counts.begin(), counts.end());
        size_t modal = 0, modalRun = 0;
        for (size_t i = 0; i < counts.size();) {
            size_t j = i;
            while (j < counts.size() && counts[j] == counts[i])
                ++j;
            if (j - i >= modalRun) {
                modalRun = j - i;
                modal = counts[i];
            }
            i = j;
        }
        if (modal < 2)
            continue;
        size_t values = 0, fields = 0;
        for (const Row& row : rows) {
            if (row.fields.size() != modal)
                continue;
            for (const Field& field : row.fields) {
                double v;
                ++fields;
                if (IsMissingToken(field.begin, field.end) ||
                    ParseNumberField(field.begin, field.end, '.', v) ||
                    ParseNumberField(field.begin, field.end, ',', v) || IsTimeLike(field))
                    ++values;
            }
        }
        const double score = double(modalRun) * (0.5 + double(values) / double(fields));
        if (score > bestScore) {
            bestScore = score;
            best = separator;
        }
    }
    return best;
}

// Digits, one mark, digits, perhaps an exponent: the shape of a number with that decimal
// mark.
bool HasDecimalShape(const Field& field, char mark)
{
    const char* p = field.begin;
    const char* end = field.end;
    TrimBlanks(p, end);
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    const char* digits = p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    if (p == digits || p == end || *p != mark)
        return false;
    const char* fraction = ++p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    if (p == fraction)
        return false;
    if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
        ++p;
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        const char* exponent = p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
        if (p == exponent)
            return false;
    }
    return p == end;
}

// ',' when more values are written with a decimal comma than with a point. With a
// comma separator only quoted values can have one.
char PickDecimal(const std::vector<const Row*>& rows, char separator)
{
    size_t commas = 0, points = 0;
    for (const Row* row : rows) {
        for (const Field& field : row->fields) {
            if (separator == ',' && !field.quoted)
                continue;
            commas += HasDecimalShape(field, ',');
            points += HasDecimalShape(field, '.');
        }
    }
    return commas > points ? ',' : '.';
}

struct ColumnVotes
{
    size_t numbers = 0, times = 0, text = 0, dateOnly = 0;
    std::array<size_t, 16> layouts{};
};

constexpr TimeLayout LAYOUT_PRIORITY[] = {TimeLayout::ISO, TimeLayout::MONTH_NAME,
                                          TimeLayout::DAY_FIRST, TimeLayout::MONTH_FIRST,
                                          TimeLayout::TIME_OF_DAY};

TimeLayout MostVotedLayout(const ColumnVotes& votes)
{
    TimeLayout best = TimeLayout::NONE;
    size_t most = 0;
    for (TimeLayout layout : LAYOUT_PRIORITY) {
        if (votes.layouts[size_t(layout)] > most) {
            most = votes.layouts[size_t(layout)];
            best = layout;
        }
    }
    return best;
}

const ColumnRequest* Requested(const DialectRequest& request, int column)
{
    for (const ColumnRequest& entry : request.columns) {
        if (entry.column == column)
            return &entry;
    }
    return nullptr;
}

// One type per column by majority over the rows: time where time stamps outnumber
// numbers, number where numbers are at least half of the cells with something in them,
// else text (also a column with nothing in it, such as after a trailing separator).
std::vector<ColumnFormat> ClassifyColumns(const std::vector<const Row*>& rows, int columnCount,
                                          char decimal, const DialectRequest& request,
                                          std::vector<bool>& dateOnly)
{
    std::vector<ColumnVotes> votes(static_cast<size_t>(columnCount));
    for (const Row* row : rows) {
        for (size_t c = 0; c < row->fields.size() && c < votes.size(); ++c) {
            const Field& field = row->fields[c];
            ColumnVotes& v = votes[c];
            double number;
            if (IsMissingToken(field.begin, field.end))
                continue;
            if (ParseNumberField(field.begin, field.end, decimal, number)) {
                ++v.numbers;
                continue;
            }
            const uint32_t layouts = TimeLayoutsOf(field.begin, field.end);
            if ((layouts & ~TIME_DATE_ONLY) == 0) {
                ++v.text;
                continue;
            }
            ++v.times;
            v.dateOnly += (layouts & TIME_DATE_ONLY) != 0;
            for (size_t bit = 0; bit < v.layouts.size(); ++bit)
                v.layouts[bit] += (layouts >> bit) & 1u;
        }
    }
    std::vector<ColumnFormat> formats(static_cast<size_t>(columnCount));
    dateOnly.assign(size_t(columnCount), false);
    for (size_t c = 0; c < formats.size(); ++c) {
        const ColumnVotes& v = votes[c];
        const size_t present = v.numbers + v.times + v.text;
        ColumnFormat& format = formats[c];
        if (const ColumnRequest* requested = Requested(request, int(c))) {
            format.kind = requested->kind;
            if (format.kind == ColumnKind::TIME)
                format.layout = requested->layout != TimeLayout::NONE ? requested->layout
                                : v.times > 0                         ? MostVotedLayout(v)
                                                                      : TimeLayout::EPOCH_S;
        } else if (present > 0 && v.times > v.numbers && 2 * v.times >= present) {
            format.kind = ColumnKind::TIME;
            format.layout = MostVotedLayout(v);
        } else if (v.numbers > 0 && 2 * v.numbers >= present) {
            format.kind = ColumnKind::NUMBER;
        } else {
            format.kind = ColumnKind::TEXT;
        }
        dateOnly[c] = format.kind == ColumnKind::TIME && v.times > 0 && v.dateOnly == v.times;
    }
    return formats;
}

// Whether the cell holds a value of the column's type.
bool CellMatches(const Field& field, const ColumnFormat& format, char decimal)
{
    double number;
    TimeNanos time;
    switch (format.kind) {
    case ColumnKind::NUMBER:
        return ParseNumberField(field.begin, field.end, decimal, number);
    case ColumnKind::TIME:
        return ParseTime(field.begin, field.end, format.layout, time);
    case ColumnKind::TEXT:
        break;
    }
    return false;
}

// The first head row whose number and time cells mostly hold values of their column's
// type: the rows before it are header lines.
size_t FindDataStart(const std::vector<Row>& head, const std::vector<ColumnFormat>& formats,
                     char decimal)
{
    for (size_t r = 0; r < head.size(); ++r) {
        const Row& row = head[r];
        if (row.blank)
            continue;
        size_t matches = 0, filled = 0;
        for (size_t c = 0; c < row.fields.size() && c < formats.size(); ++c) {
            if (formats[c].kind == ColumnKind::TEXT)
                continue;
            const Field& field = row.fields[c];
            if (IsMissingToken(field.begin, field.end))
                continue;
            ++filled;
            matches += CellMatches(field, formats[c], decimal);
        }
        if (matches > 0 && 2 * matches >= filled)
            return r;
    }
    return head.size();
}

// The column's value in seconds from its origin, or false.
bool CellValue(const Field& field, const ColumnFormat& format, char decimal, double& value)
{
    return ReadCellValue(field.begin, field.end, format.kind, format.layout, format.origin, decimal,
                         value);
}

TimeNanos FloorToDay(TimeNanos t)
{
    const TimeNanos day = t / NANOS_PER_DAY - (t % NANOS_PER_DAY < 0 ? 1 : 0);
    return day * NANOS_PER_DAY;
}

// The first time of each time column: its values are seconds from it, small numbers near
// the data, so that a step of a millisecond stays exact over millions of points.
void SetTimeOrigins(const std::vector<const Row*>& body, CSVDialect& dialect)
{
    for (size_t c = 0; c < dialect.columns.size(); ++c) {
        ColumnFormat& format = dialect.columns[c];
        if (format.kind != ColumnKind::TIME)
            continue;
        for (const Row* row : body) {
            TimeNanos time;
            if (c < row->fields.size() &&
                ParseTime(row->fields[c].begin, row->fields[c].end, format.layout, time)) {
                format.origin = time;
                break;
            }
        }
    }
}

// A date column followed by a time-of-day column is one time stamp.
void JoinDateAndClockColumns(CSVDialect& dialect, const std::vector<bool>& dateOnly)
{
    for (size_t c = 0; c + 1 < dialect.columns.size(); ++c) {
        ColumnFormat& date = dialect.columns[c];
        ColumnFormat& clock = dialect.columns[c + 1];
        if (date.kind == ColumnKind::TIME && dateOnly[c] && clock.kind == ColumnKind::TIME &&
            clock.layout == TimeLayout::TIME_OF_DAY && clock.joinedTo < 0) {
            date.clockColumn = int32_t(c + 1);
            clock.joinedTo = int32_t(c);
            clock.origin = 0; // seconds since midnight, added to the date
            date.origin = FloorToDay(date.origin);
        }
    }
}

// Most neighbours of an X column differ: a year repeated for each month is no X.
constexpr double MIN_RISING_SHARE = 0.9;

// The text of a split column's cell, as the conversion compares it: blanks around it
// trimmed, quotes removed.
std::string KeyText(const Field& field)
{
    const char* begin = field.begin;
    const char* end = field.end;
    TrimBlanks(begin, end);
    return std::string(begin, end);
}

// Whether column c can be the X of the series: over the sample in file order never down
// (a time of day may wrap past midnight), rising between most neighbours, and never a gap
// (which an X column can't have). With a `key` column, within the rows of each of its
// values (rows without one left out), which land in `keys`.
bool IsUsableX(const std::vector<const Row*>& body, const CSVDialect& dialect, int c, int key = -1,
               std::vector<std::string>* keys = nullptr)
{
    const ColumnFormat format = dialect.Column(c);
    if (format.kind == ColumnKind::TEXT || format.joinedTo >= 0 || c == key)
        return false;
    const ColumnFormat clock = dialect.Column(format.clockColumn);
    const bool wraps = format.layout == TimeLayout::TIME_OF_DAY;
    size_t pairs = 0, rising = 0;
    std::vector<std::string> seen;
    std::vector<double> lastOf(1, std::nan(""));
    for (const Row* row : body) {
        double value;
        if (row->blank)
            continue;
        if (size_t(c) >= row->fields.size() ||
            !CellValue(row->fields[size_t(c)], format, dialect.decimal, value))
            return false;
        double seconds;
        if (format.clockColumn >= 0 && size_t(format.clockColumn) < row->fields.size() &&
            CellValue(row->fields[size_t(format.clockColumn)], clock, dialect.decimal, seconds))
            value += seconds;
        size_t group = 0;
        if (key >= 0) {
            if (size_t(key) >= row->fields.size())
                return false;
            const std::string text = KeyText(row->fields[size_t(key)]);
            if (text.empty())
                continue; // a gap: the row belongs to no recording
            group = size_t(std::find(seen.begin(), seen.end(), text) - seen.begin());
            if (group == seen.size()) {
                seen.push_back(text);
                lastOf.resize(seen.size(), std::nan(""));
            }
        }
        double& last = lastOf[group];
        if (!std::isnan(last)) {
            if (value < last && !(wraps && last - value > 43200.0))
                return false;
            ++pairs;
            rising += value != last;
        }
        last = value;
    }
    if (keys)
        *keys = std::move(seen);
    return pairs > 0 && double(rising) >= MIN_RISING_SHARE * double(pairs);
}

// The X of the default series: the first time column that can be one (wherever it is),
// else the first column when it is a number column that can be one; -1 for none. With a
// `key` column, an X within each of its values.
int ChooseXColumn(const std::vector<const Row*>& body, const CSVDialect& dialect, int key = -1,
                  std::vector<std::string>* keys = nullptr)
{
    for (size_t c = 0; c < dialect.columns.size(); ++c) {
        if (dialect.columns[c].kind == ColumnKind::TIME &&
            IsUsableX(body, dialect, int(c), key, keys))
            return int(c);
    }
    return dialect.Column(0).kind == ColumnKind::NUMBER && IsUsableX(body, dialect, 0, key, keys)
               ? 0
               : -1;
}

// More values than this in the sample make a column no split: each would be a series.
constexpr size_t MAX_SPLIT_KEYS = 64;

// A long-format table: recordings stacked with a text key, X starting over at each. The
// `forced` column (-1: the first text column that works) splits the rows when an X rises
// within each of its values and there are a few values, each on some rows. Sets the
// guess's split, its keys and the X within them.
void ChooseSplit(const std::vector<const Row*>& body, const CSVDialect& dialect, int forced,
                 DialectGuess& guess)
{
    const size_t rows =
        size_t(std::count_if(body.begin(), body.end(), [](const Row* row) { return !row->blank; }));
    for (size_t c = 0; c < dialect.columns.size(); ++c) {
        if (forced >= 0 ? int(c) != forced : dialect.columns[c].kind != ColumnKind::TEXT)
            continue;
        std::vector<std::string> keys;
        const int x = ChooseXColumn(body, dialect, int(c), &keys);
        if (forced < 0 &&
            (x < 0 || keys.size() < 2 || keys.size() > MAX_SPLIT_KEYS || 2 * keys.size() > rows))
            continue;
        guess.splitColumn = int(c);
        guess.xColumn = x;
        if (x < 0) {
            // Forced without an X: each recording counts its points.
            for (const Row* row : body) {
                if (!row->blank && c < row->fields.size()) {
                    const std::string text = KeyText(row->fields[c]);
                    if (!text.empty() && std::find(keys.begin(), keys.end(), text) == keys.end())
                        keys.push_back(text);
                }
            }
        }
        for (const std::string& text : keys)
            guess.splitKeys.push_back(NarrowToWide(text.data(), text.size()));
        return;
    }
    // A column past the file's: the option's check names it.
    if (forced >= 0)
        guess.splitColumn = forced;
}

// The names of the header line nearest the data that has a name per column (or one fewer:
// a table written with row names leaves the first column unnamed), or of the line above
// it when that one has as many (a line of units follows the names), else of the widest; a
// comment mark before them is not a name.
std::vector<wxString> HeaderNames(const std::vector<Row>& head, size_t headerLines, int columnCount,
                                  char quote)
{
    auto commentMark = [](const Row& row) {
        return !row.fields.empty() && FieldLabel(row.fields[0], 0) == "#";
    };
    auto width = [&](const Row& row) {
        return int(row.fields.size()) - (commentMark(row) ? 1 : 0);
    };
    const Row* chosen = nullptr;
    for (size_t r = headerLines; r-- > 0;) {
        const Row& row = head[r];
        if (!row.blank && (width(row) == columnCount || width(row) == columnCount - 1)) {
            chosen = &row;
            // Names above a line of units: two such lines, neither a comment.
            if (r > 0 && width(head[r - 1]) == width(row) && !commentMark(row) &&
                !commentMark(head[r - 1]) && !FieldLabel(row.fields[0], 0).StartsWith("#"))
                chosen = &head[r - 1];
            break;
        }
    }
    for (size_t r = 0; r < headerLines && !chosen; ++r) {
        if (!head[r].blank && width(head[r]) > 0 && (!chosen || width(head[r]) >= width(*chosen)))
            chosen = &head[r];
    }
    std::vector<wxString> names;
    if (!chosen)
        return names;
    if (columnCount > 1 && width(*chosen) == columnCount - 1)
        names.emplace_back(); // the row names' column
    for (size_t f = commentMark(*chosen) ? 1 : 0; f < chosen->fields.size(); ++f) {
        wxString name = FieldLabel(chosen->fields[f], quote);
        if (f == 0 && name.StartsWith("#"))
            name = name.Mid(1).Strip(wxString::both);
        names.push_back(name);
    }
    return names;
}

} // namespace

void DialectRequest::SetColumn(const ColumnRequest& request)
{
    columns.erase(
        std::remove_if(columns.begin(), columns.end(),
                       [&](const ColumnRequest& r) { return r.column == request.column; }),
        columns.end());
    columns.push_back(request);
}

// Fields up to the last one with something in it.
int FilledFields(const char* begin, const char* end, char separator)
{
    int count = 0, filled = 0;
    ForEachField(begin, end, separator == '\t' ? ' ' : separator, 0, [&](const Field& field) {
        ++count;
        if (!std::all_of(field.begin, field.end, IsBlank))
            filled = count;
    });
    return filled;
}

FileSample ReadFileSample(int fd, int64_t fileSize)
{
    FileSample sample;
    sample.headOffset = StartsWithByteOrderMark(fd) ? 3 : 0;
    size_t want = HEAD_BYTES;
    for (;;) {
        sample.head = ReadAt(fd, sample.headOffset, want);
        sample.headIsWholeFile = sample.head.size() < want;
        if (sample.headIsWholeFile || want >= MAX_HEAD_BYTES ||
            std::max(CountOf(sample.head, '\n'), CountOf(sample.head, '\r')) >= 2)
            break;
        want *= 4;
    }
    sample.carriageReturnsOnly =
        sample.head.find('\n') == std::string::npos && sample.head.find('\r') != std::string::npos;
    const char terminator = sample.carriageReturnsOnly ? '\r' : '\n';
    const int64_t headEnd = sample.headOffset + int64_t(sample.head.size());
    for (int k = 1; !sample.headIsWholeFile && k <= SPREAD_CHUNKS; ++k) {
        const int64_t offset = fileSize / (SPREAD_CHUNKS + 1) * k;
        if (offset < headEnd)
            continue;
        const std::string text = ReadAt(fd, offset, CHUNK_BYTES);
        const size_t first = text.find(terminator);
        const size_t last = text.rfind(terminator);
        if (first == std::string::npos || last <= first)
            continue;
        sample.spread.push_back(
            FileSample::Chunk{offset + int64_t(first) + 1, text.substr(first + 1, last - first)});
    }
    return sample;
}

std::vector<std::string> SplitRecords(const std::string& chunk, LineFormat format, bool keepPartial)
{
    std::vector<std::string> records;
    bool inQuote = false;
    size_t start = 0;
    for (size_t i = 0; i < chunk.size(); ++i) {
        const char c = chunk[i];
        if (format.quote && c == format.quote)
            inQuote = !inQuote;
        else if (c == format.terminator && !inQuote) {
            size_t end = i;
            if (format.terminator == '\n' && end > start && chunk[end - 1] == '\r')
                --end;
            records.push_back(chunk.substr(start, end - start));
            start = i + 1;
        }
    }
    if (keepPartial && start < chunk.size())
        records.push_back(chunk.substr(start));
    return records;
}

wxString FieldLabel(const Field& field, char quote)
{
    const char* begin = field.begin;
    const char* end = field.end;
    TrimBlanks(begin, end);
    std::string text(begin, end);
    if (field.quoted && quote) {
        const std::string twice(2, quote);
        for (size_t at = text.find(twice); at != std::string::npos; at = text.find(twice, at + 1))
            text.erase(at, 1);
    }
    return NarrowToWide(text.data(), text.size());
}

namespace {

// "3,507.00", "1.234,5", "-0.40%": digits grouped in thousands by the mark that is not the
// decimal mark, or a per cent sign after the number, as spreadsheets export them. Only
// these spellings: anything else the plain number rules refuse stays refused.
bool ParseGroupedNumber(const char* begin, const char* end, char decimal, double& value)
{
    const bool percent = end > begin && end[-1] == '%';
    if (percent) {
        --end;
        while (end > begin && IsBlank(end[-1]))
            --end;
    }
    const char group = decimal == '.' ? ',' : '.';
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    char buffer[64];
    size_t n = 0;
    const char* p = begin;
    if (p < end && (*p == '-' || *p == '+'))
        buffer[n++] = *p++;
    const char* digits = p;
    while (p < end && isDigit(*p) && n < 40)
        buffer[n++] = *p++;
    bool grouped = false;
    if (p < end && *p == group && p - digits >= 1 && p - digits <= 3) {
        while (end - p >= 4 && *p == group && isDigit(p[1]) && isDigit(p[2]) && isDigit(p[3]) &&
               n < 40) {
            buffer[n++] = p[1];
            buffer[n++] = p[2];
            buffer[n++] = p[3];
            p += 4;
            grouped = true;
        }
    }
    if (p < end && *p == decimal) {
        buffer[n++] = '.';
        ++p;
        while (p < end && isDigit(*p) && n < 60)
            buffer[n++] = *p++;
    }
    if (p != end || p == digits || !(grouped || percent))
        return false;
    double parsed;
    if (ParseNumber(buffer, buffer + n, parsed) != buffer + n)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool ParseNumberField(const char* begin, const char* end, char decimal, double& value)
{
    TrimBlanks(begin, end);
    if (begin == end)
        return false;
    double parsed;
    if (decimal == '.') {
        if (ParseNumber(begin, end, parsed) == end) {
            value = parsed;
            return true;
        }
        return ParseGroupedNumber(begin, end, decimal, value);
    }
    // A decimal comma: the number is read as written with a point.
    char buffer[64];
    const size_t length = size_t(end - begin);
    if (length <= sizeof buffer && !std::memchr(begin, '.', length)) {
        std::memcpy(buffer, begin, length);
        if (char* comma = static_cast<char*>(std::memchr(buffer, ',', length)))
            *comma = '.';
        if (ParseNumber(buffer, buffer + length, parsed) == buffer + length) {
            value = parsed;
            return true;
        }
    }
    return ParseGroupedNumber(begin, end, decimal, value);
}

bool IsMissingToken(const char* begin, const char* end)
{
    TrimBlanks(begin, end);
    const std::string token(begin, end);
    for (const char* missing : {"", "nan", "NaN", "NAN", "NA", "N/A", "n/a", "null", "NULL", "-"}) {
        if (token == missing)
            return true;
    }
    return false;
}

DialectGuess DetectDialect(const FileSample& sample, const DialectRequest& request)
{
    DialectGuess guess;
    CSVDialect& dialect = guess.dialect;
    dialect.detected = true;
    dialect.terminator = sample.carriageReturnsOnly ? '\r' : '\n';
    dialect.quote = sample.head.find('"') != std::string::npos ? '"' : 0;
    const LineFormat format{dialect.terminator, dialect.quote};

    const std::vector<std::string> headRecords =
        SplitRecords(sample.head, format, sample.headIsWholeFile);
    std::vector<std::string> spreadRecords;
    for (const FileSample::Chunk& chunk : sample.spread) {
        for (std::string& record : SplitRecords(chunk.text, format, true))
            spreadRecords.push_back(std::move(record));
    }
    dialect.separator =
        request.separator ? request.separator : PickSeparator(headRecords, dialect.quote);

    const std::vector<Row> head = SplitRows(headRecords, dialect.separator, dialect.quote);
    const std::vector<Row> spread = SplitRows(spreadRecords, dialect.separator, dialect.quote);
    auto bodyFrom = [&](size_t first) {
        std::vector<const Row*> body;
        for (size_t r = first; r < head.size(); ++r)
            body.push_back(&head[r]);
        for (const Row& row : spread)
            body.push_back(&row);
        return body;
    };
    auto widest = [](const std::vector<const Row*>& rows) {
        size_t columns = 0;
        for (const Row* row : rows)
            columns = std::max(columns, row->fields.size());
        return int(std::min<size_t>(columns, INT32_MAX));
    };

    dialect.decimal =
        request.decimal ? request.decimal : PickDecimal(bodyFrom(0), dialect.separator);
    std::vector<const Row*> body = bodyFrom(std::min(HEAD_LINES_SKIPPED, head.size() / 4));
    std::vector<bool> dateOnly;
    std::vector<ColumnFormat> formats =
        ClassifyColumns(body, widest(body), dialect.decimal, request, dateOnly);

    const size_t dataStart = FindDataStart(head, formats, dialect.decimal);
    body = bodyFrom(dataStart);
    guess.columnCount = widest(body);
    dialect.columns = ClassifyColumns(body, guess.columnCount, dialect.decimal, request, dateOnly);
    guess.headerLines = int(dataStart);
    guess.names = HeaderNames(head, dataStart, guess.columnCount, dialect.quote);

    SetTimeOrigins(body, dialect);
    JoinDateAndClockColumns(dialect, dateOnly);
    guess.xColumn = ChooseXColumn(body, dialect);
    if (request.split >= 0 || (request.split == DialectRequest::SPLIT_DETECT && guess.xColumn < 0))
        ChooseSplit(body, dialect, request.split >= 0 ? request.split : -1, guess);
    for (const ColumnFormat& column : dialect.columns)
        guess.typedColumns += column.kind != ColumnKind::TEXT;
    return guess;
}

namespace {

// A header line of the plain reading that is really a row of values with a gap or two in
// it ("1880,-0.18,***"): most of its fields are numbers.
bool LooksLikeValues(const char* begin, const char* end, char separator)
{
    int fields = 0, numbers = 0;
    ForEachField(begin, end, separator == '\t' ? ' ' : separator, 0, [&](const Field& field) {
        double value;
        ++fields;
        numbers += ParseNumberField(field.begin, field.end, '.', value);
    });
    return fields >= 2 && 2 * numbers >= fields;
}

} // namespace

bool PlainReadingHolds(const FileSample& sample, char separator, int64_t dataStart,
                       bool& firstColumnNoX, int& filledColumns)
{
    firstColumnNoX = false;
    filledColumns = 0;
    bool any = false, sawData = false, decreases = false;
    size_t pairs = 0, rising = 0;
    double last = 0.0;
    std::vector<double*> targets;
    // Lines of `text` starting at file offset `offset`, whole lines only unless `whole`.
    auto check = [&](const std::string& text, int64_t offset, bool whole) {
        size_t start = 0;
        while (start < text.size()) {
            const size_t lf = text.find('\n', start);
            if (lf == std::string::npos && !whole)
                break;
            const size_t stop = lf == std::string::npos ? text.size() : lf;
            const size_t end = stop > start && text[stop - 1] == '\r' ? stop - 1 : stop;
            const char* begin = text.data() + start;
            if (offset + int64_t(start) < dataStart) {
                // A row of values taken for a header line would be lost.
                if (LooksLikeValues(begin, text.data() + end, separator))
                    return false;
            } else {
                double first = 0.0;
                // Enough columns that only the field rules can fail.
                targets.assign(size_t(std::count(begin, text.data() + end, separator)) + 2,
                               nullptr);
                targets[0] = &first;
                if (!ConvertFields(begin, text.data() + end, 0, targets.data(), targets.size(),
                                   separator))
                    return false;
                sawData = sawData || !std::all_of(begin, text.data() + end, IsBlank);
                filledColumns =
                    std::max(filledColumns, FilledFields(begin, text.data() + end, separator));
                if (end > start) {
                    if (any) {
                        decreases = decreases || first < last;
                        ++pairs;
                        rising += first > last;
                    }
                    last = first;
                    any = true;
                }
            }
            start = stop + 1;
        }
        return true;
    };
    if (dataStart < 0 || !check(sample.head, sample.headOffset, sample.headIsWholeFile))
        return false;
    for (const FileSample::Chunk& chunk : sample.spread) {
        if (!check(chunk.text, chunk.offset, true))
            return false;
    }
    // A constant column stays the X it always was (every point at one X).
    firstColumnNoX = decreases || (rising > 0 && double(rising) < MIN_RISING_SHARE * double(pairs));
    return sawData;
}

CSVImportOption DefaultDialectOption(const DialectGuess& guess, int rowCount, int lastDataLine)
{
    CSVImportOption option;
    option.dialect = guess.dialect;
    option.headerRows = std::min(guess.headerLines, rowCount);
    option.dataRows = std::max(0, lastDataLine + 1 - option.headerRows);
    option.splitColumn = guess.splitColumn;
    const int x = guess.xColumn;
    for (int c = 0; c < guess.columnCount; ++c) {
        const ColumnFormat format = guess.dialect.Column(c);
        if (c == x || c == guess.splitColumn || format.kind != ColumnKind::NUMBER ||
            format.joinedTo >= 0)
            continue;
        DataSource source;
        source.useDirectVal = x < 0;
        source.columnX = std::max(x, 0);
        source.columnY = c;
        source.label = size_t(c) < guess.names.size() && !guess.names[size_t(c)].empty()
                           ? guess.names[size_t(c)]
                           : wxString::Format(_("Column %d"), c + 1);
        option.dataSources.push_back(source);
    }
    return option;
}
