#include <gtest/gtest.h>

#include "progress/ProgressProc.h"
#include "support/TestSupport.h"

// Without a context the worker runs here; with one, where the context runs it, reporting
// its progress. A context that says it failed, or returns without running the procedure
// (a dialog closed before its thread started), must not pass for a success.
TEST(RunProgressProc, RunsHereOrThroughTheContext)
{
    struct Skipping : ProcContext
    {
        bool answer;
        explicit Skipping(bool a) : answer(a) {}
        bool Execute(std::shared_ptr<ProgressProcBase>) override { return answer; }
    } failed(false), skipped(true);
    ThreadProcContext thread;
    const std::pair<ProcContext*, ResultCode> rows[] = {{nullptr, ResultCode::SUCCESS},
                                                        {&thread, ResultCode::SUCCESS},
                                                        {&failed, ResultCode::NOT_STARTED},
                                                        {&skipped, ResultCode::NOT_STARTED}};
    for (const auto& [context, result] : rows) {
        SCOPED_TRACE(context == &skipped ? "skipped" : context == &failed ? "failed" : "ran");
        StepWorker worker;
        EXPECT_EQ(RunProgressProc(context, &StepWorker::Run, &worker, 100), result);
        EXPECT_EQ(worker.built.size(), result.IsSuccess() ? 100u : 0u);
        EXPECT_EQ(worker.thread == std::this_thread::get_id(), context == nullptr);
    }
    EXPECT_EQ(thread.Record().messages, std::vector<std::string>{"step 100"});
    EXPECT_EQ(thread.Record().positions.back(), std::make_pair(100, 100));
}

TEST(ReportPosition, ScalesSixtyFourBitCountsIntoIntRange)
{
    ThreadProcContext context;
    ReportPosition(context, 10, 20);
    ReportPosition(context, int64_t(3) << 32, int64_t(4) << 32);
    EXPECT_EQ(context.Record().positions,
              (std::vector<std::pair<int, int>>{{10, 20}, {3 << 28, 1 << 30}}));
}
