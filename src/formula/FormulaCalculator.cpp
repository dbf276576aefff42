#include "formula/FormulaCalculator.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <stdexcept>
#include <thread>

#include <wx/debug.h>
#include <wx/intl.h>

#include "base/FileUtil.h"
#include "formula/FormulaBlocks.h"
#include "formula/FormulaParser.h"
#include "model/GraphProject.h"
#include "model/MipmapBuilder.h"

namespace {

// What went wrong, after the position in the parse failure message.
wxString FaultText(const FormulaError& error)
{
    const wxString text(error.text);
    switch (error.fault) {
    case FormulaFault::NONE:
        break;
    case FormulaFault::EMPTY:
        return _("the formula is empty");
    case FormulaFault::UNEXPECTED_END:
        return _("unexpected end of the formula");
    case FormulaFault::UNEXPECTED_TOKEN:
        return wxString::Format(_("unexpected '%s'"), text);
    case FormulaFault::EXPECTED_TOKEN:
        return wxString::Format(_("'%s' expected"), text);
    case FormulaFault::UNMATCHED_BRACKET:
        return _("')' without '('");
    case FormulaFault::BAD_CHARACTER: {
        // Control characters would not show: they are named by their code.
        const wchar_t c = error.text.empty() ? 0 : error.text[0];
        const wxString shown =
            c < 32 || c == 127 ? wxString::Format("U+%04X", unsigned(c)) : "'" + text + "'";
        return wxString::Format(_("unexpected character %s"), shown);
    }
    case FormulaFault::BAD_NUMBER:
        return wxString::Format(_("'%s' is not a number"), text);
    case FormulaFault::UNKNOWN_FUNCTION:
        return wxString::Format(_("unknown function '%s'"), text);
    case FormulaFault::UNKNOWN_VARIABLE:
        return wxString::Format(_("unknown variable '%s'"), text);
    case FormulaFault::ARGUMENT_COUNT:
        return wxString::Format(_("wrong number of arguments for '%s'"), text);
    case FormulaFault::TOO_DEEP:
        return _("the formula is nested too deeply");
    }
    return _("Unknown error!");
}

// Line and column counted from 1 here, as people count them.
wxString ParseFailureMessage(const FormulaError& error)
{
    return wxString::Format(_("Failed to parse the formula (line %d, column %d): %s!"),
                            error.position.line + 1, error.position.column + 1, FaultText(error));
}

// The one rule for a series number n among `count` series (1-based; compared before it
// is truncated, so that with one series 1.9 finds none).
bool SeriesIndex(double n, size_t count, size_t& index)
{
    if (!(n >= 1.0) || static_cast<double>(count) < n)
        return false;
    index = static_cast<size_t>(n - 1.0);
    return true;
}

// Bytes of n values and the mipmap levels built for them.
double SeriesBytes(size_t n, int resolution)
{
    return double(n) * sizeof(double) + MipmapBytes(n, resolution);
}

} // namespace

// Holds the project's series for "y" and "Y" while a calculation runs.
class FormulaCalculator::SeriesSnapshot
{
public:
    explicit SeriesSnapshot(FormulaCalculator& calculator) : m_calculator(calculator)
    {
        std::vector<SeriesView> series;
        const int count = calculator.m_proj ? calculator.m_proj->GetCount() : 0;
        for (int k = 0; k < count; ++k) {
            const std::shared_ptr<GraphData> data = calculator.m_proj->GetItem(k);
            series.push_back(
                SeriesView{data->GetDataX(), data->GetDataY()->raw.data(), data->GetCount()});
        }
        calculator.m_series = std::move(series);
        calculator.m_seriesTaken = true;
    }
    ~SeriesSnapshot()
    {
        m_calculator.m_seriesTaken = false;
        m_calculator.m_series.clear();
    }

private:
    FormulaCalculator& m_calculator;
};

FormulaCalculator::FormulaCalculator(GraphProject* project)
    : m_proj(project), m_engine(std::random_device{}())
{
}

void FormulaCalculator::PrepareParser(FormulaParser& parser, double* x, double* i, bool withRandom)
{
    parser.AddStandardFunctions();
    parser.AddFunction2(L"y", this, &FormulaCalculator::ValueAtX);
    parser.AddFunction2(L"Y", this, &FormulaCalculator::ValueAtIndex);
    if (withRandom)
        parser.AddFunction0(L"rand", this, &FormulaCalculator::Random);
    parser.AddParameter(L"x", x);
    parser.AddParameter(L"i", i);
}

bool FormulaCalculator::CheckSyntax(const wxString& formula, wxString& message)
{
    FormulaCalculator probe(nullptr);
    FormulaParser parser;
    probe.PrepareParser(parser, &probe.m_params.x, &probe.m_params.i, true);
    if (parser.Parse(formula.ToStdWstring()))
        return true;
    message = ParseFailureMessage(parser.GetError());
    return false;
}

bool FormulaCalculator::Compile()
{
    const std::wstring text = m_formula.ToStdWstring();
    FormulaParser parser;
    PrepareParser(parser, &m_params.x, &m_params.i, true);
    m_tree = parser.Parse(text);
    m_helperTree.reset();
    if (!m_tree) {
        m_errorPosition = parser.GetErrorPosition();
        m_message = ParseFailureMessage(parser.GetError());
        return false;
    }
    if (!CheckSeriesNumbers(parser.GetCalls())) {
        m_tree.reset();
        return false;
    }
    // Without "rand" registered this parse fails exactly when the formula uses it.
    FormulaParser helper;
    PrepareParser(helper, &m_helperParams.x, &m_helperParams.i, false);
    m_helperTree = helper.Parse(text);
    return true;
}

// A series number that can't change from point to point names a series or is a mistake:
// it would read as zeros everywhere. Computed numbers keep the rule of FindSeries.
bool FormulaCalculator::CheckSeriesNumbers(const std::vector<FormulaCall>& calls)
{
    const size_t count = m_proj ? static_cast<size_t>(m_proj->GetCount()) : 0;
    for (const FormulaCall& call : calls) {
        if ((call.name != L"y" && call.name != L"Y") || !call.arguments[0]->IsConstant())
            continue;
        double n = 0.0;
        try {
            n = call.arguments[0]->Evaluate();
        } catch (const std::runtime_error&) {
            continue; // a zero division, which the calculation reports
        }
        size_t index = 0;
        if (SeriesIndex(n, count, index))
            continue;
        m_errorPosition = call.position;
        const wxString number = std::isnan(n) ? wxString("nan") : wxString::FromCDouble(n);
        m_message = wxString::Format(_("There is no series %s: the project has %d series!"), number,
                                     static_cast<int>(count));
        return false;
    }
    return true;
}

ResultCode FormulaCalculator::Calculate(Progress* progress)
{
    m_result.reset();
    if (!m_tree) {
        wxFAIL_MSG("Calculate() without a successful Compile()");
        m_message = _("Unknown error!");
        return ResultCode::UNKNOWN_ERROR;
    }
    try {
        std::shared_ptr<GraphDataY> dataY = CreateGraphDataY();
        dataY->raw.resize(static_cast<size_t>(std::max<int32_t>(m_size, 0)));
        if (progress)
            progress->SetMessage(wxString::Format(_("Calculating: %s ..."), m_formula));
        SeriesSnapshot snapshot(*this);
        if (!EvaluateAll(*dataY, progress))
            return ResultCode::CANCELLED;
        m_result = CreateGraphData(m_dataX, dataY);
        if (m_hasTimeOrigin)
            m_result->SetTimeOrigin(m_timeOrigin);
        return ResultCode::SUCCESS;
    } catch (const std::bad_alloc&) {
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    } catch (const std::runtime_error& e) {
        m_message = wxString::FromUTF8(e.what());
        return ResultCode::EVAL_ERROR;
    } catch (...) {
        m_message = _("Unknown error!");
        return ResultCode::UNKNOWN_ERROR;
    }
}

// The values of all points into dataY; false when cancelled. Throws what the tree
// throws at the first failing point.
bool FormulaCalculator::EvaluateAll(GraphDataY& dataY, Progress* progress)
{
    using namespace FormulaBlocks;
    const int64_t size = static_cast<int64_t>(dataY.raw.size());
    BlockRun run(dataY.raw.data(), size);
    // Without "rand" the points are independent: in blocks, on two threads.
    const bool inBlocks = m_helperTree != nullptr;
    if (m_helperTree && m_maxThreads > 1 && size > BLOCK_POINTS &&
        std::thread::hardware_concurrency() > 1)
        run.StartHelper(
            Evaluator{m_helperTree.get(), &m_helperParams.x, &m_helperParams.i, m_dataX, inBlocks});
    const Evaluator evaluator{m_tree.get(), &m_params.x, &m_params.i, m_dataX, inBlocks};
    if (!progress)
        return run.Run(evaluator, nullptr);
    Reporter reporter(*progress, size);
    if (!run.Run(evaluator, &reporter))
        return false;
    progress->SetPosition(static_cast<int>(size), static_cast<int>(size));
    return true;
}

// A series whose points all share one X cannot be fitted, zoomed or exported (a single
// point may have an interval of 0, as the importer gives it), and Linux reports an allocation that
// does not fit only through the out-of-memory killer, seconds into the run: both are refused up
// front.
ResultCode FormulaCalculator::CheckRequest(int resolution)
{
    if (m_dataX.IsExplicit() && m_dataX.ExplicitValues()->size() < size_t(std::max(m_size, 0))) {
        m_message = _("The X values of the new series are fewer than its points!");
        return ResultCode::FAILURE;
    }
    if (!m_dataX.IsExplicit() && m_dataX.interval == 0.0 && m_size > 1) {
        m_message = _("The X interval must not be 0!");
        return ResultCode::FAILURE;
    }
    if (!m_dataX.IsExplicit() &&
        (!std::isfinite(m_dataX.start) || !std::isfinite(m_dataX.interval))) {
        m_message = _("The X start and the X interval must be finite numbers!");
        return ResultCode::FAILURE;
    }
    const size_t size = static_cast<size_t>(std::max<int32_t>(m_size, 0));
    if (!FitsInMemory(SeriesBytes(size, resolution), m_memoryLimit)) {
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    }
    return ResultCode::SUCCESS;
}

ResultCode FormulaCalculator::Run(int resolution, ProcContext* context)
{
    wxCHECK_MSG(m_proj, ResultCode::UNKNOWN_ERROR, "no project");
    ResultCode result = CheckRequest(resolution);
    if (result != ResultCode::SUCCESS)
        return result;
    result = RunProgressProc(context, &FormulaCalculator::Calculate, this);
    if (result != ResultCode::SUCCESS) {
        m_result.reset();
        return result;
    }
    MipmapBuilder builder({m_result->GetDataY().get()});
    result = RunProgressProc(context, &MipmapBuilder::Build, &builder, resolution);
    if (result != ResultCode::SUCCESS) {
        m_result.reset();
        m_message = _("Failed to allocate memory!");
        return result;
    }
    m_result->SetSource(std::make_shared<FormulaSeriesSource>(m_formula));
    m_proj->Add(m_result);
    m_proj->GetItem(m_proj->GetCount() - 1)->SetLabel(m_label);
    m_result.reset();
    return ResultCode::SUCCESS;
}

const FormulaCalculator::SeriesView* FormulaCalculator::FindSeries(double n,
                                                                   SeriesView& scratch) const
{
    const size_t count = m_seriesTaken ? m_series.size()
                         : m_proj      ? static_cast<size_t>(m_proj->GetCount())
                                       : 0;
    size_t index = 0;
    if (!SeriesIndex(n, count, index))
        return nullptr;
    if (m_seriesTaken)
        return &m_series[index];
    const std::shared_ptr<GraphData> data = m_proj->GetItem(static_cast<int>(index));
    scratch = SeriesView{data->GetDataX(), data->GetDataY()->raw.data(), data->GetCount()};
    return &scratch;
}

double FormulaCalculator::ValueAtX(double n, double x)
{
    SeriesView scratch;
    const SeriesView* found = FindSeries(n, scratch);
    if (!found)
        return 0.0;
    const SeriesView& series = *found;
    if (series.dataX.IsExplicit())
        return InterpolateExplicit(series, x);
    const double t = (x - series.dataX.start) / series.dataX.interval;
    const double k = std::floor(t);
    // Also 0.0 at the last point's own X, and for NaN or infinite x.
    if (std::isnan(t) || k < 0.0 || k > INT32_MAX || k + 1.0 >= static_cast<double>(series.count))
        return 0.0;
    const size_t j = static_cast<size_t>(k);
    const double f = t - k;
    return (1.0 - f) * series.values[j] + f * series.values[j + 1];
}

namespace {

// Where the last search in each of a few X arrays ended, per thread: a formula reads its
// series at rising x, so the next point mostly lies in the same or the next interval.
struct SearchHint
{
    const double* xs = nullptr;
    size_t j = 0;
};
constexpr size_t HINTS = 4;
thread_local SearchHint t_hints[HINTS];
thread_local size_t t_nextHint = 0;

// The last j with xs[j] <= x, for xs[0] <= x: from j by doubling steps, then binary search.
size_t SearchFrom(const double* xs, size_t n, double x, size_t j)
{
    size_t lo, hi; // the answer lies in [lo, hi)
    if (xs[j] <= x) {
        lo = j;
        hi = j + 1;
        for (size_t step = 1; hi < n && xs[hi] <= x; step *= 2) {
            lo = hi;
            hi = std::min(n, j + 1 + step);
        }
    } else {
        hi = j;
        lo = j;
        for (size_t step = 1; lo > 0 && xs[lo] > x; step *= 2) {
            hi = lo;
            lo = j > step ? j - step : 0;
        }
        hi = std::min(hi + 1, n);
    }
    return size_t(std::upper_bound(xs + lo, xs + hi, x) - xs) - 1;
}

} // namespace

// Between the neighbours found by search; 0.0 outside them, as for regular X.
double FormulaCalculator::InterpolateExplicit(const SeriesView& series, double x)
{
    const double* xs = series.dataX.ExplicitValues()->data();
    const size_t n = std::min(series.count, series.dataX.ExplicitValues()->size());
    if (std::isnan(x) || n < 2 || !(x >= xs[0]))
        return 0.0;
    SearchHint* hint = std::find_if(std::begin(t_hints), std::end(t_hints),
                                    [xs](const SearchHint& h) { return h.xs == xs; });
    if (hint == std::end(t_hints)) {
        hint = &t_hints[t_nextHint++ % HINTS];
        *hint = SearchHint{xs, 0};
    }
    const size_t j = SearchFrom(xs, n, x, std::min(hint->j, n - 1));
    hint->j = j;
    if (j + 1 >= n)
        return 0.0;
    const double f = (x - xs[j]) / (xs[j + 1] - xs[j]);
    return (1.0 - f) * series.values[j] + f * series.values[j + 1];
}

double FormulaCalculator::ValueAtIndex(double n, double i)
{
    SeriesView scratch;
    const SeriesView* series = FindSeries(n, scratch);
    if (!series || std::isnan(i))
        return 0.0;
    const double k = std::trunc(i);
    if (k < 0.0 || k > INT32_MAX || k >= static_cast<double>(series->count))
        return 0.0;
    return series->values[static_cast<size_t>(k)];
}

double FormulaCalculator::Random()
{
    return m_normal(m_engine);
}
