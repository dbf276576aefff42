#include <gtest/gtest.h>

#include <thread>

#include "progress/ProgressProc.h"
#include "support/TestSupport.h"

namespace {

// A worker in the shape of the real ones: a member function taking a Progress.
class Worker
{
public:
    ResultCode Work(int steps, Progress* progress)
    {
        threadId = std::this_thread::get_id();
        progress->SetMessage("Working...");
        for (int i = 0; i < steps; ++i) {
            progress->SetPosition(i, steps);
            if (progress->IsCancelled()) {
                done.clear();
                return ResultCode::CANCELLED;
            }
            done.push_back(i);
        }
        return ResultCode::SUCCESS;
    }
    std::vector<int> done;
    std::thread::id threadId;
};

// Without a context the worker runs here and cannot cancel; with one, on another thread
// that reports its progress.
TEST(RunProgressProc, RunsHereWithoutAContextAndElsewhereWithOne)
{
    Worker here, there;
    EXPECT_EQ(RunProgressProc(nullptr, &Worker::Work, &here, 5), ResultCode::SUCCESS);
    EXPECT_EQ(here.done.size(), 5u);
    EXPECT_EQ(here.threadId, std::this_thread::get_id());

    ThreadProcContext context;
    EXPECT_EQ(RunProgressProc(&context, &Worker::Work, &there, 3), ResultCode::SUCCESS);
    EXPECT_NE(there.threadId, std::this_thread::get_id());
    ProgressRecord record = context.Record();
    EXPECT_EQ(record.messages, std::vector<std::string>{"Working..."});
    EXPECT_EQ(record.positions, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}}));
}

// A cancel returns one code and the worker cleans up; a context that cannot run the
// procedure reports NOT_STARTED and the worker never ran.
TEST(RunProgressProc, CancelledOrNotStarted)
{
    Worker worker;
    ThreadProcContext context;
    context.cancelAfterPositions = 4;
    EXPECT_EQ(RunProgressProc(&context, &Worker::Work, &worker, 100), ResultCode::CANCELLED);
    EXPECT_TRUE(worker.done.empty());

    // Whether the context says it failed or returns without running the procedure (a
    // dialog closed before its thread started), the caller must not see a success.
    struct SkippingContext : ProcContext
    {
        bool answer;
        explicit SkippingContext(bool a) : answer(a) {}
        bool Execute(std::shared_ptr<ProgressProcBase>) override { return answer; }
    };
    for (bool answer : {false, true}) {
        SkippingContext skipping(answer);
        Worker fresh;
        EXPECT_EQ(RunProgressProc(&skipping, &Worker::Work, &fresh, 3), ResultCode::NOT_STARTED)
            << answer;
        EXPECT_TRUE(fresh.done.empty());
    }
}

TEST(ReportPosition, ScalesSixtyFourBitCountsIntoIntRange)
{
    ThreadProcContext context;
    ReportPosition(context, 10, 20);
    ReportPosition(context, int64_t(3) << 32, int64_t(4) << 32);
    EXPECT_EQ(context.Record().positions,
              (std::vector<std::pair<int, int>>{{10, 20}, {3 << 28, 1 << 30}}));
}

} // namespace
