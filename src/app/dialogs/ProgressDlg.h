#pragma once

#include <functional>
#include <memory>

#include <wx/event.h>
#include <wx/thread.h>

#include "progress/Progress.h"
#include "progress/ProgressProc.h"
#include "ui/ProgressDlgDesign.h"

class ProgressDlg;

// Payload of EVT_PROGRESS_UPDATE_POS.
struct ProgressUpdateInfo
{
    int32_t range;
    int32_t position;
};

wxDECLARE_EVENT(EVT_PROGRESS_UPDATE_POS, wxThreadEvent);
wxDECLARE_EVENT(EVT_PROGRESS_UPDATE_MSG, wxThreadEvent);

// The detached worker thread of one Execute. It reaches the dialog only by queuing
// events; when it ends it clears the dialog's thread pointer and deletes itself.
class ProgressThread : public wxThread, public Progress
{
public:
    ProgressThread(ProgressDlg* dlg, std::shared_ptr<ProgressProcBase> proc);
    ~ProgressThread() override;

    void SetPosition(int position, int total) override;
    void SetMessage(const wxString& message) override;
    bool IsCancelled() override { return TestDestroy(); }

    // Tests only: run on the worker before the operation, so a test can hold it there until
    // it has pressed Cancel (a small file is otherwise read before the click lands).
    static inline std::function<void(ProgressThread&)> beforeWork;

protected:
    ExitCode Entry() override;

private:
    ProgressDlg* m_dlg;
    std::shared_ptr<ProgressProcBase> m_proc;
};

// The modal dialog behind which a long operation runs on a worker thread. Execute returns
// only once that thread has ended, whether it finished or was cancelled.
class ProgressDlg : public ProgressDlgDesign, public ProcContext
{
public:
    explicit ProgressDlg(wxWindow* parent);
    ~ProgressDlg() override;

    // False when the worker thread could not be started (the procedure has not run).
    bool Execute(std::shared_ptr<ProgressProcBase> proc) override;

    // Only Execute shows this dialog.
    int ShowModal() override;

protected:
    void OnClose(wxCloseEvent& event) override;
    void OnIdle(wxIdleEvent& event) override;
    void OnInitDialog(wxInitDialogEvent& event) override;
    void ButtonCancel_OnButtonClick(wxCommandEvent& event) override;

    // Starts the thread; a seam for tests that need a thread that can't start.
    virtual wxThreadError RunThread(ProgressThread* thread) { return thread->Run(); }

private:
    friend class ProgressThread;

    void DoStartThread();
    void ClearThread(); // called by the ending thread
    bool HasThread();

    void Thread_OnProgressUpdatePos(wxThreadEvent& event);
    void Thread_OnProgressUpdateMsg(wxThreadEvent& event);

    std::shared_ptr<ProgressProcBase> m_proc;
    ProgressThread* m_pThread = nullptr;
    wxCriticalSection m_threadLock;
    bool m_startFailed = false;
};
