#pragma once

// Include this instead of <wx/testing.h>: wxTEST_DIALOG then reports to GoogleTest, refuses
// (cancels) any dialog a test did not expect instead of showing it and blocking, and lets
// every progress dialog run for real (its modal loop and worker) without an expectation.
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
#include <wx/eventfilter.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>
#include <wx/time.h>
#include <wx/utils.h>

#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/commands/ImportCommand.h"
#include "app/panes/GraphPanel.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/panes/ProjectPanel.h"
#include "model/GraphProject.h"

// A table's expected texts.
using Rows = std::vector<std::string>;

// Progress dialogs always run for real (their modal loop and worker are what the commands
// wait on), inside wxTEST_DIALOG or not, without an expectation. Every other modal dialog
// fails the test and is cancelled unless a test expects it.
inline bool RunsForReal(wxDialog* dlg)
{
    return dynamic_cast<ProgressDlg*>(dlg) != nullptr;
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
        if (RunsForReal(dlg))
            return wxID_NONE;
        const int rc = wxTestingModalHook::Enter(dlg);
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
    ExpectMessageBox(const wxString& message, const wxString& caption = "Error",
                     int answer = wxID_OK)
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

// Expects a dialog of type T and lets `act` drive it; `act` returns the dialog's result.
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
inline std::unique_ptr<wxModalExpectation>
Box(const wxString& text, const wxString& caption = "Error", int answer = wxID_OK)
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

// While alive, presses Cancel in the `run`-th progress dialog (from 1; 0: none) right after
// its worker has started, so that the worker stops at its first look at the Cancel button.
class CancelProgress : public wxEventFilter
{
public:
    explicit CancelProgress(int run) : m_run(run) { wxEvtHandler::AddFilter(this); }
    ~CancelProgress() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override
    {
        auto* dlg = dynamic_cast<ProgressDlg*>(event.GetEventObject());
        if (m_inside || !dlg || event.GetEventType() != wxEVT_INIT_DIALOG || --m_run != 0)
            return Event_Skip;
        m_inside = true;
        ProgressThread::beforeWork = [](ProgressThread& worker) {
            const wxLongLong deadline = wxGetLocalTimeMillis() + 10000;
            while (!worker.IsCancelled() && wxGetLocalTimeMillis() < deadline)
                wxMilliSleep(1);
        };
        dlg->GetEventHandler()->ProcessEvent(event); // starts the worker
        dlg->Close();                                // returns once the worker has ended
        ProgressThread::beforeWork = nullptr;
        // Closed before its modal loop runs, the dialog's end is lost: leave the loop as
        // soon as it runs.
        dlg->CallAfter([] { wxEventLoopBase::GetActive()->Exit(); });
        m_inside = false;
        return Event_Processed;
    }

private:
    int m_run;
    bool m_inside = false;
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

// As typing into a spin control: its value, then the event (SetValue sends none).
inline void SpinTo(wxSpinCtrl* spin, int value)
{
    spin->SetValue(value);
    wxSpinEvent event(wxEVT_SPINCTRL, spin->GetId());
    event.SetEventObject(spin);
    spin->ProcessWindowEvent(event);
}
inline void SpinTo(wxSpinCtrlDouble* spin, double value)
{
    spin->SetValue(value);
    wxSpinDoubleEvent event(wxEVT_SPINCTRLDOUBLE, spin->GetId(), spin->GetValue());
    event.SetEventObject(spin);
    spin->ProcessWindowEvent(event);
}

// Selects a row of a list control as a click does (the event comes at once).
inline void SelectRow(wxListCtrl* list, long row)
{
    list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

// The rows of a list control, cells joined by "|".
inline Rows ListRows(const wxListCtrl* list)
{
    Rows rows;
    for (long r = 0; r < list->GetItemCount(); ++r) {
        wxString row = list->GetItemText(r, 0);
        for (int c = 1; c < list->GetColumnCount(); ++c)
            row += "|" + list->GetItemText(r, c);
        rows.push_back(row.utf8_string());
    }
    return rows;
}

// A mouse event at (x, y) of `window`, as the toolkit sends it; `held` is the button down
// during the event, as in a drag.
inline void SendMouse(wxWindow* window, wxEventType type, int x, int y,
                      wxMouseButton held = wxMOUSE_BTN_NONE, int rotation = 0,
                      wxMouseWheelAxis axis = wxMOUSE_WHEEL_VERTICAL)
{
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(x, y));
    event.m_leftDown = held == wxMOUSE_BTN_LEFT;
    event.m_rightDown = held == wxMOUSE_BTN_RIGHT;
    event.m_wheelRotation = rotation;
    event.m_wheelDelta = 120;
    event.m_wheelAxis = axis;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

// The file dialog, answered with `path`.
inline std::unique_ptr<wxModalExpectation> File(const wxString& path, int answer = wxID_OK)
{
    return std::make_unique<wxExpectModal<wxFileDialog>>(path, answer);
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

// The commands' tests: a main window and a private folder for their files.
class CommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = wxFileName::CreateTempFileName("ardentine-command");
        wxRemoveFile(dir);
        wxFileName::Mkdir(dir);
        // Every import adds a recent file: start each test without the earlier ones.
        Application::GetInstance().GetConfig()->DeleteGroup("/RecentFiles");
        frame = new MainFrame(nullptr);
    }
    // A new main window, shown at 900 x 600: for the tests through the X server.
    void ShowNewFrame()
    {
        delete frame;
        frame = new MainFrame(nullptr);
        frame->SetClientSize(900, 600);
        frame->Show();
    }
    void TearDown() override
    {
        delete frame;
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }
    // A command as its menu item or tool sends it (tool identifiers are below the menus').
    void Menu(int id, MainFrame* window = nullptr)
    {
        window = window ? window : frame;
        wxCommandEvent event(id < ID_MENU_NEW_PROJECT ? wxEVT_TOOL : wxEVT_MENU, id);
        event.SetEventObject(window);
        window->ProcessWindowEvent(event);
    }
    // Imports with the default option, the progress dialogs for real and no other dialog.
    void Import(const wxString& path, MainFrame* window = nullptr)
    {
        RunWithDialogs(
            [&] {
                EXPECT_TRUE(ImportFileWithSeparator(window ? *window : *frame, path, 0, false));
            },
            {});
    }
    // Shows the window and waits until its graph pane has drawn.
    void ShowRendered(MainFrame* window = nullptr)
    {
        window = window ? window : frame;
        window->Show();
        wxWindow* pane = window->GetGraphPanel()->GraphWindow();
        ASSERT_TRUE(PumpUntil([&] {
            pane->Refresh(false);
            pane->Update();
            return window->GetGraphPanel()->IsRendered();
        }));
    }

    wxString Path(const wxString& name) const { return wxFileName(dir, name).GetFullPath(); }
    wxString Write(const wxString& name, const std::string& content) const
    {
        std::ofstream(Path(name).utf8_string(), std::ios::binary) << content;
        return Path(name);
    }
    GraphProject& Project() const { return *frame->GetProject(); }
    wxString Range() const { return RangeText(Project()); }
    wxString Status() const { return frame->GetStatusBar()->GetStatusText(0); }
    // The project list: "x" or "-" for the check box, then the text.
    Rows Items() const
    {
        Rows items;
        wxCheckListBox* list = frame->GetProjectPanel()->GetCheckList();
        for (unsigned i = 0; i < list->GetCount(); ++i)
            items.push_back((list->IsChecked(i) ? "x" : "-") + list->GetString(i).utf8_string());
        return items;
    }
    // "label start+interval: values" for each series.
    Rows Series() const
    {
        Rows rows;
        for (int i = 0; i < Project().GetCount(); ++i) {
            const auto data = Project().GetItem(i);
            wxString row = wxString::Format("%s %g+%g:", data->GetLabel(), data->GetDataX().start,
                                            data->GetDataX().interval);
            for (double v : data->GetDataY()->raw)
                row += wxString::Format(" %g", v);
            rows.push_back(row.utf8_string());
        }
        return rows;
    }

    wxString dir;
    MainFrame* frame = nullptr;
};
