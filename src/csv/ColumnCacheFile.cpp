// The cache file: a 32-byte head, a block of metadata (keys, what a reload needs, the
// series and where their arrays are), then each array at a page boundary so that it can be
// mapped on its own. One checksum covers the metadata and every array.
#include "csv/ColumnCacheFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/BuildInfo.h"
#include "base/Checksum.h"
#include "base/FileUtil.h"
#include "csv/ColumnStream.h"
#include "model/LargeArray.h"

namespace {

constexpr char MAGIC[8] = {'A', 'R', 'D', 'C', 'O', 'L', 'S', '\n'};
// Raised whenever the layout changes; the program version is checked as well.
constexpr uint32_t FORMAT_VERSION = 3;
constexpr size_t HEAD_BYTES = 40;
constexpr uint64_t PAGE = 4096;
constexpr size_t WRITE_PIECE = size_t(4) << 20;

uint64_t RoundToPage(uint64_t bytes)
{
    return (bytes + PAGE - 1) / PAGE * PAGE;
}

struct Head
{
    char magic[8];
    uint32_t format;
    uint32_t metaBytes;
    uint64_t fileBytes;
    uint64_t checksum;     // of the metadata and every array
    uint64_t metaChecksum; // of the metadata alone, for a listing that reads no array
};
static_assert(sizeof(Head) == HEAD_BYTES, "the head is packed");

// Native byte order: the cache never leaves the machine that wrote it.
class Out
{
public:
    template <typename T> void Put(T value)
    {
        m_bytes.append(reinterpret_cast<char*>(&value), sizeof value);
    }
    void Str(const std::string& text)
    {
        Put<uint64_t>(text.size());
        m_bytes += text;
    }
    void WStr(const wxString& text) { Str(text.utf8_string()); }
    // A record's fields in order (see the *Fields functions), a flag as one byte.
    template <typename... T> void Fields(const T&... values) { (Field(values), ...); }
    const std::string& Bytes() const { return m_bytes; }

private:
    void Field(bool flag) { Put<uint8_t>(flag); }
    template <typename T> void Field(const T& value) { Put(value); }

    std::string m_bytes;
};

// Reads what Out wrote; a read past the end gives zeros and clears ok.
class In
{
public:
    In(const char* begin, const char* end) : m_p(begin), m_end(end) {}
    template <typename T> T Get()
    {
        T value{};
        if (size_t(m_end - m_p) < sizeof value) {
            Fail();
            return value;
        }
        std::memcpy(&value, m_p, sizeof value);
        m_p += sizeof value;
        return value;
    }
    std::string Str()
    {
        const uint64_t n = Get<uint64_t>();
        if (n > uint64_t(m_end - m_p)) {
            Fail();
            return {};
        }
        std::string text(m_p, size_t(n));
        m_p += n;
        return text;
    }
    wxString WStr() { return wxString::FromUTF8(Str()); }
    template <typename... T> void Fields(T&... values) { (Field(values), ...); }
    // A count of items of at least `bytesEach` bytes: refused when the rest can't hold
    // them, so that a damaged count never allocates much.
    size_t Count(size_t bytesEach)
    {
        const uint64_t n = Get<uint64_t>();
        if (n > uint64_t(m_end - m_p) / bytesEach) {
            Fail();
            return 0;
        }
        return size_t(n);
    }
    bool Ok() const { return m_ok; }

private:
    void Field(bool& flag) { flag = Get<uint8_t>() != 0; }
    template <typename T> void Field(T& value) { value = Get<T>(); }
    void Fail()
    {
        m_ok = false;
        m_p = m_end;
    }
    const char* m_p;
    const char* m_end;
    bool m_ok = true;
};

// The fixed fields of each record, in file order: one list for the writer (Out, const
// records) and the reader (In).
template <typename IO, typename Source> void SourceFields(IO& io, Source& s)
{
    io.Fields(s.useDirectVal, s.xStart, s.xInterval, s.columnX, s.columnY);
}
template <typename IO, typename Dialect> void DialectFields(IO& io, Dialect& d)
{
    io.Fields(d.detected, d.separator, d.decimal, d.quote, d.terminator);
}
template <typename IO, typename Stamp> void StampFields(IO& io, Stamp& s)
{
    io.Fields(s.exists, s.size, s.mtimeNanos, s.device, s.inode);
}
template <typename IO, typename Identity> void IdentityFields(IO& io, Identity& id)
{
    io.Fields(id.exists, id.size, id.device, id.inode, id.head, id.tail);
}

void PutRequest(Out& out, const DialectRequest& request)
{
    out.Put<uint8_t>(request.detect);
    out.Put(request.separator);
    out.Put(request.decimal);
    out.Put<uint64_t>(request.columns.size());
    for (const ColumnRequest& column : request.columns) {
        out.Put<int32_t>(column.column);
        out.Put<uint8_t>(uint8_t(column.kind));
        out.Put<uint8_t>(uint8_t(column.layout));
    }
    out.Put<int32_t>(request.split);
}

void PutOption(Out& out, const CSVImportOption& option)
{
    out.Put<int32_t>(option.headerRows);
    out.Put<int32_t>(option.dataRows);
    out.Put<uint64_t>(option.dataSources.size());
    for (const DataSource& source : option.dataSources) {
        SourceFields(out, source);
        out.WStr(source.label);
    }
    const CSVDialect& dialect = option.dialect;
    DialectFields(out, dialect);
    out.Put<uint64_t>(dialect.columns.size());
    for (const ColumnFormat& format : dialect.columns) {
        out.Put<uint8_t>(uint8_t(format.kind));
        out.Put<uint8_t>(uint8_t(format.layout));
        out.Put<int64_t>(format.origin);
        out.Put<int32_t>(format.clockColumn);
        out.Put<int32_t>(format.joinedTo);
    }
    out.Put<int32_t>(option.splitColumn);
}

CSVImportOption GetOption(In& in)
{
    CSVImportOption option;
    option.headerRows = in.Get<int32_t>();
    option.dataRows = in.Get<int32_t>();
    option.dataSources.resize(in.Count(34));
    for (DataSource& source : option.dataSources) {
        SourceFields(in, source);
        source.label = in.WStr();
    }
    CSVDialect& dialect = option.dialect;
    DialectFields(in, dialect);
    dialect.columns.resize(in.Count(18));
    for (ColumnFormat& format : dialect.columns) {
        format.kind = ColumnKind(in.Get<uint8_t>());
        format.layout = TimeLayout(in.Get<uint8_t>());
        format.origin = in.Get<int64_t>();
        format.clockColumn = in.Get<int32_t>();
        format.joinedTo = in.Get<int32_t>();
    }
    option.splitColumn = in.Get<int32_t>();
    return option;
}

// One array of the file: where it is and how long.
struct ArrayEntry
{
    uint64_t offset;
    uint64_t bytes;
};

// A series as the file describes it: indices into the array table.
struct SeriesEntry
{
    uint64_t count = 0;
    double start = 0.0, interval = 1.0;
    int64_t xArray = -1;
    bool hasTimeOrigin = false;
    int64_t timeOrigin = 0;
    uint64_t rawArray = 0;
    int32_t mipmapLevels = 0; // the drawing levels the stored arrays serve
    double minX = 0.0, maxX = 0.0;
    MinMax rangeY{0.0, 0.0};
    std::vector<uint64_t> levelArrays;
};

// The arrays of an import to write, explicit X arrays shared by series written once.
struct Layout
{
    std::vector<ByteRun> arrays;
    std::vector<SeriesEntry> series;
};

Layout LayOut(const CachedImport& import)
{
    Layout layout;
    std::unordered_map<const void*, int64_t> xIndex;
    auto add = [&](const void* data, size_t bytes) {
        layout.arrays.push_back({data, bytes});
        return uint64_t(layout.arrays.size() - 1);
    };
    for (const auto& data : import.series) {
        SeriesEntry entry;
        const GraphDataY& y = *data->GetDataY();
        const DataX x = data->GetDataX();
        entry.count = y.raw.size();
        entry.start = x.start;
        entry.interval = x.interval;
        if (x.IsExplicit()) {
            const DataX::Values& values = *x.ExplicitValues();
            auto found = xIndex.find(&values);
            entry.xArray = found != xIndex.end()
                               ? found->second
                               : (xIndex[&values] = int64_t(add(values.data(), values.size() * 8)));
        }
        entry.hasTimeOrigin = data->HasTimeOrigin();
        entry.timeOrigin = data->GetTimeOrigin();
        entry.rawArray = add(y.raw.data(), y.raw.size() * sizeof(double));
        entry.mipmapLevels = y.mipmapLevels;
        // The values' own range: the series' cached one belongs to the thread that shows it.
        const SeriesShape shape = ShapeOf(*data, y.ComputeRangeY());
        entry.minX = shape.minX;
        entry.maxX = shape.maxX;
        entry.rangeY = shape.rangeY;
        for (const auto& level : y.mipmap)
            entry.levelArrays.push_back(add(level.data(), level.size() * sizeof(MinMax)));
        layout.series.push_back(std::move(entry));
    }
    return layout;
}

// Everything up to the array table: the part a reader checks before anything else.
void PutKeys(Out& out, const CachedImport& import)
{
    out.Str(ProgramVersion());
    out.Str(import.sourcePath);
    StampFields(out, import.stamp);
    out.Str(import.requestKey);
    out.Str(import.optionKey);
}

// Each array one after the other from `dataStart`, at page boundaries.
std::vector<uint64_t> SequentialOffsets(const Layout& layout, uint64_t dataStart)
{
    std::vector<uint64_t> offsets;
    for (const ByteRun& array : layout.arrays) {
        offsets.push_back(dataStart);
        dataStart += RoundToPage(array.size);
    }
    return offsets;
}

std::string MetaBlock(const CachedImport& import, const Layout& layout,
                      const std::vector<uint64_t>& offsets)
{
    Out out;
    PutKeys(out, import);
    out.Put<uint32_t>(uint32_t(import.separator));
    out.WStr(import.info.fileName);
    out.Put<int32_t>(import.info.columnCount);
    out.Put<int32_t>(import.info.rowCount);
    out.Put<uint64_t>(import.info.columnNames.size());
    for (const wxString& name : import.info.columnNames)
        out.WStr(name);
    PutOption(out, import.option);
    out.Put<uint64_t>(import.labels.size());
    for (const wxString& label : import.labels)
        out.WStr(label);
    out.Put<uint64_t>(import.seriesKeys.size());
    for (const std::string& key : import.seriesKeys)
        out.Str(key);
    out.Put(import.gaps);
    out.Put(import.firstGapLine);
    out.Put(import.dataEnd);
    out.Put<uint8_t>(import.endedWithLineFeed);
    out.Put<uint64_t>(import.lastX.size());
    for (double x : import.lastX)
        out.Put(x);
    const FileIdentity& id = import.identity;
    IdentityFields(out, id);
    out.Put<uint64_t>(layout.arrays.size());
    for (size_t k = 0; k < layout.arrays.size(); ++k) {
        out.Put(offsets[k]);
        out.Put<uint64_t>(layout.arrays[k].size);
    }
    out.Put<uint64_t>(layout.series.size());
    for (const SeriesEntry& s : layout.series) {
        out.Put(s.count);
        out.Put(s.start);
        out.Put(s.interval);
        out.Put(s.xArray);
        out.Put<uint8_t>(s.hasTimeOrigin);
        out.Put(s.timeOrigin);
        out.Put(s.rawArray);
        out.Put(s.mipmapLevels);
        out.Fields(s.minX, s.maxX, s.rangeY.min, s.rangeY.max);
        out.Put<uint64_t>(s.levelArrays.size());
        for (uint64_t level : s.levelArrays)
            out.Put(level);
    }
    return out.Bytes();
}

uint64_t DataStart(size_t metaBytes)
{
    return RoundToPage(HEAD_BYTES + metaBytes);
}

// The head of a file of `fileBytes` bytes that holds `meta` and the layout's arrays; its
// checksum covers all of them.
Head HeadFor(const std::string& meta, const Layout& layout, uint64_t fileBytes)
{
    std::vector<ByteRun> runs{{meta.data(), meta.size()}};
    runs.insert(runs.end(), layout.arrays.begin(), layout.arrays.end());
    Head head;
    std::memcpy(head.magic, MAGIC, sizeof MAGIC);
    head.format = FORMAT_VERSION;
    head.metaBytes = uint32_t(meta.size());
    head.fileBytes = fileBytes;
    head.checksum = ChecksumRuns(runs.data(), runs.size(), 2);
    head.metaChecksum = ChecksumBytes(meta.data(), meta.size(), 0);
    return head;
}

struct Fd
{
    int fd;
    ~Fd()
    {
        if (fd >= 0)
            close(fd);
    }
};

// A mapping undone on every way out unless an array adopted it.
struct Mapping
{
    void* memory = nullptr;
    size_t bytes = 0; // the array's bytes; the mapping is LargeMappingBytes of them
    Mapping() = default;
    Mapping(const Mapping&) = delete;
    Mapping(Mapping&& other) noexcept : memory(other.memory), bytes(other.bytes)
    {
        other.memory = nullptr;
    }
    ~Mapping() { UnmapLarge(memory, bytes); }
};

// The head and the metadata of an open cache file, checked for shape.
enum class HeadRead
{
    OK,
    DAMAGED,
    OTHER_VERSION,
};
HeadRead ReadHead(int fd, Head& head, std::string& meta, int64_t& fileBytes)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_size < int64_t(HEAD_BYTES) ||
        pread(fd, &head, HEAD_BYTES, 0) != ssize_t(HEAD_BYTES) ||
        std::memcmp(head.magic, MAGIC, sizeof MAGIC) != 0)
        return HeadRead::DAMAGED;
    if (head.format != FORMAT_VERSION)
        return HeadRead::OTHER_VERSION;
    fileBytes = info.st_size;
    if (head.fileBytes != uint64_t(info.st_size) ||
        head.metaBytes > uint64_t(info.st_size) - HEAD_BYTES)
        return HeadRead::DAMAGED;
    meta.resize(head.metaBytes);
    if (pread(fd, &meta[0], meta.size(), HEAD_BYTES) != ssize_t(meta.size()))
        return HeadRead::DAMAGED;
    return HeadRead::OK;
}

// Removes the cache file unless another writer has put a new one in its place meanwhile.
void RemoveIfSame(const std::string& path, int fd)
{
    struct stat open, named;
    if (fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_ino == named.st_ino &&
        open.st_dev == named.st_dev)
        unlink(path.c_str());
}

// A private anonymous mapping of LargeMappingBytes(bytes), as AdoptMapping takes; null
// when there is no memory for it.
void* MapAnonymous(size_t bytes)
{
    const size_t length = LargeMappingBytes(bytes);
    void* memory =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    madvise(memory, length, MADV_HUGEPAGE); // advice only
    return memory;
}

template <typename T>
LargeArray<T> TakeArray(Mapping& own, const char* whole, const ArrayEntry& entry)
{
    const size_t count = size_t(entry.bytes / sizeof(T));
    if (own.memory) {
        T* memory = static_cast<T*>(own.memory);
        own.memory = nullptr; // the array owns it now, or has undone it
        return AdoptMapping(memory, count);
    }
    if (count == 0)
        return {};
    const T* begin = reinterpret_cast<const T*>(whole + entry.offset);
    return LargeArray<T>(begin, begin + count);
}

// Reads the file from its metadata on; the result of a mismatch or damage.
class CacheReader
{
public:
    CacheReader(const std::string& path, int fd, const std::string& meta, int64_t fileBytes)
        : m_path(path), m_fd(fd), m_meta(meta), m_fileBytes(uint64_t(fileBytes)),
          m_in(meta.data(), meta.data() + meta.size())
    {
    }

    CacheRead Read(const std::string& sourcePath, const std::string& key, bool byRequest,
                   const Head& head, CachedImport& out, const std::function<void()>& afterKeyCheck,
                   CacheArrays arrays);

private:
    bool ReadRest(CachedImport& out);
    bool CheckTable() const;
    CacheRead MapAndCheck(uint64_t checksum);
    CacheRead ReadAndCheck(uint64_t checksum);
    bool SumMatches(const std::vector<ByteRun>& runs, uint64_t checksum) const;
    bool MakeSeries(CachedImport& out);

    const std::string& m_path;
    int m_fd;
    const std::string& m_meta;
    uint64_t m_fileBytes;
    In m_in;
    std::vector<ArrayEntry> m_arrays;
    std::vector<SeriesEntry> m_series;
    Mapping m_whole;
    std::vector<Mapping> m_own; // of the arrays large enough to be adopted
};

CacheRead CacheReader::Read(const std::string& sourcePath, const std::string& key, bool byRequest,
                            const Head& head, CachedImport& out,
                            const std::function<void()>& afterKeyCheck, CacheArrays arrays)
{
    if (m_in.Str() != ProgramVersion())
        return CacheRead::OTHER_VERSION;
    out.sourcePath = m_in.Str();
    StampFields(m_in, out.stamp);
    out.requestKey = m_in.Str();
    out.optionKey = m_in.Str();
    if (!m_in.Ok())
        return CacheRead::DAMAGED;
    if (out.sourcePath != sourcePath || (byRequest ? out.requestKey : out.optionKey) != key ||
        key.empty())
        return CacheRead::OTHER_KEY;
    if (ReadSourceStamp(sourcePath) != out.stamp)
        return CacheRead::STALE;
    if (!ReadRest(out) || !CheckTable())
        return CacheRead::DAMAGED;
    if (ReadFileIdentity(sourcePath, out.dataEnd) != out.identity)
        return CacheRead::STALE;
    if (afterKeyCheck)
        afterKeyCheck();
    for (size_t k = 0; k < m_series.size(); ++k) {
        const SeriesEntry& s = m_series[k];
        out.shapes.push_back({out.labels[k], s.count, s.start, s.interval, s.xArray >= 0, s.minX,
                              s.maxX, s.hasTimeOrigin, s.timeOrigin, s.rangeY});
    }
    if (arrays == CacheArrays::NONE)
        return ChecksumBytes(m_meta.data(), m_meta.size(), 0) == head.metaChecksum
                   ? CacheRead::LOADED
                   : CacheRead::DAMAGED;
    const CacheRead checked =
        arrays == CacheArrays::READ ? ReadAndCheck(head.checksum) : MapAndCheck(head.checksum);
    if (checked != CacheRead::LOADED)
        return checked;
    return MakeSeries(out) ? CacheRead::LOADED : CacheRead::ABSENT;
}

bool CacheReader::ReadRest(CachedImport& out)
{
    In& in = m_in;
    out.separator = wxChar(in.Get<uint32_t>());
    out.info.fileName = in.WStr();
    out.info.columnCount = in.Get<int32_t>();
    out.info.rowCount = in.Get<int32_t>();
    out.info.columnNames.resize(in.Count(8));
    for (wxString& name : out.info.columnNames)
        name = in.WStr();
    out.option = GetOption(in);
    out.labels.resize(in.Count(8));
    for (wxString& label : out.labels)
        label = in.WStr();
    out.seriesKeys.resize(in.Count(8));
    for (std::string& key : out.seriesKeys)
        key = in.Str();
    out.gaps = in.Get<int64_t>();
    out.firstGapLine = in.Get<int64_t>();
    out.dataEnd = in.Get<int64_t>();
    out.endedWithLineFeed = in.Get<uint8_t>() != 0;
    out.lastX.resize(in.Count(8));
    for (double& x : out.lastX)
        x = in.Get<double>();
    FileIdentity& id = out.identity;
    IdentityFields(in, id);
    m_arrays.resize(in.Count(16));
    for (ArrayEntry& array : m_arrays)
        array = {in.Get<uint64_t>(), in.Get<uint64_t>()};
    m_series.resize(in.Count(85));
    for (SeriesEntry& s : m_series) {
        s.count = in.Get<uint64_t>();
        s.start = in.Get<double>();
        s.interval = in.Get<double>();
        s.xArray = in.Get<int64_t>();
        s.hasTimeOrigin = in.Get<uint8_t>() != 0;
        s.timeOrigin = in.Get<int64_t>();
        s.rawArray = in.Get<uint64_t>();
        s.mipmapLevels = in.Get<int32_t>();
        in.Fields(s.minX, s.maxX, s.rangeY.min, s.rangeY.max);
        s.levelArrays.resize(in.Count(8));
        for (uint64_t& level : s.levelArrays)
            level = in.Get<uint64_t>();
    }
    return in.Ok() && out.labels.size() == m_series.size() &&
           out.seriesKeys.size() == m_series.size();
}

// Every array inside the file at a page boundary, every series' arrays of its size.
bool CacheReader::CheckTable() const
{
    const uint64_t dataStart = DataStart(m_meta.size());
    for (const ArrayEntry& array : m_arrays)
        if (array.offset % PAGE != 0 || array.offset < dataStart || array.offset > m_fileBytes ||
            RoundToPage(array.bytes) > m_fileBytes - array.offset)
            return false;
    auto fits = [&](uint64_t index, uint64_t unit) {
        return index < m_arrays.size() && m_arrays[index].bytes % unit == 0;
    };
    for (const SeriesEntry& s : m_series) {
        if (!fits(s.rawArray, sizeof(double)) || m_arrays[s.rawArray].bytes != s.count * 8)
            return false;
        if (s.xArray >= 0 && (!fits(uint64_t(s.xArray), sizeof(double)) ||
                              m_arrays[uint64_t(s.xArray)].bytes < s.count * 8))
            return false;
        if (s.mipmapLevels < 0 || s.levelArrays.size() != StoredMipmapLevels(s.mipmapLevels))
            return false;
        for (uint64_t level : s.levelArrays)
            if (!fits(level, sizeof(MinMax)))
                return false;
    }
    return true;
}

CacheRead CacheReader::MapAndCheck(uint64_t checksum)
{
    m_whole.bytes = size_t(m_fileBytes);
    m_whole.memory = mmap(nullptr, m_fileBytes, PROT_READ, MAP_PRIVATE, m_fd, 0);
    if (m_whole.memory == MAP_FAILED) {
        m_whole.memory = nullptr;
        return CacheRead::ABSENT;
    }
    std::vector<ByteRun> runs{{m_meta.data(), m_meta.size()}};
    m_own.resize(m_arrays.size());
    for (size_t k = 0; k < m_arrays.size(); ++k) {
        const ArrayEntry& array = m_arrays[k];
        if (array.bytes >= LARGE_ARRAY_THRESHOLD) {
            // Its own mapping, writable (copy on write) as a heap array is.
            void* own = mmap(nullptr, LargeMappingBytes(array.bytes), PROT_READ | PROT_WRITE,
                             MAP_PRIVATE, m_fd, off_t(array.offset));
            if (own == MAP_FAILED)
                return CacheRead::ABSENT;
            m_own[k].memory = own;
            m_own[k].bytes = array.bytes;
        }
        // Read past, not through the mappings: their pages come in as the series use them,
        // and a read of the file's cached pages costs far less than mapping each of them.
        runs.push_back({nullptr, size_t(array.bytes)});
    }
    return SumMatches(runs, checksum) ? CacheRead::LOADED : CacheRead::DAMAGED;
}

// Each array into memory of its own (huge pages where the system has them: far fewer
// first-touch faults than mapping the file's pages), read and checked in one pass.
CacheRead CacheReader::ReadAndCheck(uint64_t checksum)
{
    std::vector<ByteRun> runs{{m_meta.data(), m_meta.size()}};
    m_own.resize(m_arrays.size());
    for (size_t k = 0; k < m_arrays.size(); ++k) {
        const size_t bytes = size_t(m_arrays[k].bytes);
        if (bytes > 0) {
            m_own[k].memory = MapAnonymous(bytes);
            if (!m_own[k].memory)
                return CacheRead::ABSENT;
            m_own[k].bytes = bytes;
        }
        runs.push_back({m_own[k].memory, bytes});
    }
    return SumMatches(runs, checksum) ? CacheRead::LOADED : CacheRead::DAMAGED;
}

// Whether the runs (the metadata, then the arrays) sum to `checksum`, the arrays read from
// the file piece by piece as they are summed, into their run's memory or past it when that
// is null; false when the file is shorter than its table says.
bool CacheReader::SumMatches(const std::vector<ByteRun>& runs, uint64_t checksum) const
{
    auto fill = [&](size_t run, size_t offset, size_t size, void* to) {
        if (run == 0)
            return true; // the metadata, read already
        return ReadFully(m_fd, to, size, int64_t(m_arrays[run - 1].offset + offset)) == size;
    };
    uint64_t sum = 0;
    return ChecksumFilledRuns(runs.data(), runs.size(), 2, fill, sum) && sum == checksum;
}

bool CacheReader::MakeSeries(CachedImport& out)
{
    const char* whole = static_cast<const char*>(m_whole.memory);
    try {
        std::vector<std::shared_ptr<const DataX::Values>> xs(m_arrays.size());
        for (const SeriesEntry& s : m_series) {
            auto y = CreateGraphDataY();
            y->raw = TakeArray<double>(m_own[s.rawArray], whole, m_arrays[s.rawArray]);
            for (uint64_t level : s.levelArrays)
                y->mipmap.push_back(TakeArray<MinMax>(m_own[level], whole, m_arrays[level]));
            y->mipmapLevels = s.mipmapLevels;
            DataX x(s.start, s.interval);
            if (s.xArray >= 0) {
                auto& shared = xs[size_t(s.xArray)];
                if (!shared)
                    shared = std::make_shared<const DataX::Values>(TakeArray<double>(
                        m_own[size_t(s.xArray)], whole, m_arrays[size_t(s.xArray)]));
                x = DataX::Explicit(shared);
            }
            auto data = CreateGraphData(x, std::move(y));
            if (s.hasTimeOrigin)
                data->SetTimeOrigin(s.timeOrigin);
            out.series.push_back(std::move(data));
        }
    } catch (const std::bad_alloc&) {
        out.series.clear();
        return false;
    }
    return true;
}

} // namespace

SourceStamp ReadSourceStamp(const std::string& path)
{
    SourceStamp stamp;
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.mtimeNanos = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.device = uint64_t(info.st_dev);
    stamp.inode = uint64_t(info.st_ino);
    return stamp;
}

std::string CacheRequestKey(wxChar separator, const DialectRequest& request, int resolution)
{
    Out out;
    out.Put<char>('R');
    out.Put<uint32_t>(uint32_t(separator));
    PutRequest(out, request);
    out.Put<int32_t>(resolution);
    return out.Bytes();
}

std::string CacheOptionKey(wxChar separator, const DialectRequest& request,
                           const CSVImportOption& option, int resolution)
{
    Out out;
    out.Put<char>('O');
    out.Put<uint32_t>(uint32_t(separator));
    PutRequest(out, request);
    PutOption(out, option);
    out.Put<int32_t>(resolution);
    return out.Bytes();
}

const char* CacheReadName(CacheRead result)
{
    switch (result) {
    case CacheRead::LOADED:
        return "loaded";
    case CacheRead::ABSENT:
        return "absent";
    case CacheRead::OTHER_KEY:
        return "other key";
    case CacheRead::STALE:
        return "stale";
    case CacheRead::DAMAGED:
        return "damaged";
    case CacheRead::OTHER_VERSION:
        break;
    }
    return "other version";
}

CacheRead ReadCacheFile(const std::string& cachePath, const std::string& sourcePath,
                        const std::string& key, bool byRequest, CachedImport& out,
                        const std::function<void()>& afterKeyCheck, CacheArrays arrays)
{
    out = CachedImport();
    Fd file{open(cachePath.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return CacheRead::ABSENT;
    Head head;
    std::string meta;
    int64_t fileBytes = 0;
    CacheRead result;
    switch (ReadHead(file.fd, head, meta, fileBytes)) {
    case HeadRead::OK:
        result = CacheReader(cachePath, file.fd, meta, fileBytes)
                     .Read(sourcePath, key, byRequest, head, out, afterKeyCheck, arrays);
        break;
    case HeadRead::OTHER_VERSION:
        result = CacheRead::OTHER_VERSION;
        break;
    default:
        result = CacheRead::DAMAGED;
        break;
    }
    if (result == CacheRead::STALE || result == CacheRead::DAMAGED ||
        result == CacheRead::OTHER_VERSION)
        RemoveIfSame(cachePath, file.fd);
    if (result != CacheRead::LOADED) {
        out = CachedImport();
        return result;
    }
    futimens(file.fd, nullptr); // its last use, for the eviction
    return result;
}

bool CacheFileHolds(const std::string& cachePath, const std::string& optionKey,
                    const SourceStamp& stamp)
{
    Fd file{open(cachePath.c_str(), O_RDONLY | O_CLOEXEC)};
    Head head;
    std::string meta;
    int64_t fileBytes = 0;
    if (file.fd < 0 || ReadHead(file.fd, head, meta, fileBytes) != HeadRead::OK)
        return false;
    In in(meta.data(), meta.data() + meta.size());
    const bool sameVersion = in.Str() == ProgramVersion();
    in.Str(); // the source path: part of the option key's file name
    SourceStamp held;
    StampFields(in, held);
    in.Str();
    return sameVersion && held == stamp && in.Str() == optionKey && in.Ok();
}

std::shared_ptr<CachedImport> MakeCachedImport(const FileRead& read, const CacheBase& base,
                                               const SourceStamp& stamp,
                                               std::vector<std::shared_ptr<GraphData>> series)
{
    auto cached = std::make_shared<CachedImport>();
    cached->sourcePath = base.sourcePath;
    cached->stamp = stamp;
    cached->optionKey = CacheOptionKey(read.separator, read.request, read.option, base.resolution);
    if (base.byRequest)
        cached->requestKey = CacheRequestKey(read.separator, read.request, base.resolution);
    cached->request = read.request;
    cached->resolution = base.resolution;
    cached->separator = read.separator;
    cached->info = read.info;
    cached->option = read.option;
    cached->labels = base.labels;
    cached->seriesKeys = base.seriesKeys;
    cached->gaps = base.gaps;
    cached->firstGapLine = base.firstGapLine;
    cached->dataEnd = read.dataEnd;
    cached->endedWithLineFeed = read.endedWithLineFeed;
    cached->lastX = read.lastX;
    cached->identity = read.identity;
    cached->series = std::move(series);
    return cached;
}

int64_t CacheFileBytes(const CachedImport& import)
{
    const Layout layout = LayOut(import);
    uint64_t bytes = DataStart(MetaBlock(import, layout, SequentialOffsets(layout, 0)).size());
    for (const ByteRun& array : layout.arrays)
        bytes += RoundToPage(array.size);
    return int64_t(bytes);
}

CacheWrite WriteCacheFile(const std::string& cachePath, const CachedImport& import,
                          const std::atomic<bool>& cancel, std::string& error)
{
    const Layout layout = LayOut(import);
    // The table's offsets depend on the metadata's length, which does not depend on them.
    const uint64_t dataStart =
        DataStart(MetaBlock(import, layout, SequentialOffsets(layout, 0)).size());
    const std::string meta = MetaBlock(import, layout, SequentialOffsets(layout, dataStart));
    uint64_t fileBytes = dataStart;
    for (const ByteRun& array : layout.arrays)
        fileBytes += RoundToPage(array.size);
    const Head head = HeadFor(meta, layout, fileBytes);
    if (cancel)
        return CacheWrite::CANCELLED;

    AtomicFile file;
    if (!file.Create(cachePath, 0600)) {
        error = std::strerror(errno);
        return CacheWrite::FAILED;
    }
    FILE* out = file.File();
    const std::vector<char> zeros(PAGE, 0);
    auto pad = [&](uint64_t bytes) {
        const uint64_t n = RoundToPage(bytes) - bytes;
        return n == 0 || std::fwrite(zeros.data(), 1, size_t(n), out) == n;
    };
    bool ok = std::fwrite(&head, HEAD_BYTES, 1, out) == 1 &&
              std::fwrite(meta.data(), 1, meta.size(), out) == meta.size() &&
              pad(HEAD_BYTES + meta.size());
    for (size_t k = 0; ok && k < layout.arrays.size(); ++k) {
        const char* p = static_cast<const char*>(layout.arrays[k].data);
        for (size_t left = layout.arrays[k].size; ok && left > 0;) {
            if (cancel)
                return CacheWrite::CANCELLED; // discarded with the AtomicFile
            const size_t n = std::min(left, WRITE_PIECE);
            ok = std::fwrite(p, 1, n, out) == n;
            p += n;
            left -= n;
        }
        ok = ok && pad(layout.arrays[k].size);
    }
    if (!ok) {
        error = std::strerror(errno);
        return CacheWrite::FAILED;
    }
    if (!file.Commit(false)) {
        error = std::strerror(errno ? errno : EIO);
        return CacheWrite::FAILED;
    }
    return CacheWrite::WRITTEN;
}

namespace {

// Where this process maps the file `fd`: file offset by start address (from
// /proc/self/maps), so that only arrays that really are the file's pages count as written.
std::unordered_map<uintptr_t, uint64_t> MappingsOf(int fd)
{
    std::unordered_map<uintptr_t, uint64_t> out;
    struct stat info;
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (fstat(fd, &info) != 0 || !maps) {
        if (maps)
            std::fclose(maps);
        return out;
    }
    char* line = nullptr;
    size_t capacity = 0;
    while (getline(&line, &capacity, maps) > 0) {
        unsigned long long start, end, offset, inode;
        unsigned major, minor;
        char perms[8];
        if (std::sscanf(line, "%llx-%llx %7s %llx %x:%x %llu", &start, &end, perms, &offset, &major,
                        &minor, &inode) == 7 &&
            inode == uint64_t(info.st_ino))
            out[uintptr_t(start)] = offset;
    }
    std::free(line);
    std::fclose(maps);
    return out;
}

} // namespace

CacheWrite FinishStreamedCacheFile(ColumnStreamFile& file, const std::string& cachePath,
                                   const CachedImport& import, const std::atomic<bool>& cancel,
                                   std::string& error)
{
    const Layout layout = LayOut(import);
    const std::unordered_map<uintptr_t, uint64_t> mapped = MappingsOf(file.Fd());
    // A region counts while its address still maps the file where it was put; a later
    // region at a reused address wins.
    std::unordered_map<const void*, ColumnStreamFile::Region> inFile;
    for (const ColumnStreamFile::Region& region : file.Regions()) {
        const auto found = mapped.find(uintptr_t(region.address));
        if (found != mapped.end() && found->second == region.offset)
            inFile[region.address] = region;
    }
    std::vector<uint64_t> offsets;
    std::vector<bool> used(layout.arrays.size(), false);
    try {
        for (const ByteRun& array : layout.arrays) {
            const auto found = inFile.find(array.data);
            if (array.size > 0 && found != inFile.end() && array.size <= found->second.bytes) {
                offsets.push_back(found->second.offset);
                continue;
            }
            // Small arrays live on the heap: written after the others.
            const uint64_t offset = file.Extend(array.size);
            if (WriteFully(file.Fd(), array.data, array.size, int64_t(offset)) != array.size) {
                error = std::strerror(errno ? errno : EIO);
                return CacheWrite::FAILED;
            }
            offsets.push_back(offset);
        }
    } catch (const std::bad_alloc&) {
        error = std::strerror(ENOSPC);
        return CacheWrite::FAILED;
    }
    // Columns no series kept (an evenly stepped X, a clock joined to its date) give their
    // disk space back.
    for (const ColumnStreamFile::Region& region : file.Regions()) {
        const auto found = mapped.find(uintptr_t(region.address));
        if ((found == mapped.end() || found->second != region.offset) &&
            std::find(offsets.begin(), offsets.end(), region.offset) == offsets.end())
            fallocate(file.Fd(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(region.offset),
                      off_t(RoundToPage(region.bytes)));
    }
    const std::string meta = MetaBlock(import, layout, offsets);
    if (HEAD_BYTES + meta.size() > file.MetaRoom()) {
        error = "the metadata outgrew its room";
        return CacheWrite::FAILED;
    }
    const uint64_t end = file.End();
    if (ftruncate(file.Fd(), off_t(end)) != 0) {
        error = std::strerror(errno);
        return CacheWrite::FAILED;
    }
    if (cancel)
        return CacheWrite::CANCELLED;
    const Head head = HeadFor(meta, layout, end);
    if (cancel)
        return CacheWrite::CANCELLED;
    if (WriteFully(file.Fd(), &head, HEAD_BYTES, 0) != HEAD_BYTES ||
        WriteFully(file.Fd(), meta.data(), meta.size(), int64_t(HEAD_BYTES)) != meta.size() ||
        rename(file.Path().c_str(), cachePath.c_str()) != 0) {
        error = std::strerror(errno ? errno : EIO);
        return CacheWrite::FAILED;
    }
    file.Committed();
    return CacheWrite::WRITTEN;
}
