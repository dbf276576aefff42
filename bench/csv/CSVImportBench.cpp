// Import speed on generated files of 1M and 10M lines "time,ch1,ch2,ch3,ch4", with the
// time stepping evenly or jittered (an X of one value per point).
//   bench_csv [benchmark flags]          Google Benchmark run (scan, convert, total MB/s,
//                                        peak memory per imported point)
//   bench_csv --generate FILE LINES      writes a test file, time in seconds
//   bench_csv --generate-time FILE LINES the same with date-time stamps, one per
//                                        millisecond from 2026-03-05 10:00:00.000
//   bench_csv --import FILE [THREADS]    one timed import, one line of key=value
// Files go to $ARDENTINE_BENCH_DIR (default /tmp/ardentine-bench) and are kept.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <wx/init.h>

#include "csv/CSVImporter.h"
#include "csv/Reload.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"
#include "project/ProjectOpen.h"

namespace {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Days since 1970-01-01 to year-month-day and back (proleptic Gregorian).
void CivilFromDays(long days, int& year, int& month, int& day)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shifted = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = int(shifted < 10 ? shifted + 3 : shifted - 9);
    year = int(yearOfEra + era * 400 + (month <= 2));
}

// 2026-03-05 10:00:00.000 in milliseconds since 1970.
constexpr int64_t TIME_START_MS = (int64_t(20517) * 86400 + 10 * 3600) * 1000;

// Writes "YYYY-MM-DD hh:mm:ss.mmm" (as loggers do: a space, not 'T') for a millisecond
// count since 1970; the date is recomputed only when the day changes.
class StampWriter
{
public:
    int Write(char* out, int64_t ms)
    {
        const long day = long(ms / 86400000);
        if (day != m_day) {
            m_day = day;
            CivilFromDays(day, m_year, m_month, m_dayOfMonth);
        }
        const long inDay = long(ms % 86400000);
        return std::sprintf(out, "%04d-%02d-%02d %02ld:%02ld:%02ld.%03ld", m_year, m_month,
                            m_dayOfMonth, inDay / 3600000, inDay / 60000 % 60, inDay / 1000 % 60,
                            inDay % 1000);
    }

private:
    long m_day = -1;
    int m_year = 0, m_month = 0, m_dayOfMonth = 0;
};

// Same bytes on every run: fixed-seed noise. The first column is i * 0.001 s, as a
// number or (withStamps) as a date-time stamp; the other four are the same either way.
// withStamps: date-time stamps; jitter: each time a microsecond off its even step, which
// makes the X of every series one value per point.
bool Generate(const std::string& path, long lines, bool withStamps = false, bool jitter = false)
{
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    std::fputs("time,ch1,ch2,ch3,ch4\n", out);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto noise = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return double(state >> 11) / double(1ull << 53) - 0.5;
    };
    StampWriter stamps;
    char first[64];
    for (long i = 0; i < lines; ++i) {
        const double t = i * 0.001 + (jitter ? double(i % 3 - 1) * 1e-6 : 0.0);
        if (withStamps)
            stamps.Write(first, TIME_START_MS + i);
        else
            std::snprintf(first, sizeof first, "%.10g", t);
        std::fprintf(out, "%s,%.6g,%.6g,%.6g,%.6g\n", first, std::sin(t) + 0.1 * noise(),
                     std::cos(3 * t) * std::exp(-t / 5000) + 0.05 * noise(), t > 2000 ? 1.0 : 0.0,
                     noise());
    }
    return std::fclose(out) == 0;
}

std::string DataFile(long lines, bool jitter)
{
    const char* env = std::getenv("ARDENTINE_BENCH_DIR");
    const std::string dir = env ? env : "/tmp/ardentine-bench";
    mkdir(dir.c_str(), 0755);
    const std::string path =
        dir + (jitter ? "/jitter_" : "/wide_") + std::to_string(lines) + ".csv";
    struct stat info;
    if (stat(path.c_str(), &info) != 0 && !Generate(path, lines, false, jitter))
        return std::string();
    return path;
}

// Runs each procedure on the calling thread and times it.
class TimingContext : public ProcContext
{
public:
    std::vector<double> seconds;
    bool Execute(std::shared_ptr<ProgressProcBase> proc) override
    {
        DummyProgress progress;
        const double start = Now();
        proc->Process(&progress);
        seconds.push_back(Now() - start);
        return true;
    }
};

long ReadStatusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, std::strlen(key), key) == 0)
            return std::atol(line.c_str() + std::strlen(key) + 1);
    return -1;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct ImportTimes
{
    double scan = 0, convert = 0, mipmap = 0, total = 0;
    double bytes = 0, points = 0, peakBytes = 0;
    bool ok = false;
};

ImportTimes TimeImport(const std::string& path, int threads)
{
    ImportTimes t;
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return t;
    t.bytes = double(info.st_size);
    auto project = CreateGraphProject();
    ResetPeak();
    const long baseKiB = ReadStatusKiB("VmRSS:");
    {
        CSVImporter importer(path, *project);
        if (threads > 0)
            importer.Tuning().threadCount = threads;
        TimingContext context;
        if (importer.ScanInfo(&context) != ResultCode::SUCCESS ||
            importer.Import(&context) != ResultCode::SUCCESS) {
            std::fprintf(stderr, "import failed: %s\n",
                         importer.GetErrorMessage().utf8_str().data());
            return t;
        }
        t.scan = context.seconds[0];
        t.convert = context.seconds[1];
        t.mipmap = context.seconds[2];
    }
    t.total = t.scan + t.convert + t.mipmap;
    t.peakBytes = double(ReadStatusKiB("VmHWM:") - baseKiB) * 1024.0;
    for (int i = 0; i < project->GetCount(); ++i)
        t.points += double(project->GetItem(i)->GetCount());
    t.ok = true;
    return t;
}

void BM_CSVImport(benchmark::State& state)
{
    const std::string path = DataFile(long(state.range(0)), state.range(2) != 0);
    if (path.empty()) {
        state.SkipWithError("cannot write the data file");
        return;
    }
    ImportTimes sum;
    int runs = 0;
    for (auto _ : state) {
        const ImportTimes t = TimeImport(path, int(state.range(1)));
        if (!t.ok) {
            state.SkipWithError("import failed");
            return;
        }
        state.SetIterationTime(t.total);
        sum.scan += t.scan;
        sum.convert += t.convert;
        sum.mipmap += t.mipmap;
        sum.total += t.total;
        sum.peakBytes = std::max(sum.peakBytes, t.peakBytes);
        sum.bytes = t.bytes;
        sum.points = t.points;
        ++runs;
    }
    const double mb = sum.bytes / 1e6 * runs;
    state.counters["scan_MBps"] = mb / sum.scan;
    state.counters["convert_MBps"] = mb / sum.convert;
    state.counters["mipmap_s"] = sum.mipmap / runs;
    state.counters["total_MBps"] = mb / sum.total;
    state.counters["peak_B_per_point"] = sum.peakBytes / sum.points;
}

BENCHMARK(BM_CSVImport)
    ->ArgNames({"lines", "threads", "jitteredX"})
    ->ArgsProduct({{1000000, 10000000}, {1, 2}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A followed file: a copy of the generated file of `lines` lines, imported, then 1 MB of
// lines appended before each timed reload (detection, conversion, growth of the arrays and
// pyramids). The cost should not depend on the file's size.
void BM_ReloadAppend(benchmark::State& state)
{
    const std::string source = DataFile(long(state.range(0)), false);
    const std::string path = source + ".followed";
    if (source.empty() || std::system(("cp " + source + " " + path).c_str()) != 0) {
        state.SkipWithError("cannot copy the data file");
        return;
    }
    auto project = CreateGraphProject();
    {
        CSVImporter importer(path, *project);
        if (importer.ScanInfoInternal(nullptr) != ResultCode::SUCCESS ||
            importer.Import(nullptr) != ResultCode::SUCCESS) {
            state.SkipWithError("import failed");
            return;
        }
    }
    PrepareToFollow(*project); // as View > Follow does
    // 1 MB of lines that go on from the file's last one.
    long next = long(state.range(0));
    auto megabyte = [&next] {
        std::string text;
        char line[128];
        while (text.size() < 1000000) {
            const double t = double(next++) * 0.001;
            std::snprintf(line, sizeof line, "%.10g,%.6g,%.6g,%.6g,%.6g\n", t, std::sin(t),
                          std::cos(3 * t), 1.0, 0.5);
            text += line;
        }
        return text;
    };
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::ofstream out(path, std::ios::app | std::ios::binary);
            out << megabyte();
        }
        state.ResumeTiming();
        ReloadReport report;
        ReloadProject(*project, CSVImportTuning(), DEFAULT_MIPMAP_RESOLUTION, nullptr, report);
        if (report.grown != 1) {
            state.SkipWithError("the append was not taken");
            break;
        }
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_ReloadAppend)
    ->ArgName("lines")
    ->Arg(2600000)  // about 100 MB
    ->Arg(26000000) // about 1 GB
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// Reload of a 10M-line file that has not changed: the identity check only.
void BM_ReloadUnchanged(benchmark::State& state)
{
    const std::string path = DataFile(10000000, false);
    auto project = CreateGraphProject();
    CSVImporter importer(path, *project);
    if (path.empty() || importer.ScanInfoInternal(nullptr) != ResultCode::SUCCESS ||
        importer.Import(nullptr) != ResultCode::SUCCESS) {
        state.SkipWithError("import failed");
        return;
    }
    for (auto _ : state) {
        ReloadReport report;
        ReloadProject(*project, CSVImportTuning(), DEFAULT_MIPMAP_RESOLUTION, nullptr, report);
        if (report.same != 1)
            state.SkipWithError("the file looked changed");
    }
}
BENCHMARK(BM_ReloadUnchanged)->Unit(benchmark::kMicrosecond);

// A project of `file` imported with the scan's option, for the re-open bench.
bool SaveProject(const char* file, const char* out)
{
    auto project = CreateGraphProject();
    CSVImporter importer(wxString::FromUTF8(file), *project);
    wxString error;
    if (importer.ScanInfo(nullptr) != ResultCode::SUCCESS ||
        importer.Import(nullptr) != ResultCode::SUCCESS ||
        !SaveProjectFile(wxString::FromUTF8(out), DescribeProject(*project, {}), error)) {
        std::fprintf(stderr, "%s%s\n", importer.GetErrorMessage().utf8_str().data(),
                     error.utf8_str().data());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer;
    if (argc >= 4 && std::strcmp(argv[1], "--generate") == 0)
        return Generate(argv[2], std::atol(argv[3])) ? 0 : 1;
    if (argc >= 4 && std::strcmp(argv[1], "--generate-time") == 0)
        return Generate(argv[2], std::atol(argv[3]), true) ? 0 : 1;
    if (argc >= 4 && std::strcmp(argv[1], "--save-project") == 0)
        return SaveProject(argv[2], argv[3]) ? 0 : 1;
    if (argc >= 3 && std::strcmp(argv[1], "--import") == 0) {
        const ImportTimes t = TimeImport(argv[2], argc >= 4 ? std::atoi(argv[3]) : 0);
        if (!t.ok)
            return 1;
        std::printf("scan_s=%.6f convert_s=%.6f mipmap_s=%.6f total_s=%.6f peak_B_per_point=%.1f\n",
                    t.scan, t.convert, t.mipmap, t.total, t.peakBytes / t.points);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
