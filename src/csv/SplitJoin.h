#pragma once

// Reading a file on one thread, or split in two at a line start and read by two threads
// at once: the routine the scan and the conversion share. They bring only their line
// loops.

#include <atomic>
#include <cstdint>

#include <wx/string.h>

#include "base/HelperThread.h"
#include "csv/LineReader.h"
#include "progress/Progress.h"
#include "progress/ResultCode.h"

// Lines between two progress polls of a part (and between two marks of the line index).
constexpr int64_t PROGRESS_LINES = 1000;

// How the reading of one part of a file ended.
enum class PartEnd
{
    DONE,
    TOO_LONG,   // a line over LineReader::MAX_LINE_BYTES
    BAD_VALUE,  // a field that is not a number
    READ_ERROR, // e.g. a folder
    TOO_MANY,   // more lines than the row counts can hold
    CHANGED,    // the file no longer matches what was learned of it
    STOPPED,    // cancelled, or stopped because the other part failed
};

// One byte range of a file, read by one thread.
struct FilePart
{
    FilePart(int64_t from, int64_t to, int64_t firstLine) : begin(from), end(to), line(firstLine) {}

    int64_t begin;
    int64_t end;
    PartEnd result = PartEnd::DONE;
    int64_t line;       // the next line: after the part, the line count or the failing line
    int64_t offset = 0; // where the reading stopped
    bool endedWithLineFeed = true;
    std::atomic<int64_t> bytes{0}; // read so far, for the progress of the other thread
    int64_t gaps = 0;              // cells without a value, read as NaN
    int64_t firstGapLine = -1;     // 0-based line of the first

    void CountGap(int64_t lineIndex)
    {
        if (gaps++ == 0)
            firstGapLine = lineIndex;
    }

    // Where the reader stopped, for the seam check.
    void RecordEnd(const LineReader& reader)
    {
        offset = reader.Offset();
        endedWithLineFeed = reader.EndedWithLineFeed();
    }
};

// How a part ends whose reader returned `status` (not LINE).
inline PartEnd EndOfReading(LineReader::Status status)
{
    return status == LineReader::TOO_LONG     ? PartEnd::TOO_LONG
           : status == LineReader::READ_ERROR ? PartEnd::READ_ERROR
                                              : PartEnd::DONE;
}

// Whether `offset` starts a line (the byte before it is the line terminator).
bool IsLineStart(int fd, int64_t offset, char terminator = '\n');

// SUCCESS, CANCELLED, or FAILURE with the message about `fileName` in `message`.
// `firstLine`: the line of the file where the part's line count started.
ResultCode ReportPart(const FilePart& part, int64_t firstLine, const wxString& fileName,
                      wxString& message);

struct SplitRead
{
    bool parallel = false;  // the tail was read by a helper thread
    bool cancelled = false; // a cancel arrived while the helper was still reading
};

// Reads the whole file as `head` on the calling thread; or, when `split` > 0 (a line
// start: line `splitLine` of the file, or -1 when not known), [0, split) as `head` here
// and [split, end) as `tail` on a helper thread at the same time. read(part, poll) reads
// one part's lines, calls poll(bytes read in the part) every PROGRESS_LINES lines and
// stops with STOPPED when it returns false; the progress shows both parts' bytes against
// `total`. A head that did not end exactly at the split, after a line feed, on line
// `splitLine`, is CHANGED; a failing head stops the helper at once.
template <class Part, class Read>
SplitRead ReadSplit(int fd, int64_t split, int64_t splitLine, int64_t total, Part& head, Part& tail,
                    Progress* progress, Read&& read, char terminator = '\n')
{
    SplitRead run;
    std::atomic<bool> stop{false};
    HelperThread helper;
    run.parallel = split > 0 && helper.Start([&] {
        if (!IsLineStart(fd, split, terminator)) {
            tail.result = PartEnd::CHANGED;
            return;
        }
        read(tail, [&](int64_t bytes) {
            tail.bytes.store(bytes, std::memory_order_relaxed);
            return !stop.load(std::memory_order_relaxed);
        });
    });
    head.end = run.parallel ? split : INT64_MAX;
    auto report = [&](int64_t headBytes) {
        if (!progress)
            return true;
        ReportPosition(*progress, headBytes + tail.bytes.load(std::memory_order_relaxed), total);
        return !progress->IsCancelled();
    };
    read(head, report);
    if (!run.parallel)
        return run;
    if (head.result == PartEnd::DONE && (head.offset != split || !head.endedWithLineFeed ||
                                         (splitLine >= 0 && head.line != splitLine)))
        head.result = PartEnd::CHANGED;
    if (head.result != PartEnd::DONE)
        stop = true;
    helper.WaitPolling([&] { return report(head.offset); },
                       [&] {
                           stop = true;
                           run.cancelled = true;
                       });
    return run;
}
