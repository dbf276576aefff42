// The progress dialog around a worker thread (RunProgressProc's own rules are the
// progress library's tests).
#include <thread>

#include <wx/frame.h>
#include <wx/log.h>

#include "app/dialogs/ProgressDlg.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace {

class NoThreadDlg : public ProgressDlg
{
public:
    using ProgressDlg::ProgressDlg;

protected:
    wxThreadError RunThread(ProgressThread*) override { return wxTHREAD_NO_RESOURCE; }
};

// What is logged while it lives, instead of the test main's target.
struct LoggedTexts : wxLog
{
    LoggedTexts() : previous(wxLog::SetActiveTarget(this)) {}
    ~LoggedTexts() override { wxLog::SetActiveTarget(previous); }
    void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override
    {
        texts.push_back(msg.utf8_string());
    }
    wxLog* previous;
    Rows texts;
};

// The procedure runs on its own thread and the dialog closes by itself, also when used
// again with a procedure that may end before the dialog is up.
TEST(ProgressDlg, RunsTheProcedureOnItsThreadAndClosesByItself)
{
    wxFrame frame(nullptr, wxID_ANY, "owner");
    ProgressDlg dlg(&frame);
    StepWorker worker, instant;
    instant.steps = 0;
    EXPECT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &worker, 20));
    EXPECT_NE(std::this_thread::get_id(), worker.thread);
    EXPECT_FALSE(dlg.IsShown());
    PumpPending();
    EXPECT_EQ(
        wxString::Format("%d %d step 100", dlg.GetGauge()->GetRange(), dlg.GetGauge()->GetValue()),
        "100 100 " + dlg.GetMessageText()->GetLabel());
    EXPECT_EQ(ResultCode::SUCCESS, RunProgressProc(&dlg, &StepWorker::Run, &instant, 1));
    EXPECT_NE(std::thread::id(), instant.thread);
}

// Cancel by the button or the close box: the procedure removes its partial work and
// returns 1, and the dialog ends only after the thread has. A thread that cannot start is
// NOT_STARTED for the caller's error box; the dialog itself neither logs nor asserts,
// which showed the user the failure two or three times.
TEST(ProgressDlg, CancelAndAThreadThatCannotStart)
{
    wxFrame frame(nullptr, wxID_ANY, "owner");
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox);
        ProgressDlg dlg(&frame);
        StepWorker worker;
        worker.steps = 10;
        worker.waitForCancel = true;
        int positions = 0;
        dlg.Bind(EVT_PROGRESS_UPDATE_POS, [&](wxThreadEvent& e) {
            e.Skip();
            wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
            if (++positions == 3 && closeBox)
                dlg.Close();
            else if (positions == 3)
                dlg.GetCancelButton()->ProcessWindowEvent(click);
        });
        const ResultCode rc = RunProgressProc(&dlg, &StepWorker::Run, &worker, 1000);
        EXPECT_TRUE(worker.finished); // never returns while the worker runs
        EXPECT_EQ(1, rc.code);
        EXPECT_TRUE(worker.built.empty());
        EXPECT_FALSE(dlg.IsShown());
    }
    NoThreadDlg dlg(&frame);
    StepWorker worker;
    LoggedTexts log;
    EXPECT_EQ(ResultCode::NOT_STARTED, RunProgressProc(&dlg, &StepWorker::Run, &worker, 1));
    EXPECT_EQ(std::thread::id(), worker.thread); // never ran
    EXPECT_EQ(Rows{}, log.texts);
}

} // namespace
