#pragma once

#include <wx/frame.h>

#include "app/Application.h"
#include "app/GraphCursor.h"
#include "app/Settings.h"
#include "app/panes/GraphPanel.h"
#include "support/ModelTestUtil.h"
#include "support/GuiTestSupport.h"

// A 640 x 480 pane with the default margins: the frame is (100, 10, 530, 420), so with the
// range (0, 530, 0, 420) one pixel is one data unit.
class GraphPaneFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "graph");
        panel = new GraphPanel(frame);
        panel->SetZoomFactorSource(
            [] { return ReadZoomFactor(*Application::GetInstance().GetConfig()); });
        frame->SetClientSize(640, 480);
        frame->Show();
        project = CreateGraphProject();
        project->Add(MakeSeries({0, 100, 50, 420}, DataX{0, 100}));
        project->SetPlotRange(0, 530, 0, 420);
        panel->SetProject(project.get());
        panel->Bind(EVT_GRAPH_CURSOR,
                    [this](wxCommandEvent& e) { cursorCodes.push_back(e.GetInt()); });
        panel->Bind(EVT_GRAPH_INTERVALS, [this](wxCommandEvent&) {
            const GridIntervals in = panel->GetRenderInfo().gridInterval;
            reported.push_back(
                panel->IsRendered() ? wxString::Format("%g %g", in.x, in.y).utf8_string() : "none");
        });
        ASSERT_TRUE(PumpUntil(
            [this] { return panel->GraphWindow()->GetClientSize() == wxSize(640, 480); }));
        Repaint();
        project->Attach(&recorder);
    }
    void TearDown() override
    {
        Application::GetInstance().GetConfig()->DeleteEntry(SETTING_MOUSE_ZOOM.key);
        project->Detach(&recorder);
        panel->SetProject(nullptr);
        frame->Destroy();
        PumpPending();
    }

    void Repaint()
    {
        const unsigned frames = panel->GetFrameCount();
        panel->GraphWindow()->Refresh(false);
        ASSERT_TRUE(PumpUntil([&] { return panel->GetFrameCount() > frames; }));
    }
    void Mouse(wxEventType type, int x, int y, wxMouseButton held = wxMOUSE_BTN_NONE)
    {
        SendMouse(panel->GraphWindow(), type, x, y, held);
    }
    void Wheel(int x, int y, int rotation, wxMouseWheelAxis axis = wxMOUSE_WHEEL_VERTICAL)
    {
        SendMouse(panel->GraphWindow(), wxEVT_MOUSEWHEEL, x, y, wxMOUSE_BTN_NONE, rotation, axis);
    }
    void Drag(wxPoint from, wxPoint to)
    {
        Mouse(wxEVT_LEFT_DOWN, from.x, from.y, wxMOUSE_BTN_LEFT);
        Mouse(wxEVT_MOTION, (from.x + to.x) / 2, (from.y + to.y) / 2, wxMOUSE_BTN_LEFT);
        Mouse(wxEVT_MOTION, to.x, to.y, wxMOUSE_BTN_LEFT);
        Mouse(wxEVT_LEFT_UP, to.x, to.y);
    }
    std::string Range() const { return RangeText(*project).utf8_string(); }

    wxFrame* frame = nullptr;
    GraphPanel* panel = nullptr;
    std::shared_ptr<GraphProject> project;
    ProjectRecorder recorder;
    std::vector<int> cursorCodes;
    Rows reported; // the grid intervals of each EVT_GRAPH_INTERVALS
};
