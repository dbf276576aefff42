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

// Each gesture on the range (0, 530, 0, 420), where one pixel is one data unit: one
// plain notification at its end (interim ones before it), so one picture, not one per
// axis or per step. A drag ends by the release, a lost capture or a motion that finds the
// button up; a right-drag box is drawn over the kept picture, without rendering.
TEST_F(GraphPanelTest, GesturesMoveTheViewWithOneFinalNotification)
{
    Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, 2.0);
    const auto drag = [&](wxPoint to, wxEventType end) {
        return [=] {
            Mouse(wxEVT_LEFT_DOWN, 300, 200, wxMOUSE_BTN_LEFT);
            Mouse(wxEVT_MOTION, (300 + to.x) / 2, (200 + to.y) / 2, wxMOUSE_BTN_LEFT);
            Mouse(wxEVT_MOTION, to.x, to.y, wxMOUSE_BTN_LEFT);
            wxMouseCaptureLostEvent lost(panel->GraphWindow()->GetId());
            if (end == wxEVT_MOUSE_CAPTURE_LOST)
                panel->GraphWindow()->GetEventHandler()->ProcessEvent(lost);
            else // a release, or a motion that finds the button up
                Mouse(end, to.x + (end == wxEVT_MOTION ? 10 : 0), to.y);
        };
    };
    const auto box = [&](wxPoint from, wxPoint to) {
        return [=] {
            const unsigned frames = panel->GetFrameCount();
            Mouse(wxEVT_RIGHT_DOWN, from.x, from.y);
            Mouse(wxEVT_MOTION, to.x, to.y, wxMOUSE_BTN_RIGHT);
            EXPECT_TRUE(panel->IsBoxing());
            Mouse(wxEVT_RIGHT_UP, to.x, to.y);
            EXPECT_EQ(frames, panel->GetFrameCount());
        };
    };
    const auto wheel = [&](int rotation, wxMouseWheelAxis axis = wxMOUSE_WHEEL_VERTICAL) {
        return [=] { Wheel(153, 390, rotation, axis); }; // data (53, 40)
    };
    const auto key = [&](int code, bool shift = false) {
        return [=] {
            wxKeyEvent event(wxEVT_KEY_DOWN);
            event.m_keyCode = code;
            event.SetShiftDown(shift);
            panel->GraphWindow()->GetEventHandler()->ProcessEvent(event);
        };
    };
    // The gesture, the axes that zoom, the range after.
    const std::tuple<const char*, std::function<void()>, bool, bool, const char*> rows[] = {
        {"drag", drag({353, 242}, wxEVT_LEFT_UP), true, true, "-53 477 42 462"}, // no swap
        {"capture lost", drag({310, 200}, wxEVT_MOUSE_CAPTURE_LOST), true, true, "-10 520 0 420"},
        {"button up", drag({310, 200}, wxEVT_MOTION), true, true, "-20 510 0 420"},
        {"box backwards", box({250, 310}, {150, 110}), true, true, "50 150 120 320"},
        {"box on X", box({150, 110}, {250, 310}), true, false, "50 150 0 420"},
        {"4 x 4 pixels: a click", box({150, 110}, {154, 114}), true, true, "0 530 0 420"},
        {"5 pixels wide: a box", box({150, 110}, {155, 111}), true, true, "50 55 319 320"},
        {"wheel", wheel(120), true, true, "26.5 291.5 20 230"},
        {"a third of a step", wheel(40), true, true, "0 530 0 420"}, // a touchpad
        {"horizontal", wheel(120, wxMOUSE_WHEEL_HORIZONTAL), true, true, "0 530 0 420"},
        {"up", key(WXK_UP), true, true, "0 530 42 462"},
        {"Home", key(WXK_HOME), true, true, "0 300 0 420"},
        {"+ as Shift and =", key('=', true), true, true, "132.5 397.5 105 315"},
    };
    for (const auto& [name, act, zoomX, zoomY, range] : rows) {
        SCOPED_TRACE(name);
        project->SetPlotRange(0, 530, 0, 420);
        Repaint();
        panel->SetZoomX(zoomX);
        panel->SetZoomY(zoomY);
        recorder.updates.clear();
        act();
        EXPECT_EQ(range, Range());
        EXPECT_FALSE(project->IsInterim() || panel->IsDragging() || panel->IsBoxing());
        const bool moved = range != std::string("0 530 0 420");
        ASSERT_EQ(moved, !recorder.updates.empty());
        for (size_t i = 0; i < recorder.updates.size(); ++i)
            EXPECT_EQ(i + 1 < recorder.updates.size(),
                      bool(recorder.updates[i].kind & PROJ_INTERIM));
        EXPECT_EQ(PROJ_PLOT_RANGE,
                  recorder.updates.empty() ? PROJ_PLOT_RANGE : recorder.updates.back().kind);
        Mouse(wxEVT_MOTION, 400, 200); // no longer panning
        EXPECT_EQ(range, Range());
    }
    // Two wheel steps before a paint keep the point fixed; a huge factor never leaves an
    // unusable range (the pane's own guard, beside the project's).
    project->SetPlotRange(0, 530, 0, 420);
    Repaint();
    Wheel(153, 390, 120);
    Wheel(153, 390, 120);
    const PlotRange r = project->GetPlotRange();
    EXPECT_NEAR(53, r.minX + (153 - 100) * (r.maxX - r.minX) / 530, 1e-9);
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

// The real wiring through the X server, in the program's window with one series on a time
// axis: hover reaches the status bar (X as ISO text) and the wheel zooms (the drag and the box are
// the events above). The property pane shows the intervals drawn while the project keeps
// "automatic" (it showed -1, or an interval two zooms old).
TEST(GraphPaneThroughX, PointerAndKeysReachTheProjectAndThePanes)
{
    MainFrame* frame = new MainFrame(nullptr);
    frame->Show();
    const std::shared_ptr<GraphProject> project = frame->GetProject();
    auto series = MakeSeries({0, 10, 5, 20}, DataX{0, 10});
    series->SetTimeOrigin(1772719200000000000); // 2026-03-05T14:00:00: X reads as ISO text
    project->Add(series);
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
        return frame->GetStatusBar()->GetStatusText(1).Matches("2026-03-05T14:00:*, *.??????");
    })) << frame->GetStatusBar()->GetStatusText(1);

    // wx 3.2 can't synthesise the wheel; xdotool sends button 4 (away from the user).
    // GTK's first smooth-scroll event of a device may carry no rotation, hence a retry.
    const PlotRange before = project->GetPlotRange();
    const auto span = [&] { return project->GetPlotRange().maxX - project->GetPlotRange().minX; };
    for (int i = 0; i < 3 && span() >= before.maxX - before.minX; ++i) {
        ASSERT_EQ(0, wxExecute("xdotool click 4", wxEXEC_SYNC | wxEXEC_NODISABLE));
        PumpUntil([&] { return span() < before.maxX - before.minX; }, 2000);
    }
    EXPECT_LT(span(), before.maxX - before.minX);

    wxPropertyGrid* grid = frame->GetPropertyPanel()->GetPropGrid();
    const auto drawn = [&] {
        const GridIntervals in = panel->GetRenderInfo().gridInterval;
        return wxString::Format("%g %g", in.x, in.y);
    };
    const wxString intervals = drawn();
    panel->ZoomAtCentre(0.01);
    ASSERT_TRUE(PumpUntil([&] { return drawn() != intervals; }));
    EXPECT_EQ(drawn(), grid->GetPropertyByName("Grid.IntervalX")->GetValueAsString() + " " +
                           grid->GetPropertyByName("Grid.IntervalY")->GetValueAsString());
    EXPECT_FALSE(grid->GetPropertyByName("Grid.IntervalX")->IsEnabled());
    EXPECT_EQ(-1, project->GetProperty().gridIntervalX);
    frame->Destroy();
    PumpPending();
}

} // namespace
