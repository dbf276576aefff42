#pragma once

#include <memory>
#include <vector>

#include "model/GraphData.h"
#include "model/GraphProject.h"

inline std::shared_ptr<GraphData> MakeSeries(std::vector<double> values, DataX x = DataX{0.0, 1.0},
                                             const wxString& label = wxString())
{
    auto y = CreateGraphDataY();
    y->raw.assign(values.begin(), values.end());
    auto data = CreateGraphData(x, y);
    data->SetLabel(label);
    return data;
}

// Counts a project's notifications by kind.
class KindCounter : public Observer
{
public:
    void Update(Observable*, const ObserverParamBase& param) override
    {
        if (auto* p = dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param))
            kinds.push_back(p->GetValue().kind);
    }
    int Count(uint32_t kind) const
    {
        int n = 0;
        for (uint32_t k : kinds)
            n += (k & kind) ? 1 : 0;
        return n;
    }
    std::vector<uint32_t> kinds;
};
