// ParseTime speed per stamp, on columns of distinct stamps as a file holds them.
//   bench_csv --benchmark_filter=ParseTime     the time per iteration is per stamp
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "csv/TimeText.h"

namespace {

constexpr size_t STAMP_COUNT = 4096; // a power of two, for the cheap index wrap

// Stamps 1.25 s apart from 2019-06-03 15:39:47.260, written by `write`.
template <class Write> std::vector<std::string> Stamps(Write write)
{
    std::vector<std::string> stamps;
    const TimeNanos start = INT64_C(1559576387260000000);
    for (size_t i = 0; i < STAMP_COUNT; ++i)
        stamps.push_back(write(start + TimeNanos(i) * 1250000000));
    return stamps;
}

void Run(benchmark::State& state, const std::vector<std::string>& stamps, TimeLayout layout)
{
    size_t i = 0;
    for (auto _ : state) {
        const std::string& s = stamps[i++ & (STAMP_COUNT - 1)];
        TimeNanos t = 0;
        const bool ok = ParseTime(s.data(), s.data() + s.size(), layout, t);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(t);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_ParseTimeIsoMillis(benchmark::State& state)
{
    // "2019-06-03 15:39:47.260"
    static const auto stamps = Stamps([](TimeNanos t) {
        std::string s = FormatIsoTime(t, 3);
        s[10] = ' ';
        return s;
    });
    Run(state, stamps, TimeLayout::ISO);
}

void BM_ParseTimeMonthName(benchmark::State& state)
{
    // "03-Jun-2019 15:39:47.260"
    static const auto stamps = Stamps([](TimeNanos t) {
        static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const std::string iso = FormatIsoTime(t, 3);
        const int month = std::stoi(iso.substr(5, 2));
        return iso.substr(8, 2) + "-" + MONTHS[month - 1] + "-" + iso.substr(0, 4) + " " +
               iso.substr(11);
    });
    Run(state, stamps, TimeLayout::MONTH_NAME);
}

void BM_ParseTimeOfDay(benchmark::State& state)
{
    // "15:39:47.260"
    static const auto stamps = Stamps([](TimeNanos t) { return FormatIsoTime(t, 3).substr(11); });
    Run(state, stamps, TimeLayout::TIME_OF_DAY);
}

BENCHMARK(BM_ParseTimeIsoMillis);
BENCHMARK(BM_ParseTimeMonthName);
BENCHMARK(BM_ParseTimeOfDay);

} // namespace
