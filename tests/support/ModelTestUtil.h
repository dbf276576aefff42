#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "model/GraphData.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"

// Records every notification that carries a T.
template <typename T> class UpdateRecorder : public Observer
{
public:
    void Update(Observable*, const ObserverParamBase& param) override
    {
        if (auto* p = dynamic_cast<const ObserverParam<T>*>(&param))
            updates.push_back(p->GetValue());
    }
    std::vector<T> updates;
};

// Records every project notification.
class ProjectRecorder : public UpdateRecorder<GraphProjectUpdate>
{
public:
    std::vector<uint32_t> Kinds() const
    {
        std::vector<uint32_t> kinds;
        for (const auto& u : updates)
            kinds.push_back(u.kind);
        return kinds;
    }
};

inline std::shared_ptr<GraphData> MakeSeries(std::vector<double> values, DataX x = DataX{0.0, 1.0},
                                             const char* label = "")
{
    auto y = CreateGraphDataY();
    y->raw.assign(values.begin(), values.end());
    auto data = CreateGraphData(x, y);
    data->SetLabel(label);
    return data;
}

// A series with the mipmap levels that `resolution` pixel columns ask for.
inline std::shared_ptr<GraphData>
MakeMipmappedSeries(std::vector<double> values, DataX x = DataX{0.0, 1.0}, int resolution = 512)
{
    auto data = MakeSeries(std::move(values), x);
    DummyProgress progress;
    data->GetDataY()->CreateMipmap(MipmapLevelCount(data->GetCount(), resolution), &progress);
    return data;
}

// The pyramid bit for bit as a build from scratch makes it of the same values.
inline void ExpectPyramidAsFromScratch(const GraphDataY& y)
{
    auto scratch = CreateGraphDataY();
    scratch->raw.assign(y.raw.begin(), y.raw.end());
    ASSERT_EQ(scratch->CreateMipmap(y.mipmapLevels, nullptr), ResultCode::SUCCESS);
    ASSERT_EQ(scratch->mipmap.size(), y.mipmap.size());
    for (size_t i = 0; i < y.mipmap.size(); ++i) {
        ASSERT_EQ(scratch->mipmap[i].size(), y.mipmap[i].size()) << "array " << i;
        if (!y.mipmap[i].empty()) { // an empty array may have no address to compare
            ASSERT_EQ(0, std::memcmp(scratch->mipmap[i].data(), y.mipmap[i].data(),
                                     y.mipmap[i].size() * sizeof(MinMax)))
                << "array " << i;
        }
    }
}

// Equal values, a NaN equal to a NaN: how a brute-force scan and the model must agree.
inline bool SameValues(const std::vector<double>& a, const std::vector<double>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double u, double v) {
        return (std::isnan(u) && std::isnan(v)) || u == v;
    });
}

// Whole numbers from -1000 to 1000, NaN one time in 17 and, when infiniteEvery is above 0,
// an infinity one time in infiniteEvery: blocks of every kind turn up.
inline std::vector<double> RandomValues(size_t n, std::mt19937_64& random, unsigned infiniteEvery)
{
    std::vector<double> values(n);
    for (double& v : values) {
        const uint64_t r = random();
        v = r % 17 == 0                               ? NAN
            : infiniteEvery && r % infiniteEvery == 0 ? (r & 1 ? INFINITY : -INFINITY)
                                                      : double(int64_t(r % 2001) - 1000);
    }
    return values;
}

// Min and max of values[a, b) by a scan: NaN skipped (and the infinities, if asked), NaN
// when nothing is left. What the pyramid's blocks and range queries must hold.
inline MinMax ScanMinMax(const std::vector<double>& values, size_t a, size_t b,
                         bool finiteOnly = false)
{
    MinMax out{NAN, NAN};
    for (size_t i = a; i < b; ++i) {
        if (finiteOnly && !std::isfinite(values[i]))
            continue;
        out.min = std::fmin(out.min, values[i]);
        out.max = std::fmax(out.max, values[i]);
    }
    return out;
}
