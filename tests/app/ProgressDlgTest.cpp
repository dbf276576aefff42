#include <atomic>
#include <thread>
#include <vector>

#include <wx/frame.h>
#include <wx/log.h>

#include "app/dialogs/ProgressDlg.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace {

class ProgressDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { frame = new wxFrame(nullptr, wxID_ANY, "owner"); }
    void TearDown() override { delete frame; }

    wxFrame* frame = nullptr;
};

TEST_F(ProgressDlgTest, RunsTheProcedureOnItsThreadAndClosesByItself)
{
    ProgressDlg dlg(frame);
    StepWorker worker;
    EXPECT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &worker, 20));
    EXPECT_NE(std::this_thread::get_id(), worker.thread);
    EXPECT_EQ(100u, worker.built.size());
    EXPECT_FALSE(dlg.IsShown());
    PumpPending();
    EXPECT_EQ(100, dlg.GetGauge()->GetRange());
    EXPECT_EQ(100, dlg.GetGauge()->GetValue());
    EXPECT_EQ("step 100", dlg.GetMessageText()->GetLabel());

    // Again with the same dialog, and a procedure that may end before the dialog is up.
    StepWorker instant;
    instant.steps = 0;
    EXPECT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &instant, 1));
    EXPECT_NE(std::thread::id(), instant.thread);
}

// Cancel by the button or the close box: the procedure removes its partial work and
// returns 1, and the dialog ends only after the thread has.
TEST_F(ProgressDlgTest, CancelStopsTheProcedureAndDiscardsItsWork)
{
    const std::tuple<const char*, bool> rows[] = {{"Cancel button", false}, {"close box", true}};
    for (const auto& [name, closeBox] : rows) {
        SCOPED_TRACE(name);
        ProgressDlg dlg(frame);
        StepWorker worker;
        worker.steps = 10;
        worker.waitForCancel = true;
        int positions = 0;
        dlg.Bind(EVT_PROGRESS_UPDATE_POS, [&, closeBox = closeBox](wxThreadEvent& e) {
            e.Skip();
            wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
            if (++positions != 3)
                return;
            if (closeBox)
                dlg.Close();
            else
                dlg.GetCancelButton()->ProcessWindowEvent(click);
        });
        const ResultCode rc = RunProgressProc(&dlg, &StepWorker::Run, &worker, 1000);
        EXPECT_TRUE(worker.finished); // never returns while the worker runs
        EXPECT_EQ(1, rc.code);
        EXPECT_TRUE(worker.built.empty());
        EXPECT_FALSE(dlg.IsShown());
    }
}

class NoThreadDlg : public ProgressDlg
{
public:
    using ProgressDlg::ProgressDlg;

protected:
    wxThreadError RunThread(ProgressThread*) override { return wxTHREAD_NO_RESOURCE; }
};

// What is logged while it lives, instead of the test main's target.
class LoggedTexts : public wxLog
{
public:
    LoggedTexts() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~LoggedTexts() override { wxLog::SetActiveTarget(m_previous); }
    Rows texts;

protected:
    void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override
    {
        texts.push_back(msg.utf8_string());
    }

private:
    wxLog* m_previous;
};

// The caller reports NOT_STARTED (the command's error box); the dialog itself neither logs
// nor asserts, which showed the user the failure two or three times.
TEST_F(ProgressDlgTest, ThreadThatCannotStartIsReportedNotSuccess)
{
    NoThreadDlg dlg(frame);
    StepWorker worker;
    LoggedTexts log;
    const ResultCode rc = RunProgressProc(&dlg, &StepWorker::Run, &worker, 1);
    EXPECT_EQ(ResultCode::NOT_STARTED, rc);
    EXPECT_EQ(std::thread::id(), worker.thread); // never ran
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_EQ(Rows{}, log.texts);
}

} // namespace
