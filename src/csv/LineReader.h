#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// How the lines (records) of a file end: at `terminator` ('\n', or '\r' for files with
// carriage returns only); with a `quote` character, a terminator between quotes belongs
// to the record (RFC 4180). A carriage return directly before a '\n' terminator belongs
// to the line end.
struct LineFormat
{
    char terminator = '\n';
    char quote = 0; // 0: quotes have no meaning
};

// Reads the lines of a byte range of an open file in large blocks. A last line without
// a terminator is a complete line. A byte-order mark at the start of the file is skipped.
// Lines may be of any length up to MAX_LINE_BYTES; the buffer grows for a long one.
class LineReader
{
public:
    // Beyond this a line is refused, so that a file without line ends can't take all memory.
    static constexpr int64_t MAX_LINE_BYTES = int64_t(1) << 30;
    // Readable bytes after the end of every returned line (for 16-byte vector loads).
    static constexpr size_t SLACK = 64;

    enum Status
    {
        LINE,
        END,
        TOO_LONG,
        READ_ERROR,
    };

    // Reads [begin, end) of fd; end may lie beyond the end of the file.
    LineReader(int fd, int64_t begin, int64_t end, LineFormat format = LineFormat(),
               size_t blockSize = size_t(1) << 20);

    // The next line without its line end in [lineBegin, lineEnd); valid until the next
    // call. After TOO_LONG or READ_ERROR the reader is spent.
    Status Next(const char*& lineBegin, const char*& lineEnd);

    // The next lines at once, for a format without quotes: [linesBegin, linesEnd) holds
    // whole lines, each with its terminator, except a last line of the range that has none;
    // valid until the next call. May follow calls of Next. LINE while there are lines.
    Status NextLines(const char*& linesBegin, const char*& linesEnd);

    // File offset just after the last line returned, line end included.
    int64_t Offset() const { return m_offset; }
    // Whether the last line returned ended with its terminator.
    bool EndedWithLineFeed() const { return m_lineFeed; }

private:
    bool Refill();
    bool Grow();
    // The terminator that ends the pending line, searching on from m_searched; null if
    // it is not in the buffer yet.
    char* FindEnd(char* begin, size_t pending);

    int m_fd;
    LineFormat m_format;
    int64_t m_readPos; // next file offset to read
    int64_t m_end;
    int64_t m_offset;
    size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    size_t m_pos = 0;       // start of the unread part
    size_t m_fill = 0;      // end of the valid data
    size_t m_searched = 0;  // bytes of the pending line already searched for its end
    bool m_inQuote = false; // of the searched bytes
    bool m_eof = false;
    bool m_lineFeed = false;
};

// Whether the file starts with a UTF-8 byte-order mark (3 bytes).
bool StartsWithByteOrderMark(int fd);

// Number of bytes equal to c in [begin, end); may read up to LineReader::SLACK bytes
// past end, which must be readable memory.
int CountByteWithSlack(const char* begin, const char* end, char c);
