#include "formula/FormulaBlocks.h"

#include <algorithm>
#include <system_error>

namespace FormulaBlocks {

namespace {

// How many blocks the calling thread may compute past the first unreported one, so
// that a cancel is still seen soon while the helper is slow.
constexpr int64_t MAX_AHEAD = 8;

} // namespace

Reporter::Reporter(Progress& progress, int64_t size)
    : m_progress(progress), m_size(size), m_step(std::max<int64_t>(size / 500, 1))
{
}

bool Reporter::PassTo(int64_t end)
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
            m_nextPoll += BLOCK_POINTS;
            if (m_progress.IsCancelled())
                return false;
        }
    }
}

BlockRun::BlockRun(double* out, int64_t size)
    : m_out(out), m_size(size), m_count((size + BLOCK_POINTS - 1) / BLOCK_POINTS),
      m_blocks(new Block[static_cast<size_t>(m_count)])
{
}

BlockRun::~BlockRun()
{
    StopHelper();
}

void BlockRun::StartHelper(const Evaluator& evaluator)
{
    try {
        m_helper = std::thread([this, evaluator] { HelperLoop(evaluator); });
    } catch (const std::system_error&) {
        // No thread: the calling one does all the work.
    }
}

bool BlockRun::Run(const Evaluator& evaluator, Reporter* reporter)
{
    for (int64_t b = 0; b < m_count; ++b) {
        Block& block = m_blocks[b];
        // While the helper finishes block b, compute later ones, within MAX_AHEAD.
        while (!block.done.load(std::memory_order_acquire)) {
            if (m_next.load(std::memory_order_relaxed) < b + MAX_AHEAD) {
                const int64_t claimed = m_next.fetch_add(1, std::memory_order_relaxed);
                if (claimed < m_count) {
                    Compute(evaluator, claimed);
                    continue;
                }
            }
            std::this_thread::yield();
        }
        const int64_t end = block.error ? block.failedAt : std::min(m_size, (b + 1) * BLOCK_POINTS);
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

void BlockRun::Compute(const Evaluator& evaluator, int64_t b)
{
    if (!evaluator.inBlocks || !ComputeInBlocks(evaluator, b))
        ComputePoints(evaluator, b);
    m_blocks[b].done.store(true, std::memory_order_release);
}

bool BlockRun::ComputeInBlocks(const Evaluator& evaluator, int64_t b)
{
    using Points = FormulaAst::BlockPoints<double>;
    const double start = evaluator.dataX.start;
    const double interval = evaluator.dataX.interval;
    const double* const xs =
        evaluator.dataX.IsExplicit() ? evaluator.dataX.ExplicitValues()->data() : nullptr;
    const int64_t end = std::min(m_size, (b + 1) * BLOCK_POINTS);
    double x[Points::SIZE], i[Points::SIZE];
    Points points;
    points.Bind(1, evaluator.i, i);
    try {
        for (int64_t k = b * BLOCK_POINTS; k < end; k += int64_t(Points::SIZE)) {
            points.n = size_t(std::min<int64_t>(end - k, Points::SIZE));
            for (size_t j = 0; j < points.n; ++j) {
                // The very arithmetic of the point-by-point loop, so x is the same to the bit.
                i[j] = static_cast<double>(k + int64_t(j));
                x[j] = interval * i[j] + start;
            }
            points.Bind(0, evaluator.x, xs ? xs + k : x);
            evaluator.root->EvaluateBlock(m_out + k, points);
        }
    } catch (...) {
        return false;
    }
    return true;
}

void BlockRun::ComputePoints(const Evaluator& evaluator, int64_t b)
{
    // Locals, so the loop keeps them in registers across the virtual calls.
    const FormulaAst::Base<double>* const root = evaluator.root;
    double* const x = evaluator.x;
    double* const i = evaluator.i;
    double* const out = m_out;
    const double start = evaluator.dataX.start;
    const double interval = evaluator.dataX.interval;
    const double* const xs =
        evaluator.dataX.IsExplicit() ? evaluator.dataX.ExplicitValues()->data() : nullptr;
    const int64_t end = std::min(m_size, (b + 1) * BLOCK_POINTS);
    Block& block = m_blocks[b];
    int64_t k = b * BLOCK_POINTS;
    try {
        for (; k < end; ++k) {
            const double index = static_cast<double>(k);
            *i = index;
            *x = xs ? xs[k] : interval * index + start;
            out[k] = root->Evaluate();
        }
    } catch (...) {
        block.failedAt = k;
        block.error = std::current_exception();
    }
}

void BlockRun::HelperLoop(Evaluator evaluator)
{
    while (!m_stop.load(std::memory_order_relaxed)) {
        const int64_t claimed = m_next.fetch_add(1, std::memory_order_relaxed);
        if (claimed >= m_count)
            return;
        Compute(evaluator, claimed);
        if (m_blocks[claimed].error)
            return; // the calling thread stops at this block at the latest
    }
}

void BlockRun::StopHelper()
{
    m_stop.store(true, std::memory_order_relaxed);
    if (m_helper.joinable())
        m_helper.join();
}

} // namespace FormulaBlocks
