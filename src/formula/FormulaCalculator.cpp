#include "formula/FormulaCalculator.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <exception>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

#include <wx/debug.h>
#include <wx/intl.h>

#include "formula/FormulaParser.h"
#include "model/GraphProject.h"

namespace {

// Cancel is polled every kBlock points; the points are also computed in blocks of that
// size, so the hot loop has no test but its bound.
constexpr int64_t kBlock = 10000;
// How many blocks the calling thread may compute past the first unreported one.
constexpr int64_t kMaxAhead = 8;

// One thread's view of the formula: the root and the parameters it reads.
struct Evaluator
{
    const FormulaAst::Base<double>* root;
    double* x;
    double* i;
    DataX dataX;
};

struct Block
{
    std::atomic<bool> done{false};
    int64_t failedAt = -1;
    std::exception_ptr error;
};

void EvaluateBlock(const Evaluator& evaluator, double* out, int64_t begin, int64_t end,
                   Block& block)
{
    // Locals, so the loop keeps them in registers across the virtual calls.
    const FormulaAst::Base<double>* const root = evaluator.root;
    double* const x = evaluator.x;
    double* const i = evaluator.i;
    const double start = evaluator.dataX.start;
    const double interval = evaluator.dataX.interval;
    int64_t k = begin;
    try {
        for (; k < end; ++k) {
            const double index = static_cast<double>(k);
            *i = index;
            *x = interval * index + start;
            out[k] = root->Evaluate();
        }
    } catch (...) {
        block.failedAt = k;
        block.error = std::current_exception();
    }
    block.done.store(true, std::memory_order_release);
}

// Makes exactly the Progress calls of a point-by-point loop that reports its position
// at every multiple of `step` and polls cancel at every multiple of kBlock, after the
// point of that index has been computed.
class Reporter
{
public:
    Reporter(Progress& progress, int64_t size)
        : m_progress(progress), m_size(size), m_step(std::max<int64_t>(size / 500, 1))
    {
    }

    // Reports the points before `end`. False when cancelled.
    bool PassTo(int64_t end)
    {
        for (;;) {
            const int64_t index = std::min(m_nextPosition, m_nextPoll);
            if (index >= end)
                return true;
            if (index == m_nextPosition) {
                m_progress.SetPosition(static_cast<int>(index), static_cast<int>(m_size));
                m_nextPosition += m_step;
            }
            if (index == m_nextPoll) {
                m_nextPoll += kBlock;
                if (m_progress.IsCancelled())
                    return false;
            }
        }
    }

private:
    Progress& m_progress;
    int64_t m_size;
    int64_t m_step;
    int64_t m_nextPosition = 0;
    int64_t m_nextPoll = 0;
};

// Computes all blocks; the calling thread reports them strictly in point order, so a
// helper thread taking blocks from the same counter changes no observable order: the
// first failure in point order wins, and nothing is reported past it or past a cancel.
class BlockRun
{
public:
    BlockRun(double* out, int64_t size)
        : m_out(out), m_size(size), m_count((size + kBlock - 1) / kBlock),
          m_blocks(new Block[static_cast<size_t>(m_count)])
    {
    }
    ~BlockRun() { StopHelper(); }
    BlockRun(const BlockRun&) = delete;
    BlockRun& operator=(const BlockRun&) = delete;

    void StartHelper(const Evaluator& evaluator)
    {
        try {
            m_helper = std::thread([this, evaluator] { HelperLoop(evaluator); });
        } catch (const std::system_error&) {
            // No thread: the calling one does all the work.
        }
    }

    // False when cancelled; rethrows the first failure in point order.
    bool Run(const Evaluator& evaluator, Reporter* reporter)
    {
        for (int64_t b = 0; b < m_count; ++b) {
            Block& block = m_blocks[b];
            // While the helper finishes block b, compute later ones, but stay close
            // enough to the reports that a cancel is still seen soon.
            while (!block.done.load(std::memory_order_acquire)) {
                if (m_next.load(std::memory_order_relaxed) < b + kMaxAhead) {
                    const int64_t claimed = m_next.fetch_add(1, std::memory_order_relaxed);
                    if (claimed < m_count) {
                        Compute(evaluator, claimed);
                        continue;
                    }
                }
                std::this_thread::yield();
            }
            const int64_t end = block.error ? block.failedAt : std::min(m_size, (b + 1) * kBlock);
            if (reporter && !reporter->PassTo(end)) {
                StopHelper();
                return false;
            }
            if (block.error) {
                StopHelper();
                std::rethrow_exception(block.error);
            }
        }
        StopHelper();
        return true;
    }

private:
    void Compute(const Evaluator& evaluator, int64_t b)
    {
        EvaluateBlock(evaluator, m_out, b * kBlock, std::min(m_size, (b + 1) * kBlock),
                      m_blocks[b]);
    }

    void HelperLoop(Evaluator evaluator)
    {
        while (!m_stop.load(std::memory_order_relaxed)) {
            const int64_t claimed = m_next.fetch_add(1, std::memory_order_relaxed);
            if (claimed >= m_count || (Compute(evaluator, claimed), m_blocks[claimed].error))
                return;
        }
    }

    void StopHelper()
    {
        m_stop.store(true, std::memory_order_relaxed);
        if (m_helper.joinable())
            m_helper.join();
    }

    double* m_out;
    int64_t m_size;
    int64_t m_count;
    std::unique_ptr<Block[]> m_blocks;
    std::atomic<int64_t> m_next{0};
    std::atomic<bool> m_stop{false};
    std::thread m_helper;
};

wxString ParseFailureMessage(const FormulaPosition& position)
{
    // The source text of this one message is Japanese; a narrow literal would turn
    // into an empty string in the "C" locale, so it is decoded explicitly.
    return wxString::Format(
        wxGetTranslation(wxString::FromUTF8("数式のパースに失敗しました (%d 行, %d 列)!")),
        position.line, position.column);
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

bool FormulaCalculator::Compile()
{
    const std::wstring text = m_formula.ToStdWstring();
    auto prepare = [this](FormulaParser& parser, double* x, double* i, bool withRandom) {
        parser.AddStandardFunctions();
        parser.AddFunction2(L"y", this, &FormulaCalculator::ValueAtX);
        parser.AddFunction2(L"Y", this, &FormulaCalculator::ValueAtIndex);
        if (withRandom)
            parser.AddFunction0(L"rand", this, &FormulaCalculator::Random);
        parser.AddParameter(L"x", x);
        parser.AddParameter(L"i", i);
    };
    FormulaParser parser;
    prepare(parser, &m_params.x, &m_params.i, true);
    m_tree = parser.Parse(text);
    m_helperTree.reset();
    if (!m_tree) {
        m_message = ParseFailureMessage(parser.GetErrorPosition());
        return false;
    }
    // Without "rand" registered this parse fails exactly when the formula uses it.
    FormulaParser helper;
    prepare(helper, &m_helperParams.x, &m_helperParams.i, false);
    m_helperTree = helper.Parse(text);
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
        const int64_t size = static_cast<int64_t>(dataY->raw.size());
        BlockRun run(dataY->raw.data(), size);
        if (m_helperTree && m_maxThreads > 1 && size > kBlock &&
            std::thread::hardware_concurrency() > 1)
            run.StartHelper(Evaluator{m_helperTree.get(), &m_helperParams.x, &m_helperParams.i, m_dataX});
        if (progress) {
            Reporter reporter(*progress, size);
            if (!run.Run(Evaluator{m_tree.get(), &m_params.x, &m_params.i, m_dataX}, &reporter))
                return ResultCode::CANCELLED;
            progress->SetPosition(static_cast<int>(size), static_cast<int>(size));
        } else {
            run.Run(Evaluator{m_tree.get(), &m_params.x, &m_params.i, m_dataX}, nullptr);
        }
        m_result = CreateGraphData(m_dataX, dataY);
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

ResultCode FormulaCalculator::Run(int resolution, ProcContext* context)
{
    wxCHECK_MSG(m_proj, ResultCode::UNKNOWN_ERROR, "no project");
    ResultCode result = RunProgressProc(context, &FormulaCalculator::Calculate, this);
    if (result != ResultCode::SUCCESS) {
        m_result.reset();
        return result;
    }
    const std::shared_ptr<GraphDataY> dataY = m_result->GetDataY();
    result = RunProgressProc(context, &GraphDataY::CreateMipmap, dataY.get(),
                             MipmapLevelCount(dataY->raw.size(), resolution));
    if (result != ResultCode::SUCCESS) {
        m_result.reset();
        m_message = _("Failed to allocate memory!");
        return result;
    }
    m_proj->Add(m_result);
    m_proj->GetItem(m_proj->GetCount() - 1)->SetLabel(m_label);
    m_result.reset();
    return ResultCode::SUCCESS;
}

// n is compared with the count before it is truncated: with one series, y(1.9, x)
// finds none.
bool FormulaCalculator::FindSeries(double n, SeriesView& view) const
{
    const size_t count = m_seriesTaken ? m_series.size()
                         : m_proj      ? static_cast<size_t>(m_proj->GetCount())
                                       : 0;
    if (!(n >= 1.0) || static_cast<double>(count) < n)
        return false;
    const size_t index = static_cast<size_t>(n - 1.0);
    if (m_seriesTaken) {
        view = m_series[index];
    } else {
        const std::shared_ptr<GraphData> data = m_proj->GetItem(static_cast<int>(index));
        view = SeriesView{data->GetDataX(), data->GetDataY()->raw.data(), data->GetCount()};
    }
    return true;
}

double FormulaCalculator::ValueAtX(double n, double x)
{
    SeriesView series;
    if (!FindSeries(n, series))
        return 0.0;
    const double t = (x - series.dataX.start) / series.dataX.interval;
    const double k = std::floor(t);
    // Also 0.0 at the last point's own X, and for NaN or infinite x.
    if (std::isnan(t) || k < 0.0 || k > INT32_MAX ||
        k + 1.0 >= static_cast<double>(series.count))
        return 0.0;
    const size_t j = static_cast<size_t>(k);
    const double f = t - k;
    return (1.0 - f) * series.values[j] + f * series.values[j + 1];
}

double FormulaCalculator::ValueAtIndex(double n, double i)
{
    SeriesView series;
    if (!FindSeries(n, series) || std::isnan(i))
        return 0.0;
    const double k = std::trunc(i);
    if (k < 0.0 || k > INT32_MAX || k >= static_cast<double>(series.count))
        return 0.0;
    return series.values[static_cast<size_t>(k)];
}

double FormulaCalculator::Random() { return m_normal(m_engine); }
