#include "app/dialogs/ProgressDlg.h"

#include <wx/app.h>
#include <wx/log.h>
#include <wx/utils.h>

wxDEFINE_EVENT(EVT_PROGRESS_UPDATE_POS, wxThreadEvent);
wxDEFINE_EVENT(EVT_PROGRESS_UPDATE_MSG, wxThreadEvent);

ProgressThread::ProgressThread(ProgressDlg* dlg, std::shared_ptr<ProgressProcBase> proc)
    : wxThread(wxTHREAD_DETACHED), m_dlg(dlg), m_proc(std::move(proc))
{
}

ProgressThread::~ProgressThread()
{
    m_dlg->ClearThread();
    m_proc.reset();
}

wxThread::ExitCode ProgressThread::Entry()
{
    if (beforeWork)
        beforeWork(*this);
    m_proc->Process(this);
    return nullptr;
}

void ProgressThread::SetPosition(int position, int total)
{
    auto* event = new wxThreadEvent(EVT_PROGRESS_UPDATE_POS, wxID_ANY);
    event->SetPayload(ProgressUpdateInfo{total, position});
    wxQueueEvent(m_dlg, event);
}

void ProgressThread::SetMessage(const wxString& message)
{
    auto* event = new wxThreadEvent(EVT_PROGRESS_UPDATE_MSG, wxID_ANY);
    event->SetString(message); // SetString makes a deep copy for the other thread
    wxQueueEvent(m_dlg, event);
}

ProgressDlg::ProgressDlg(wxWindow* parent) : ProgressDlgDesign(parent)
{
    Bind(EVT_PROGRESS_UPDATE_POS, &ProgressDlg::Thread_OnProgressUpdatePos, this);
    Bind(EVT_PROGRESS_UPDATE_MSG, &ProgressDlg::Thread_OnProgressUpdateMsg, this);
}

ProgressDlg::~ProgressDlg()
{
    Unbind(EVT_PROGRESS_UPDATE_POS, &ProgressDlg::Thread_OnProgressUpdatePos, this);
    Unbind(EVT_PROGRESS_UPDATE_MSG, &ProgressDlg::Thread_OnProgressUpdateMsg, this);
}

bool ProgressDlg::Execute(std::shared_ptr<ProgressProcBase> proc)
{
    m_proc = std::move(proc);
    m_startFailed = false;
    ProgressDlgDesign::ShowModal();
    return !m_startFailed;
}

int ProgressDlg::ShowModal()
{
    wxFAIL_MSG("0");
    return 0;
}

void ProgressDlg::OnInitDialog(wxInitDialogEvent& event)
{
    event.Skip();
    DoStartThread();
}

void ProgressDlg::DoStartThread()
{
    wxASSERT(0 == m_pThread);
    wxASSERT(m_proc != 0);
    auto* thread = new ProgressThread(this, m_proc);
    {
        wxCriticalSectionLocker lock(m_threadLock);
        m_pThread = thread;
    }
    // The failure is the command's to report (Execute returns false); saying it here too
    // would show it twice.
    if (RunThread(thread) != wxTHREAD_NO_ERROR) {
        // A thread that never ran is deleted by hand; its destructor clears m_pThread.
        delete thread;
        m_startFailed = true;
    }
}

void ProgressDlg::ClearThread()
{
    {
        wxCriticalSectionLocker lock(m_threadLock);
        m_pThread = nullptr;
    }
    // The thread may end after the last idle event: make sure another one comes, so that
    // the dialog closes now and not at some unrelated later event.
    wxWakeUpIdle();
}

bool ProgressDlg::HasThread()
{
    wxCriticalSectionLocker lock(m_threadLock);
    return m_pThread != nullptr;
}

void ProgressDlg::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    if (!HasThread() && IsShown() && IsModal())
        Close(false);
}

void ProgressDlg::ButtonCancel_OnButtonClick(wxCommandEvent&)
{
    Close(false);
}

void ProgressDlg::OnClose(wxCloseEvent&)
{
    {
        wxCriticalSectionLocker lock(m_threadLock);
        // Detached: this only asks; the thread sees it through TestDestroy.
        if (m_pThread && m_pThread->Delete(nullptr, wxTHREAD_WAIT_BLOCK) != wxTHREAD_NO_ERROR)
            wxLogError(_("Can't delete the thread!"));
    }
    // Never end while the worker still runs: it may be using the procedure's data.
    while (HasThread())
        wxMilliSleep(1);
    if (IsModal())
        EndModal(2);
}

void ProgressDlg::Thread_OnProgressUpdatePos(wxThreadEvent& event)
{
    const auto info = event.GetPayload<ProgressUpdateInfo>();
    m_gauge->SetRange(info.range);
    m_gauge->SetValue(info.position);
}

void ProgressDlg::Thread_OnProgressUpdateMsg(wxThreadEvent& event)
{
    m_staticTextMessage->SetLabel(event.GetString());
}
