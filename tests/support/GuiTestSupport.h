#pragma once

// Include this instead of <wx/testing.h>: wxTEST_DIALOG then reports to GoogleTest and
// refuses (cancels) any dialog a test did not expect, instead of showing it and blocking.
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <wx/checkbox.h>
#include <wx/msgdlg.h>

#include "app/dialogs/ProgressDlg.h"
#include "model/GraphProject.h"

// What an expectation returns to let the dialog really run its modal loop (a command's
// progress dialog); the test must also hold a RealModalScope.
constexpr int RUN_MODAL_FOR_REAL = -4711;

// While true, every progress dialog runs for real without an expectation of its own
// (tests of commands that run several long operations); see RealProgressScope.
inline bool& ProgressRunsForReal()
{
    static bool real = false;
    return real;
}

class GTestModalHook : public wxTestingModalHook
{
public:
    explicit GTestModalHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func), m_file(file), m_line(line)
    {
    }

protected:
    int Enter(wxDialog* dlg) override
    {
        if (ProgressRunsForReal() && dynamic_cast<ProgressDlg*>(dlg))
            return wxID_NONE;
        const int rc = wxTestingModalHook::Enter(dlg);
        if (rc == RUN_MODAL_FOR_REAL)
            return wxID_NONE;
        return rc == wxID_NONE ? wxID_CANCEL : rc;
    }
    void ReportFailure(const wxString& msg) override
    {
        ADD_FAILURE_AT(m_file ? m_file : "?", m_line) << msg.utf8_string();
    }

private:
    const char* m_file;
    int m_line;
};

// Expects a message box with this text and caption, and answers it with `answer`.
class ExpectMessageBox : public wxExpectModalBase<wxMessageDialog>
{
public:
    ExpectMessageBox(const wxString& message, const wxString& caption, int answer)
        : m_message(message), m_caption(caption), m_answer(answer)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(m_message, dlg->GetMessage());
        EXPECT_EQ(m_caption, dlg->GetTitle());
        return m_answer;
    }

private:
    wxString m_message;
    wxString m_caption;
    int m_answer;
};

// Expects a dialog of type T and lets `act` drive it; `act` returns the dialog's result
// (or RUN_MODAL_FOR_REAL).
template <class T> class ExpectDialog : public wxExpectModalBase<T, ExpectDialog<T>>
{
public:
    explicit ExpectDialog(std::function<int(T*)> act) : m_act(std::move(act)) {}

protected:
    int OnInvoked(T* dlg) const override { return m_act(dlg); }

private:
    std::function<int(T*)> m_act;
};

// Shorthands for the expectations of a table row.
inline std::unique_ptr<wxModalExpectation> Box(const wxString& text, const wxString& caption,
                                               int answer = wxID_OK)
{
    return std::make_unique<ExpectMessageBox>(text, caption, answer);
}
template <class T> std::unique_ptr<wxModalExpectation> Dialog(std::function<int(T*)> act)
{
    return std::make_unique<ExpectDialog<T>>(std::move(act));
}
template <class T> std::unique_ptr<wxModalExpectation> Answer(int answer)
{
    return Dialog<T>([answer](T*) { return answer; });
}

using Expectations = std::vector<std::unique_ptr<wxModalExpectation>>;

// The expectations, in the order the dialogs must appear.
template <class... T> Expectations InOrder(std::unique_ptr<T>... items)
{
    Expectations list;
    (list.push_back(std::move(items)), ...);
    return list;
}

// wxTEST_DIALOG for tables: runs `run` expecting the dialogs in `expected`, in order.
inline void RunWithDialogs(const std::function<void()>& run, const Expectations& expected,
                           const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    GTestModalHook hook(file, line, "RunWithDialogs");
    for (const auto& expectation : expected)
        hook.AddExpectation(*expectation);
    run();
    hook.CheckUnmetExpectations();
}

// While alive, modal dialogs outside wxTEST_DIALOG really run (for dialogs a test drives
// itself, such as the progress dialog); otherwise they fail the test and are cancelled.
class RealModalScope
{
public:
    RealModalScope();
    ~RealModalScope();

private:
    bool m_previous;
};

// While alive, progress dialogs run for real (their modal loop and worker) inside
// wxTEST_DIALOG without being listed among its expectations.
class RealProgressScope
{
public:
    RealProgressScope() : m_previous(ProgressRunsForReal()) { ProgressRunsForReal() = true; }
    ~RealProgressScope() { ProgressRunsForReal() = m_previous; }

private:
    RealModalScope m_modal;
    bool m_previous;
};

// A click (wxEVT_BUTTON by default), or a check box set to `value`, as the user would.
inline void Send(wxWindow* control, wxEventType type = wxEVT_BUTTON, int value = 0)
{
    if (auto* box = dynamic_cast<wxCheckBox*>(control))
        box->SetValue(value != 0);
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->GetEventHandler()->ProcessEvent(event);
}

// The plot range as "minX maxX minY maxY".
inline wxString RangeText(const GraphProject& project)
{
    const PlotRange r = project.GetPlotRange();
    return wxString::Format("%g %g %g %g", r.minX, r.maxX, r.minY, r.maxY);
}

inline std::string ReadFile(const wxString& path)
{
    std::ifstream in(path.utf8_string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Handles pending events (timers, CallAfter, idle) until `done` holds or `timeoutMs` has
// passed; returns `done()`. The timeout only stops a broken test from hanging.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Handles what is pending now.
void PumpPending();
