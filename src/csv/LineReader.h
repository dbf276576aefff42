#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Reads the lines of a byte range of an open file in large blocks. A line ends at a line
// feed; a carriage return directly before it belongs to the line end. A last line without
// a line feed is a complete line. A line may hold at most MAX_LINE_LENGTH characters
// besides its line end.
class LineReader
{
public:
    static constexpr int MAX_LINE_LENGTH = 1022;
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
    LineReader(int fd, int64_t begin, int64_t end, size_t blockSize = size_t(1) << 20);

    // The next line without its line end in [lineBegin, lineEnd); valid until the next
    // call. After TOO_LONG or READ_ERROR the reader is spent.
    Status Next(const char*& lineBegin, const char*& lineEnd);

    // File offset just after the last line returned, line end included.
    int64_t Offset() const { return m_offset; }
    // Whether the last line returned ended with a line feed.
    bool EndedWithLineFeed() const { return m_lineFeed; }

private:
    bool Refill();

    int m_fd;
    int64_t m_readPos; // next file offset to read
    int64_t m_end;
    int64_t m_offset;
    size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    size_t m_pos = 0;  // start of the unread part
    size_t m_fill = 0; // end of the valid data
    bool m_eof = false;
    bool m_lineFeed = false;
};

// Number of bytes equal to c in [begin, end); may read up to LineReader::SLACK bytes
// past end, which must be readable memory.
int CountByteWithSlack(const char* begin, const char* end, char c);
