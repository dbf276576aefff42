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
