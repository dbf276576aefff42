#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
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
