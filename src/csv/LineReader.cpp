#include "csv/LineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <emmintrin.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No larger than the data (small files are common in tests and dialogs), at least 4 KiB.
size_t BlockSizeFor(int fd, int64_t begin, int64_t end, size_t blockSize)
{
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        end = std::min<int64_t>(end, info.st_size);
    const int64_t bytes = end - begin;
    return std::max<size_t>(4096, bytes < int64_t(blockSize) ? size_t(bytes) + 1 : blockSize);
}

} // namespace

bool StartsWithByteOrderMark(int fd)
{
    unsigned char head[3];
    return pread(fd, head, 3, 0) == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
}

LineReader::LineReader(int fd, int64_t begin, int64_t end, LineFormat format, size_t blockSize)
    : m_fd(fd), m_format(format), m_readPos(begin), m_end(end), m_offset(begin),
      m_capacity(BlockSizeFor(fd, begin, end, blockSize)), m_buffer(new char[m_capacity + SLACK])
{
    std::memset(m_buffer.get() + m_capacity, 0, SLACK);
    if (begin == 0 && StartsWithByteOrderMark(fd))
        m_readPos = m_offset = 3;
}

bool LineReader::Refill()
{
    // Keep the unfinished line: move it to the front, then read behind it.
    const size_t pending = m_fill - m_pos;
    if (m_pos > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_pos, pending);
        m_pos = 0;
        m_fill = pending;
    }
    while (!m_eof && m_fill < m_capacity) {
        const int64_t left = m_end - m_readPos;
        if (left <= 0) {
            m_eof = true;
            break;
        }
        const size_t want =
            static_cast<size_t>(std::min<int64_t>(left, int64_t(m_capacity - m_fill)));
        const ssize_t got = pread(m_fd, m_buffer.get() + m_fill, want, m_readPos);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0) {
            m_eof = true;
            break;
        }
        m_fill += static_cast<size_t>(got);
        m_readPos += got;
        // One read per refill is enough unless the pending line still lacks its end.
        if (std::memchr(m_buffer.get() + pending, m_format.terminator, m_fill - pending))
            break;
    }
    return true;
}

bool LineReader::Grow()
{
    if (int64_t(m_capacity) >= MAX_LINE_BYTES)
        return false;
    const size_t capacity = m_capacity * 2;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[capacity + SLACK]);
    if (!buffer)
        return false;
    std::memcpy(buffer.get(), m_buffer.get() + m_pos, m_fill - m_pos);
    std::memset(buffer.get() + capacity, 0, SLACK);
    m_fill -= m_pos;
    m_pos = 0;
    m_capacity = capacity;
    m_buffer = std::move(buffer);
    return true;
}

char* LineReader::FindEnd(char* begin, size_t pending)
{
    char* p = begin + m_searched;
    char* const stop = begin + pending;
    while (p < stop) {
        char* term = static_cast<char*>(std::memchr(p, m_format.terminator, size_t(stop - p)));
        char* const limit = term ? term : stop;
        if (m_format.quote) {
            for (const char* q = p; q < limit; ++q)
                m_inQuote ^= *q == m_format.quote;
        }
        if (!term) {
            m_searched = pending;
            return nullptr;
        }
        if (!m_inQuote)
            return term;
        p = term + 1; // a line end inside quotes
    }
    m_searched = pending;
    return nullptr;
}

LineReader::Status LineReader::Next(const char*& lineBegin, const char*& lineEnd)
{
    for (;;) {
        char* begin = m_buffer.get() + m_pos;
        const size_t pending = m_fill - m_pos;
        // Without quotes one search finds the end; FindEnd also follows the quotes.
        char* term = nullptr;
        if (m_format.quote) {
            term = FindEnd(begin, pending);
        } else {
            term = static_cast<char*>(
                std::memchr(begin + m_searched, m_format.terminator, pending - m_searched));
            if (!term)
                m_searched = pending;
        }
        if (term) {
            char* end =
                (m_format.terminator == '\n' && term > begin && term[-1] == '\r') ? term - 1 : term;
            const size_t used = static_cast<size_t>(term + 1 - begin);
            m_pos += used;
            m_offset += static_cast<int64_t>(used);
            m_searched = 0;
            m_inQuote = false;
            lineBegin = begin;
            lineEnd = end;
            m_lineFeed = true;
            return LINE;
        }
        if (m_eof) {
            if (pending == 0)
                return END;
            m_pos = m_fill;
            m_offset += static_cast<int64_t>(pending);
            m_searched = 0;
            m_inQuote = false;
            lineBegin = begin;
            lineEnd = begin + pending;
            m_lineFeed = false;
            return LINE;
        }
        if (pending == m_capacity && !Grow())
            return TOO_LONG;
        if (!Refill())
            return READ_ERROR;
    }
}

LineReader::Status LineReader::NextLines(const char*& linesBegin, const char*& linesEnd)
{
    for (;;) {
        char* begin = m_buffer.get() + m_pos;
        const size_t pending = m_fill - m_pos;
        // The last terminator in the buffer ends the block; m_searched bytes have none.
        char* term = pending > m_searched
                         ? static_cast<char*>(memrchr(begin + m_searched, m_format.terminator,
                                                      pending - m_searched))
                         : nullptr;
        if (term || (m_eof && pending > 0)) {
            const size_t used = term ? static_cast<size_t>(term + 1 - begin) : pending;
            m_pos += used;
            m_offset += static_cast<int64_t>(used);
            m_searched = 0;
            m_lineFeed = term != nullptr;
            linesBegin = begin;
            linesEnd = begin + used;
            return LINE;
        }
        if (m_eof)
            return END;
        m_searched = pending;
        if (pending == m_capacity && !Grow())
            return TOO_LONG;
        if (!Refill())
            return READ_ERROR;
    }
}

int CountByteWithSlack(const char* begin, const char* end, char c)
{
    alignas(16) static const unsigned char SLACK_MASK[32] = {
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0,    0,    0,    0};
    const __m128i needle = _mm_set1_epi8(c);
    int total = 0;
    const char* p = begin;
    while (p < end) {
        // Byte counters of up to 255 chunks, then summed.
        __m128i acc = _mm_setzero_si128();
        for (int chunk = 0; chunk < 255 && p < end; ++chunk, p += 16) {
            __m128i hit =
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), needle);
            if (end - p < 16) {
                const __m128i keep =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(SLACK_MASK + 16 - (end - p)));
                hit = _mm_and_si128(hit, keep);
            }
            acc = _mm_sub_epi8(acc, hit);
        }
        const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
        total += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
    return total;
}
