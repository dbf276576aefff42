#include <atomic>
#include <thread>
#include <vector>

#include <wx/frame.h>
#include <wx/log.h>

#include "progress/ProgressDlg.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace {

// A worker in the usual shape: builds its result step by step, reports, polls for
// cancellation, and takes its partial result back when cancelled.
class StepWorker
{
public:
    int steps = 100;
    bool waitForCancel = false; // after the steps, wait until cancelled
    std::vector<int> built;
    std::thread::id thread;
    std::atomic<bool> ran{false};
    std::atomic<bool> finished{false};
    // Busy work on the way out after a cancel, so that a dialog that does not wait for its
    // thread would return while the worker is still at it.
    int cancelCleanupSpins = 0;

    ResultCode Run(int messageEvery, Progress* progress)
    {
        ran = true;
        thread = std::this_thread::get_id();
        for (int i = 0; i < steps; ++i) {
            if (progress->IsCancelled())
                return Cancel();
            built.push_back(i);
            progress->SetPosition(i + 1, steps);
            if ((i + 1) % messageEvery == 0)
                progress->SetMessage(wxString::Format("step %d", i + 1));
        }
        // Waiting without a sleep; the deadline only keeps a broken dialog from hanging.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (waitForCancel && std::chrono::steady_clock::now() < deadline) {
            if (progress->IsCancelled())
                return Cancel();
            std::this_thread::yield();
        }
        finished = true;
        return ResultCode::SUCCESS;
    }

private:
    ResultCode Cancel()
    {
        for (int i = 0; i < cancelCleanupSpins; ++i)
            std::this_thread::yield();
        built.clear();
        finished = true;
        return ResultCode::CANCELLED;
    }
};

class ProgressDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { frame = new wxFrame(nullptr, wxID_ANY, "owner"); }
    void TearDown() override { delete frame; }

    RealModalScope allow; // the dialog really runs its modal loop here
    wxFrame* frame = nullptr;
};

TEST_F(ProgressDlgTest, RunsTheProcedureOnItsThreadAndClosesByItself)
{
    ProgressDlg dlg(frame);
    int positions = 0, messages = 0, completed = 0;
    ProgressUpdateInfo last{0, 0};
    dlg.Bind(EVT_PROGRESS_UPDATE_POS, [&](wxThreadEvent& e) {
        ++positions;
        last = e.GetPayload<ProgressUpdateInfo>();
        e.Skip();
    });
    dlg.Bind(EVT_PROGRESS_UPDATE_MSG, [&](wxThreadEvent& e) {
        ++messages;
        e.Skip();
    });
    dlg.Bind(EVT_PROGRESS_COMPLETED, [&](wxThreadEvent& e) {
        ++completed;
        e.Skip();
    });
    EXPECT_EQ("Now processing...", dlg.GetMessageText()->GetLabel());

    StepWorker worker;
    const ResultCode rc = RunProgressProc(&dlg, &StepWorker::Run, &worker, 20);

    EXPECT_EQ(ResultCode::SUCCESS, rc);
    EXPECT_NE(std::this_thread::get_id(), worker.thread);
    EXPECT_EQ(100u, worker.built.size());
    EXPECT_FALSE(dlg.IsShown());
    // Everything the worker queued is handled before the dialog closes, in order.
    PumpPending();
    EXPECT_EQ(100, positions);
    EXPECT_EQ(5, messages);
    EXPECT_EQ(1, completed);
    EXPECT_EQ(100, last.range);
    EXPECT_EQ(100, last.position);
    EXPECT_EQ(100, dlg.GetGauge()->GetRange());
    EXPECT_EQ(100, dlg.GetGauge()->GetValue());
    EXPECT_EQ("step 100", dlg.GetMessageText()->GetLabel());
}

TEST_F(ProgressDlgTest, InstantProcedureStillCloses)
{
    ProgressDlg dlg(frame);
    StepWorker worker;
    worker.steps = 0;
    EXPECT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &worker, 1));
    EXPECT_TRUE(worker.ran);
    EXPECT_EQ(0, dlg.GetGauge()->GetValue());
}

// Cancel by the button and by the window's close box: either way the procedure removes
// its partial work, returns 1, and the dialog ends only after the thread has.
TEST_F(ProgressDlgTest, CancelStopsTheProcedureAndDiscardsItsWork)
{
    const struct
    {
        const char* name;
        bool closeBox;
    } rows[] = {{"Cancel button", false}, {"close box", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProgressDlg dlg(frame);
        StepWorker worker;
        worker.steps = 10;
        worker.waitForCancel = true;
        worker.cancelCleanupSpins = 20000;
        int positions = 0;
        dlg.Bind(EVT_PROGRESS_UPDATE_POS, [&](wxThreadEvent& e) {
            e.Skip();
            if (++positions != 3)
                return;
            dlg.CallAfter([&dlg, &row] {
                if (row.closeBox) {
                    dlg.Close();
                } else {
                    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                    click.SetEventObject(dlg.GetCancelButton());
                    dlg.GetCancelButton()->ProcessWindowEvent(click);
                }
            });
        });
        const ResultCode rc = RunProgressProc(&dlg, &StepWorker::Run, &worker, 1000);
        EXPECT_TRUE(worker.finished); // never returns while the worker runs
        EXPECT_EQ(1, rc.code);
        EXPECT_TRUE(worker.built.empty());
        EXPECT_FALSE(dlg.IsShown());
    }
}

TEST_F(ProgressDlgTest, OneDialogRunsTwoProceduresInARow)
{
    ProgressDlg dlg(frame);
    StepWorker first, second;
    first.steps = 4;
    second.steps = 2;
    ASSERT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &first, 4));
    PumpPending();
    EXPECT_EQ("step 4", dlg.GetMessageText()->GetLabel());
    ASSERT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &second, 1000));
    PumpPending();
    EXPECT_EQ(2u, second.built.size());
    EXPECT_NE(first.thread, std::thread::id());
    EXPECT_EQ("step 4", dlg.GetMessageText()->GetLabel()); // the second sent no message
    EXPECT_EQ(2, dlg.GetGauge()->GetRange());
}

class NoThreadDlg : public ProgressDlg
{
public:
    using ProgressDlg::ProgressDlg;

protected:
    wxThreadError RunThread(ProgressThread*) override { return wxTHREAD_NO_RESOURCE; }
};

TEST_F(ProgressDlgTest, ThreadThatCannotStartIsReportedNotSuccess)
{
    NoThreadDlg dlg(frame);
    StepWorker worker;
    ExpectWxAsserts asserts; // the start failure also asserts
    wxLogNull quiet;         // and logs "Can't create the thread!"
    const ResultCode rc = RunProgressProc(&dlg, &StepWorker::Run, &worker, 1);
    EXPECT_EQ(ResultCode::NOT_STARTED, rc);
    EXPECT_FALSE(worker.ran);
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_EQ(1, asserts.Count());
}

TEST_F(ProgressDlgTest, ShowModalIsRefused)
{
    ProgressDlg dlg(frame);
    ExpectWxAsserts asserts;
    EXPECT_EQ(0, dlg.ShowModal());
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_EQ(1, asserts.Count());
}

} // namespace
