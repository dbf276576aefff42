#pragma once

// Evaluation of a formula over all points of a new series, in blocks of BLOCK_POINTS points.
// The calling thread makes every Progress call, in point order, exactly as a loop over
// single points would; a helper thread may compute blocks too, since the points are
// independent when the formula draws no random numbers.

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>

#include "formula/FormulaAst.h"
#include "model/GraphData.h"
#include "progress/Progress.h"

namespace FormulaBlocks {

// Cancel is polled every BLOCK_POINTS points; the points are also computed in blocks of that
// size, so the hot loop has no test but its bound.
constexpr int64_t BLOCK_POINTS = 10000;

// One thread's view of the formula: the root and the parameters it reads.
struct Evaluator
{
    const FormulaAst::Base<double>* root;
    double* x;
    double* i;
    DataX dataX;
    // Through EvaluateBlock (a tree without side effects), else point by point.
    bool inBlocks = false;
};

// Makes exactly the Progress calls of a point-by-point loop that reports its position
// at every multiple of size / 500 (at least 1) and polls cancel at every multiple of
// BLOCK_POINTS, each after the point of that index has been computed.
class Reporter
{
public:
    Reporter(Progress& progress, int64_t size);
    // Reports the points before `end`. False when cancelled.
    bool PassTo(int64_t end);

private:
    Progress& m_progress;
    int64_t m_size;
    int64_t m_step;
    int64_t m_nextPosition = 0;
    int64_t m_nextPoll = 0;
};

// Computes out[0, size). The calling thread reports the blocks strictly in point order,
// so a helper thread changes no observable order: the first failure in point order
// wins, and nothing is reported past it or past a cancel.
class BlockRun
{
public:
    BlockRun(double* out, int64_t size);
    ~BlockRun(); // stops and joins the helper
    BlockRun(const BlockRun&) = delete;
    BlockRun& operator=(const BlockRun&) = delete;

    // Starts a helper thread over its own evaluator; without a thread, nothing changes.
    void StartHelper(const Evaluator& evaluator);
    // False when cancelled; rethrows the first failure in point order.
    bool Run(const Evaluator& evaluator, Reporter* reporter);

private:
    struct Block
    {
        std::atomic<bool> done{false};
        int64_t failedAt = -1;
        std::exception_ptr error;
    };

    void Compute(const Evaluator& evaluator, int64_t b);
    void ComputePoints(const Evaluator& evaluator, int64_t b);
    // False when the tree threw somewhere in the block: its points are then computed one by
    // one, which finds the exact point, and which of its errors, the loop would stop at.
    bool ComputeInBlocks(const Evaluator& evaluator, int64_t b);
    void HelperLoop(Evaluator evaluator);
    void StopHelper();

    double* m_out;
    int64_t m_size;
    int64_t m_count;
    std::unique_ptr<Block[]> m_blocks;
    std::atomic<int64_t> m_next{0};
    std::atomic<bool> m_stop{false};
    std::thread m_helper;
};

} // namespace FormulaBlocks
