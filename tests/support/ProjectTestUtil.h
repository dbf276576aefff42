#pragma once

// Projects built as the program builds them: files with their default option, formulas run.

#include <gtest/gtest.h>

#include "csv/CSVImporter.h"
#include "formula/FormulaCalculator.h"

namespace projecttest {

inline void Import(GraphProject& project, const std::string& path,
                   int resolution = DEFAULT_MIPMAP_RESOLUTION)
{
    CSVImporter importer(wxString::FromUTF8(path), project);
    ASSERT_EQ(importer.ScanInfo(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();
    ASSERT_EQ(importer.Import(nullptr, resolution), ResultCode::SUCCESS)
        << importer.GetErrorMessage();
}

// Labelled with its formula unless `label` is given.
inline void Calculate(GraphProject& project, const wxString& formula, const DataX& x, int32_t size,
                      const wxString& label = wxString())
{
    FormulaCalculator calculator(&project);
    calculator.SetFormula(formula);
    calculator.SetLabel(label.empty() ? formula : label);
    calculator.SetDataX(x);
    calculator.SetSize(size);
    ASSERT_TRUE(calculator.Compile()) << calculator.GetErrorMessage();
    ASSERT_EQ(calculator.Run(DEFAULT_MIPMAP_RESOLUTION, nullptr), ResultCode::SUCCESS);
}

} // namespace projecttest
