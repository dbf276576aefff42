#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include "app/MainFrame.h"
#include "app/panes/PropertyPanel.h"
#include "support/GraphPaneFixture.h"

namespace {

using GraphPanelTest = GraphPaneFixture;

// The intervals in use are reported, never written into the project: "automatic" (-1)
// stays what the user chose (the pane used to overwrite it with the interval drawn).
TEST_F(GraphPanelTest, PaintRemembersTheGeometryAndReportsTheIntervalsInUse)
{
    const RenderInfo info = panel->GetRenderInfo();
    EXPECT_EQ("100 10 530 420",
              wxString::Format("%g %g %g %g", info.plotArea.left, info.plotArea.top,
                               info.plotArea.width, info.plotArea.height));
    EXPECT_TRUE(recorder.updates.empty());
    Repaint(); // the same intervals: nothing to say
    ProjectProperty p = project->GetProperty();
    p.gridAutoX = false;
    p.gridIntervalX = 7;
    project->SetProperty(p);
    Repaint();
    project->Remove(0); // nothing drawn: no intervals
    Repaint();
    EXPECT_EQ((Rows{"50 50", "7 50", "none"}), reported);
    EXPECT_EQ(-1, project->GetProperty().gridIntervalY);
}

// Ended by the release, a lost capture or a motion that finds the button up; interim
// changes during the drag, then one plain summary.
TEST_F(GraphPanelTest, DragPansByThePixelDistanceWithOneFinalNotification)
{
    const std::tuple<wxPoint, wxEventType, const char*> rows[] = {
        {{353, 242}, wxEVT_LEFT_UP, "-53 477 42 462"}, // unequal steps: no axis swapped
        {{250, 150}, wxEVT_LEFT_UP, "50 580 -50 370"},
        {{310, 200}, wxEVT_MOUSE_CAPTURE_LOST, "-10 520 0 420"},
        {{310, 200}, wxEVT_MOTION, "-20 510 0 420"}, // up at 320
    };
    for (const auto& [to, end, range] : rows) {
        SCOPED_TRACE(range);
        project->SetPlotRange(0, 530, 0, 420);
        Repaint();
        recorder.updates.clear();
        if (end == wxEVT_LEFT_UP) {
            Drag({300, 200}, to);
        } else {
            Mouse(wxEVT_LEFT_DOWN, 300, 200, wxMOUSE_BTN_LEFT);
            Mouse(wxEVT_MOTION, to.x, to.y, wxMOUSE_BTN_LEFT);
            wxMouseCaptureLostEvent lost(panel->GraphWindow()->GetId());
            if (end == wxEVT_MOUSE_CAPTURE_LOST)
                panel->GraphWindow()->GetEventHandler()->ProcessEvent(lost);
            else
                Mouse(wxEVT_MOTION, 320, 200);
        }
        EXPECT_EQ(range, Range());
        EXPECT_FALSE(project->IsInterim() || panel->IsDragging());
        ASSERT_FALSE(recorder.updates.empty());
        EXPECT_EQ(PROJ_PLOT_RANGE, recorder.updates.back().kind);
        for (size_t i = 0; i + 1 < recorder.updates.size(); ++i)
            EXPECT_TRUE(recorder.updates[i].kind & PROJ_INTERIM);
        Mouse(wxEVT_MOTION, 400, 200); // no longer panning
        EXPECT_EQ(range, Range());
    }
}

// One range change per step, so one picture (not one per axis).
TEST_F(GraphPanelTest, WheelZoomsAboutThePointUnderTheMouseOnTheChosenAxes)
{
    // X = 100 under the mouse on (0, 1000): in gives (100 - 100/1.1, 100 + 900/1.1).
    const std::tuple<bool, bool, int, const char*> rows[] = {
        {true, true, 120, "9.09091 918.182 3.63636 385.455"},
        {true, true, -120, "-10 1090 -4 458"},
        {true, false, 120, "9.09091 918.182 0 420"},
        {false, true, -120, "0 1000 -4 458"},
        {true, true, 0, "0 1000 0 420"},  // not a step
        {true, true, 40, "0 1000 0 420"}, // a third of a step (touchpad)
    };
    // Plot x = 100 is pixel 100 + 100 * 530 / 1000 = 153; data y = 40 is pixel 430 - 40 = 390.
    for (const auto& [zoomX, zoomY, rotation, range] : rows) {
        SCOPED_TRACE(range);
        project->SetPlotRange(0, 1000, 0, 420);
        Repaint();
        panel->SetZoomX(zoomX);
        panel->SetZoomY(zoomY);
        recorder.updates.clear();
        Wheel(153, 390, rotation);
        EXPECT_EQ(range, Range());
        EXPECT_EQ(range == std::string("0 1000 0 420") ? 0u : 1u, recorder.updates.size());
    }
    // Horizontal scrolling never zooms; two steps before a paint keep the point fixed.
    project->SetPlotRange(0, 1000, 0, 420);
    Repaint();
    Wheel(153, 390, 120, wxMOUSE_WHEEL_HORIZONTAL);
    EXPECT_EQ("0 1000 0 420", Range());
    Wheel(153, 390, 120);
    Wheel(153, 390, 120);
    const PlotRange r = project->GetPlotRange();
    EXPECT_NEAR(100, r.minX + (153 - 100) * (r.maxX - r.minX) / 530, 1e-9);
    EXPECT_NEAR(40, r.minY + (430 - 390) * (r.maxY - r.minY) / 420, 1e-9);

    Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, 1000.0);
    for (int i = 0; i < 20; ++i) {
        Wheel(153, 390, i < 10 ? 120 : -120);
        Repaint();
        EXPECT_TRUE(IsUsableRange(project->GetPlotRange())) << i << ": " << Range();
    }
}

TEST_F(GraphPanelTest, NothingMovesWithoutAPictureOrAPlotArea)
{
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"margins wider than the pane",
         [this] {
             ProjectProperty p = project->GetProperty();
             p.marginLeft = p.marginRight = 400;
             project->SetProperty(p);
         }},
        {"empty project", [this] { project->Remove(0); }},
        {"zero size",
         [this] {
             panel->GraphWindow()->SetSize(0, 0);
             panel->SetProject(nullptr); // forgets the last picture
             panel->SetProject(project.get());
         }},
    };
    for (const auto& [name, setUp] : rows) {
        SCOPED_TRACE(name);
        project->SetProperty(DefaultProjectProperty());
        if (project->GetCount() == 0)
            project->Add(MakeSeries({1, 2}));
        setUp();
        if (panel->GraphWindow()->GetSize() == wxSize(0, 0))
            PumpPending(); // no paint comes
        else
            Repaint();
        recorder.updates.clear();
        cursorCodes.clear();
        Drag({300, 200}, {353, 242});
        Wheel(300, 200, 120);
        Drag({0, 0}, {5, 5});
        EXPECT_TRUE(recorder.updates.empty());
        EXPECT_TRUE(cursorCodes.empty());
    }
    EXPECT_FALSE(panel->IsRendered());
}

TEST_F(GraphPanelTest, CursorEntersMovesAndLeavesTheFrame)
{
    Mouse(wxEVT_MOTION, 50, 200); // margin
    Mouse(wxEVT_MOTION, 100, 10); // the frame's corner counts as inside
    Mouse(wxEVT_MOTION, 100, 10); // same point: nothing
    Mouse(wxEVT_MOTION, 200, 100);
    EXPECT_EQ(wxRealPoint(100, 330), panel->GetCursorPoint());
    Mouse(wxEVT_MOTION, 635, 100); // right margin
    Mouse(wxEVT_MOTION, 635, 200);
    Mouse(wxEVT_MOTION, 300, 300);
    Mouse(wxEVT_LEAVE_WINDOW, 300, 300); // a leave straight from inside
    Mouse(wxEVT_MOTION, 300, 300);
    panel->SetProject(nullptr); // a new project: outside until the next motion
    EXPECT_EQ((std::vector<int>{CURSOR_ENTER, CURSOR_MOVE, CURSOR_LEAVE, CURSOR_ENTER, CURSOR_LEAVE,
                                CURSOR_ENTER, CURSOR_LEAVE}),
              cursorCodes);
}

// The box is drawn over the kept picture: no rendering while it grows.
TEST_F(GraphPanelTest, RightDragBoxZoomsOnTheAllowedAxes)
{
    // Pixels (150, 110)-(250, 310) are data x 50..150, y 120..320.
    const std::tuple<bool, bool, wxPoint, wxPoint, const char*> rows[] = {
        {true, true, {150, 110}, {250, 310}, "50 150 120 320"},
        {true, true, {250, 310}, {150, 110}, "50 150 120 320"}, // drawn backwards
        {true, false, {150, 110}, {250, 310}, "50 150 0 420"},
        {false, true, {150, 110}, {250, 310}, "0 530 120 320"},
        {true, true, {150, 110}, {154, 114}, "0 530 0 420"},   // 4 x 4 pixels is a click
        {true, true, {150, 110}, {155, 111}, "50 55 319 320"}, // 5 pixels wide is a box
    };
    for (const auto& [zoomX, zoomY, from, to, range] : rows) {
        SCOPED_TRACE(range);
        project->SetPlotRange(0, 530, 0, 420);
        Repaint();
        panel->SetZoomX(zoomX);
        panel->SetZoomY(zoomY);
        const unsigned frames = panel->GetFrameCount();
        Mouse(wxEVT_RIGHT_DOWN, from.x, from.y);
        Mouse(wxEVT_MOTION, to.x, to.y, wxMOUSE_BTN_RIGHT);
        EXPECT_TRUE(panel->IsBoxing());
        Mouse(wxEVT_RIGHT_UP, to.x, to.y);
        EXPECT_FALSE(panel->IsBoxing());
        EXPECT_EQ(range, Range());
        EXPECT_EQ(frames, panel->GetFrameCount());
    }
}

TEST_F(GraphPanelTest, KeysPanZoomAndFit)
{
    Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, 2.0);
    const std::tuple<int, bool, const char*> rows[] = {
        {WXK_RIGHT, false, "10 110 -10 90"}, {WXK_LEFT, false, "-10 90 -10 90"},
        {WXK_UP, false, "0 100 0 100"},      {WXK_DOWN, false, "0 100 -20 80"},
        {'+', false, "25 75 15 65"},         {'-', false, "-50 150 -60 140"},
        {WXK_HOME, false, "0 300 0 420"},    {'=', false, "25 75 15 65"},
        {'=', true, "25 75 15 65"}, // "+" typed as Shift and "=" zooms in too
    };
    for (const auto& [code, shift, range] : rows) {
        SCOPED_TRACE(range);
        project->SetPlotRange(0, 100, -10, 90);
        wxKeyEvent key(wxEVT_KEY_DOWN);
        key.m_keyCode = code;
        key.SetShiftDown(shift);
        panel->GraphWindow()->GetEventHandler()->ProcessEvent(key);
        EXPECT_EQ(range, Range());
    }
}

// The real wiring through the X server, in the program's window with one series: hover
// reaches the status bar, a drag pans, the wheel zooms, a right drag boxes and Alt+Left
// goes back. The property pane shows the intervals drawn while the project keeps
// "automatic" (it showed -1, or an interval two zooms old).
TEST(GraphPaneThroughX, PointerAndKeysReachTheProjectAndThePanes)
{
    MainFrame* frame = new MainFrame(nullptr);
    frame->Show();
    const std::shared_ptr<GraphProject> project = frame->GetProject();
    project->Add(MakeSeries({0, 10, 5, 20}, DataX{0, 10}));
    frame->FitPlotRange(true, true);
    GraphPanel* panel = frame->GetGraphPanel();
    ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
    wxTheApp->ProcessPendingEvents();
    const RenderInfo info = panel->GetRenderInfo();
    const wxPoint centre = panel->GraphWindow()->ClientToScreen(
        wxPoint(int(info.plotArea.left + info.plotArea.width / 2),
                int(info.plotArea.top + info.plotArea.height / 2)));

    wxUIActionSimulator sim;
    sim.MouseMove(centre);
    sim.MouseMove(centre + wxPoint(1, 1));
    EXPECT_TRUE(PumpUntil([&] {
        return frame->GetStatusBar()->GetStatusText(1).Matches("*.??????, *.??????");
    })) << frame->GetStatusBar()->GetStatusText(1);

    const PlotRange before = project->GetPlotRange();
    sim.MouseDown();
    ASSERT_TRUE(PumpUntil([&] { return panel->IsDragging(); }));
    sim.MouseMove(centre + wxPoint(30, 10));
    sim.MouseMove(centre + wxPoint(61, 21));
    ASSERT_TRUE(PumpUntil([&] { return project->GetPlotRange() != before; }));
    sim.MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return !panel->IsDragging(); }));
    const PlotRange panned = project->GetPlotRange();
    EXPECT_NEAR(before.minX - 60 * (before.maxX - before.minX) / info.plotArea.width, panned.minX,
                1e-9);

    // wx 3.2 can't synthesise the wheel; xdotool sends button 4 (away from the user).
    // GTK's first smooth-scroll event of a device may carry no rotation, hence a retry.
    const auto span = [&] { return project->GetPlotRange().maxX - project->GetPlotRange().minX; };
    for (int i = 0; i < 3 && span() >= panned.maxX - panned.minX; ++i) {
        ASSERT_EQ(0, wxExecute("xdotool click 4", wxEXEC_SYNC | wxEXEC_NODISABLE));
        PumpUntil([&] { return span() < panned.maxX - panned.minX; }, 2000);
    }
    EXPECT_LT(span(), panned.maxX - panned.minX);

    wxPropertyGrid* grid = frame->GetPropertyPanel()->GetPropGrid();
    const auto shown = [&] {
        return grid->GetPropertyByName("Grid.IntervalX")->GetValueAsString() + " " +
               grid->GetPropertyByName("Grid.IntervalY")->GetValueAsString();
    };
    const auto drawn = [&] {
        const GridIntervals in = panel->GetRenderInfo().gridInterval;
        return wxString::Format("%g %g", in.x, in.y);
    };
    const wxString intervals = drawn();
    panel->ZoomAtCentre(0.01);
    ASSERT_TRUE(PumpUntil([&] { return drawn() != intervals; }));
    EXPECT_EQ(drawn(), shown());
    EXPECT_FALSE(grid->GetPropertyByName("Grid.IntervalX")->IsEnabled());
    EXPECT_EQ(-1, project->GetProperty().gridIntervalX);

    const PlotRange unboxed = project->GetPlotRange();
    const wxPoint corner = panel->GraphWindow()->ClientToScreen(
        wxPoint(int(info.plotArea.left + 20), int(info.plotArea.top + 20)));
    sim.MouseMove(corner);
    sim.MouseDown(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return panel->IsBoxing(); }));
    sim.MouseMove(corner + wxPoint(60, 40));
    sim.MouseMove(corner + wxPoint(120, 80));
    sim.MouseUp(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(
        PumpUntil([&] { return !panel->IsBoxing() && project->GetPlotRange() != unboxed; }));
    EXPECT_NEAR(120 * (unboxed.maxX - unboxed.minX) / info.plotArea.width, span(), 1e-9);

    wxTheApp->ProcessPendingEvents(); // the box's view is recorded after it
    panel->GraphWindow()->SetFocus();
    sim.KeyDown(WXK_ALT);
    sim.Char(WXK_LEFT, wxMOD_ALT);
    sim.KeyUp(WXK_ALT);
    EXPECT_TRUE(PumpUntil([&] { return project->GetPlotRange() == unboxed; }));
    frame->Destroy();
    PumpPending();
}

} // namespace
