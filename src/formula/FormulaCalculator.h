#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include <wx/string.h>

#include "formula/FormulaAst.h"
#include "formula/FormulaParser.h"
#include "model/GraphData.h"
#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"

class GraphProject;

// What a calculated series was made of, to make it again: its formula. Its X and size are
// those of the series itself.
struct FormulaSeriesSource : SeriesSource
{
    explicit FormulaSeriesSource(wxString text) : formula(std::move(text)) {}
    wxString formula;
};

// Creates a new series from a formula evaluated once per point, with "x" the point's
// X value and "i" its index; "y"/"Y" read the project's series and "rand" draws
// standard normal numbers. One calculator serves one command: set the inputs, Compile
// (on the main thread), then Run.
class FormulaCalculator
{
public:
    explicit FormulaCalculator(GraphProject* project);
    FormulaCalculator(const FormulaCalculator&) = delete; // the tree points into it
    FormulaCalculator& operator=(const FormulaCalculator&) = delete;

    void SetFormula(const wxString& formula) { m_formula = formula; }
    void SetDataX(const DataX& dataX) { m_dataX = dataX; }
    // The new series' X as seconds from this instant (ns since 1970), as a time series'.
    void SetTimeOrigin(int64_t nanos)
    {
        m_hasTimeOrigin = true;
        m_timeOrigin = nanos;
    }
    void SetSize(int32_t size) { m_size = size; }
    void SetLabel(const wxString& label) { m_label = label; }
    // Threads Calculate may use for a formula without "rand" (default 2; 1 = only the
    // calling thread). The values are the same either way.
    void SetMaxThreads(int threads) { m_maxThreads = threads; }
    // Bytes the new series and its mipmap may take; -1 (the default) means what the
    // system has available. A seam for tests.
    void SetMemoryLimit(int64_t bytes) { m_memoryLimit = bytes; }

    // False, with the message in GetErrorMessage(), when the formula does not parse or a
    // y(n, ...) or Y(n, ...) with a constant n names a series the project does not have
    // (the message counts lines and columns from 1).
    bool Compile();
    // Whether the formula parses at all, whatever the series it names; the message of a
    // failed Compile when it does not.
    static bool CheckSyntax(const wxString& formula, wxString& message);

    // Computes the series, builds its mipmap for `resolution` (the "/Mipmap/Resolution"
    // setting; 0 or less builds none), then adds it to the project and labels it. On
    // any result but SUCCESS the project is untouched. An X interval of 0 (for more than one
    // point), a start or interval that is not finite (FAILURE) and a series that would not fit in
    // memory (OUT_OF_MEMORY) are refused before any computing. Main thread; `context` runs the long
    // stages (null: directly).
    ResultCode Run(int resolution, ProcContext* context);

    // The evaluation loop, a progress procedure for the worker thread. SUCCESS leaves
    // the new series for Run; OUT_OF_MEMORY, EVAL_ERROR ("Zero division!.") and
    // UNKNOWN_ERROR leave a message; CANCELLED leaves the message alone.
    ResultCode Calculate(Progress* progress);

    wxString GetErrorMessage() const { return m_message; }
    // Where the last failed Compile found the fault (0-based line and column).
    FormulaPosition GetErrorPosition() const { return m_errorPosition; }

    // "y"(n, x): series n (1-based) at abscissa x, linearly interpolated; 0.0 outside
    // [first X, last X) and for a missing series (when n is computed: Compile refuses
    // a constant one).
    double ValueAtX(double n, double x);
    // "Y"(n, i): series n at index i truncated toward zero; 0.0 out of range.
    double ValueAtIndex(double n, double i);
    // "rand"(): the next standard normal number.
    double Random();

private:
    struct SeriesView
    {
        DataX dataX;
        const double* values = nullptr;
        size_t count = 0;
    };
    class SeriesSnapshot;

    void PrepareParser(FormulaParser& parser, double* x, double* i, bool withRandom);
    ResultCode CheckRequest(int resolution);
    bool CheckSeriesNumbers(const std::vector<FormulaCall>& calls);
    // Series n (1-based), or null; `scratch` holds it when it is read from the project.
    // Not copied otherwise: the threads would contend for its X array's reference count.
    const SeriesView* FindSeries(double n, SeriesView& scratch) const;
    static double InterpolateExplicit(const SeriesView& series, double x);
    bool EvaluateAll(GraphDataY& dataY, Progress* progress);

    GraphProject* m_proj;
    wxString m_formula = "0";
    DataX m_dataX;
    bool m_hasTimeOrigin = false;
    int64_t m_timeOrigin = 0;
    int32_t m_size = 1;
    wxString m_label;
    wxString m_message;
    FormulaPosition m_errorPosition;
    // The values of "x" and "i", written once per point. Each thread's pair has a cache
    // line of its own, so that two threads never write into a line the other reads.
    struct alignas(64) Parameters
    {
        double x = 0.0;
        double i = 0.0;
    };
    Parameters m_params;
    std::mt19937 m_engine;
    std::normal_distribution<double> m_normal{0.0, 1.0};
    FormulaAst::NodePtr<double> m_tree;
    std::shared_ptr<GraphData> m_result;

    // A second tree over its own x and i for a helper thread; null when the formula
    // uses "rand", whose draws must stay in point order.
    FormulaAst::NodePtr<double> m_helperTree;
    Parameters m_helperParams;
    int m_maxThreads = 2;
    int64_t m_memoryLimit = -1;

    // The series as Calculate found them, so that "y" and "Y" touch no reference
    // counts on the hot path (two threads would fight over them).
    std::vector<SeriesView> m_series;
    bool m_seriesTaken = false;
};
