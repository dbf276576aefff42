#include <wx/aui/aui.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include <wx/regex.h>

#include "app/Application.h"
#include "app/GraphCursor.h"
#include "app/dialogs/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/panes/GraphPanel.h"
#include "app/panes/ManualPanel.h"
#include "app/Settings.h"
#include "app/commands/ImportCommand.h"
#include "model/GraphData.h"
#include "support/ModelTestUtil.h"
#include "model/Palette.h"
#include "support/GuiTestSupport.h"

namespace {

class MainFrameTest : public CommandTest
{
protected:
    void TearDown() override
    {
        CommandTest::TearDown();
        Application::GetInstance().GetConfig()->DeleteEntry(SETTING_MOUSE_ZOOM.key);
    }

    void Command(int id) // toolbar identifiers are below the menu ones
    {
        wxCommandEvent event(id < ID_MENU_NEW_PROJECT ? wxEVT_TOOL : wxEVT_MENU, id);
        event.SetEventObject(frame);
        frame->ProcessWindowEvent(event);
    }
    bool MenuChecked(int id)
    {
        frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        frame->GetMenuBar()->UpdateMenus();
        return frame->GetMenuBar()->IsChecked(id);
    }
    bool ToolChecked(int id)
    {
        frame->GetToolBarPane()->UpdateWindowUI(wxUPDATE_UI_FROMIDLE);
        return frame->GetToolBarPane()->GetToolToggled(id);
    }
    bool MenuEnabled(int id)
    {
        frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        frame->GetMenuBar()->UpdateMenus();
        return frame->GetMenuBar()->IsEnabled(id);
    }
    // Imports X 0, 50, 100 and Y 5, 7, 6 with the default option, the progress for real.
    void ImportRamp()
    {
        const wxString path = Write("ramp.csv", "x,y\n0,5\n50,7\n100,6\n");
        RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, ',', false)); }, {});
        wxTheApp->ProcessPendingEvents(); // the view is recorded after the command
    }
};

// The labels are the layout code's own table; a tool without its picture is a fault.
TEST_F(MainFrameTest, EveryToolHasItsPicture)
{
    wxAuiToolBar* tools = frame->GetToolBarPane();
    ASSERT_GT(tools->GetToolCount(), 0u);
    for (size_t i = 0; i < tools->GetToolCount(); ++i) {
        const wxAuiToolBarItem* tool = tools->FindToolByIndex(static_cast<int>(i));
        EXPECT_TRUE(tool->GetKind() == wxITEM_SEPARATOR || tool->GetBitmapBundle().IsOk())
            << tool->GetLabel();
    }
}

TEST_F(MainFrameTest, StatusMessageClearsFiveSecondsAfterTheLastOne)
{
    EXPECT_EQ("Thank you for using Ardentine!", Status());

    wxTimer& timer = frame->GetStatusTimer();
    EXPECT_TRUE(timer.IsRunning());
    timer.Stop();
    frame->SetStatusMessage("second"); // restarts the five seconds
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(5000, timer.GetInterval());
    EXPECT_EQ("second", Status());
    timer.Stop();
    timer.Notify(); // as if the five seconds were over
    EXPECT_EQ("", Status());

    // The coordinates' field holds the widest coordinates uncut (it was cut at 150 pixels).
    wxStatusBar* bar = frame->GetStatusBar();
    frame->SetClientSize(900, 600);
    bar->SetStatusText(COORDINATE_SAMPLE, 1);
    wxRect field;
    ASSERT_TRUE(bar->GetFieldRect(1, field));
    EXPECT_GT(field.width, bar->GetTextExtent(COORDINATE_SAMPLE).x);
}

// Help > About shows the project's version from CMake and the day of the build (the
// box showed a fixed date and revision).
TEST_F(MainFrameTest, AboutShowsTheVersionAndTheBuildDate)
{
    wxArrayString lines;
    RunWithDialogs([&] { Command(ID_MENU_ABOUT); }, InOrder(Dialog<AboutDlg>([&](AboutDlg* dlg) {
                       lines = dlg->GetLines();
                       return wxID_OK;
                   })));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Version: " ARDENTINE_PROJECT_VERSION);
    EXPECT_TRUE(wxRegEx("^Build Date: 20[0-9]{2}-[01][0-9]-[0-3][0-9]$").Matches(lines[1]))
        << lines[1];
}

TEST_F(MainFrameTest, NewProjectAsksOnlyWhenModified)
{
    const auto original = frame->GetProject();
    Command(ID_MENU_NEW_PROJECT); // unmodified: any dialog would fail the test
    EXPECT_NE(original, frame->GetProject());
    EXPECT_EQ("Creating new project is completed!", Status());
    EXPECT_FALSE(frame->IsModified());

    Command(ID_MENU_ZOOM_IN); // even a zoom is a modification
    EXPECT_TRUE(frame->IsModified());
    const auto zoomed = frame->GetProject();
    frame->SetStatusMessage("");
    const wxString question = "This project is modified. Do you want to remove all?";
    wxTEST_DIALOG(Command(ID_MENU_NEW_PROJECT), ExpectMessageBox(question, "New Project", wxID_NO));
    EXPECT_EQ(zoomed, frame->GetProject());
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ("", Status());

    wxTEST_DIALOG(Command(ID_MENU_NEW_PROJECT),
                  ExpectMessageBox(question, "New Project", wxID_YES));
    EXPECT_NE(zoomed, frame->GetProject());
    EXPECT_FALSE(frame->IsModified());
    EXPECT_EQ(0, frame->GetProject()->GetCount());

    // The new project is observed by the frame and the panes.
    frame->GetProject()->Add(MakeSeries({1, 2}));
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ(1u, frame->GetProjectPanel()->GetCheckList()->GetCount());
}

// One row per command; the fit's own rules are the model's.
TEST_F(MainFrameTest, FitCoversTheVisibleDataOnItsAxes)
{
    auto project = frame->GetProject();
    project->Add(MakeSeries({2, 4, 8}, {10, -5}));
    auto hidden = MakeSeries({-500, 500}, {-900, 1});
    hidden->SetVisible(false);
    project->Add(hidden);
    const std::pair<int, const char*> rows[] = {
        {ID_MENU_FIT, "0 10 2 8"},
        {ID_MENU_FIT_X, "0 10 -100 100"},
        {ID_MENU_FIT_Y, "-100 100 2 8"},
        {ID_TOOL_FIT, "0 10 2 8"},
    };
    for (const auto& [command, expected] : rows) {
        SCOPED_TRACE(command);
        project->SetPlotRange(-100, 100, -100, 100);
        Command(command);
        EXPECT_EQ(expected, Range());
    }
}

TEST_F(MainFrameTest, ZoomScalesAboutTheMidpointByTheConfiguredFactor)
{
    const std::tuple<const char*, std::vector<int>, const char*> rows[] = {
        {"2", {ID_MENU_ZOOM_IN}, "2.5 7.5 -1 1"},
        {"2", {ID_TOOL_ZOOM_OUT}, "-5 15 -4 4"},
        {"2", {ID_MENU_ZOOM_X, ID_TOOL_ZOOM_IN, ID_MENU_ZOOM_X}, "0 10 -1 1"},
        {"1e300", {ID_MENU_ZOOM_OUT}, "-0.5 10.5 -2.2 2.2"}, // out of bounds: the default 1.1
    };
    for (const auto& [factor, commands, expected] : rows) {
        SCOPED_TRACE(factor);
        Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, wxString(factor));
        frame->GetProject()->SetPlotRange(0, 10, -2, 2);
        for (int id : commands)
            Command(id);
        EXPECT_EQ(expected, Range());
    }
}

TEST_F(MainFrameTest, ZoomTogglesKeepOneAxisOn)
{
    const std::tuple<const char*, std::vector<int>, bool, bool> rows[] = {
        {"X off", {ID_MENU_ZOOM_X}, false, true},
        {"Y off after X off turns X on", {ID_MENU_ZOOM_X, ID_MENU_ZOOM_Y}, true, false},
        {"X off after Y off turns Y on", {ID_MENU_ZOOM_Y, ID_MENU_ZOOM_X}, false, true},
        {"the tool toggles like the menu", {ID_MENU_ZOOM_Y, ID_TOOL_ZOOM_Y}, true, true},
    };
    for (const auto& [name, commands, zoomX, zoomY] : rows) {
        SCOPED_TRACE(name);
        delete frame;
        frame = new MainFrame(nullptr);
        for (int id : commands)
            Command(id);
        // The menu, the tools and the wheel in the graph pane follow the same flags.
        const GraphPanel* graph = frame->GetGraphPanel();
        EXPECT_EQ(std::tuple(zoomX, zoomX, zoomX, zoomY, zoomY, zoomY),
                  std::tuple(MenuChecked(ID_MENU_ZOOM_X), ToolChecked(ID_TOOL_ZOOM_X),
                             graph->IsZoomX(), MenuChecked(ID_MENU_ZOOM_Y),
                             ToolChecked(ID_TOOL_ZOOM_Y), graph->IsZoomY()));
    }
}

TEST_F(MainFrameTest, PaneCommandsToggleWithCheckMarksAndLoadPagesWhenFirstShown)
{
    // The command, its pane, shown at start, the page it loads.
    const std::tuple<int, const char*, bool, ManualPanel*, const char*> rows[] = {
        {ID_MENU_VIEW_PROJECT, "PanelProj", true, nullptr, ""},
        {ID_MENU_VIEW_PROPERTY, "PanelProp", true, nullptr, ""},
        {ID_MENU_MANUAL, "PanelManual", false, frame->GetManualPanel(), "/manual/manual.htm"},
        {ID_MENU_LICENSE, "PanelLicense", false, frame->GetLicensePanel(), "/manual/license.htm"}};
    for (const auto& [id, pane, shownAtStart, page, url] : rows) {
        SCOPED_TRACE(pane);
        EXPECT_FALSE(page && page->IsLoaded());
        for (bool shown : {!shownAtStart, shownAtStart}) {
            Command(id);
            EXPECT_EQ(shown, frame->GetAuiManager().GetPane(pane).IsShown());
            EXPECT_EQ(shown, MenuChecked(id));
        }
        EXPECT_TRUE(!page || page->GetPageURL().EndsWith(url));
    }
}

struct FakeGraph : wxObject, GraphCursorSource
{
    wxRealPoint GetCursorPoint() const override { return {1.5, -2.0}; }
};

TEST_F(MainFrameTest, CursorReportsGoToTheSecondStatusField)
{
    FakeGraph graph;
    for (int what : {CURSOR_MOVE, CURSOR_LEAVE}) {
        wxCommandEvent event(EVT_GRAPH_CURSOR);
        event.SetInt(what);
        event.SetEventObject(&graph);
        frame->GetGraphPanel()->GetEventHandler()->ProcessEvent(event);
        EXPECT_EQ(what == CURSOR_MOVE ? "1.500000, -2.000000" : "",
                  frame->GetStatusBar()->GetStatusText(1));
    }
}

TEST_F(MainFrameTest, DeleteRemovesTheSelectedSeriesOrAsksForASelection)
{
    auto project = frame->GetProject();
    for (const char* label : {"a", "b", "c"})
        project->Add(MakeSeries({1}, {}, label));
    frame->SetStatusMessage("");
    wxTEST_DIALOG(Command(ID_MENU_DELETE), ExpectMessageBox("Please select some graph data!"));
    EXPECT_EQ(3, project->GetCount());
    EXPECT_EQ("", Status());

    frame->GetProjectPanel()->GetCheckList()->SetSelection(1);
    Command(ID_TOOL_DELETE);
    EXPECT_EQ((Rows{"x[01]a", "x[02]c"}), Items());
    EXPECT_EQ("Deleting selected data is completed!", Status());
}

// Back and Forward step through the ranges the user finished moving to; the steps of a
// drag and the two axes of one zoom are one entry each. The history starts with the first
// view of data: right after the first import there is nothing to go back to (Back used to
// return to the empty project's 0..1).
TEST_F(MainFrameTest, BackAndForwardStepThroughCompletedViews)
{
    const auto settle = [] { wxTheApp->ProcessPendingEvents(); };
    EXPECT_FALSE(MenuEnabled(ID_MENU_BACK));
    Project().SetPlotRange(0, 2, 0, 2); // moved about before any data
    settle();
    ImportRamp(); // 0 100 5 7
    EXPECT_FALSE(MenuEnabled(ID_MENU_BACK));
    Command(ID_MENU_ZOOM_OUT); // X then Y: one entry
    settle();
    Project().BeginInterim();
    for (double x : {1, 2, 3})
        Project().SetPlotRange(x, x + 100, 5, 7);
    Project().EndInterim(); // a drag ending at 3 103 5 7
    settle();
    EXPECT_EQ(3u, frame->GetViewHistory().GetCount());

    Command(ID_MENU_BACK);
    EXPECT_EQ("-5 105 4.9 7.1", Range());
    Command(ID_TOOL_BACK);
    EXPECT_EQ("0 100 5 7", Range());
    EXPECT_FALSE(MenuEnabled(ID_MENU_BACK));
    Command(ID_MENU_FORWARD);
    Command(ID_MENU_FORWARD);
    EXPECT_EQ("3 103 5 7", Range());
    EXPECT_FALSE(frame->GetViewHistory().CanGoForward());
    settle(); // going through the history records nothing new
    EXPECT_EQ(3u, frame->GetViewHistory().GetCount());

    wxTEST_DIALOG(Command(ID_MENU_NEW_PROJECT),
                  ExpectMessageBox("This project is modified. Do you want to remove all?",
                                   "New Project", wxID_YES));
    EXPECT_EQ(1u, frame->GetViewHistory().GetCount());
    EXPECT_FALSE(frame->GetViewHistory().CanGoBack());
}

// Off by default (every series blue, as always); on, each new series takes the next
// palette colour, and the choice is kept in the configuration.
TEST_F(MainFrameTest, DistinctColoursForNewSeriesIsOptIn)
{
    auto project = frame->GetProject();
    project->Add(MakeSeries({1}));
    EXPECT_EQ(Colour(0, 0, 255), project->GetItem(0)->GetLineStyle().colour);
    EXPECT_FALSE(MenuChecked(ID_MENU_PALETTE));
    EXPECT_FALSE(Application::GetInstance().GetConfig()->HasEntry("/Plot/Palette"));

    Command(ID_MENU_PALETTE);
    EXPECT_TRUE(MenuChecked(ID_MENU_PALETTE));
    project->Add(MakeSeries({2}));
    project->Add(MakeSeries({3}));
    EXPECT_EQ(PaletteColour(1), project->GetItem(1)->GetLineStyle().colour);
    EXPECT_EQ(PaletteColour(2), project->GetItem(2)->GetLineStyle().colour);
    Command(ID_MENU_PALETTE);
    Application::GetInstance().GetConfig()->DeleteEntry("/Plot/Palette");
}

// Cursors switched on before there is data are placed over the data when it arrives; later
// a fit or new data moves them only when one lies outside the view.
TEST_F(MainFrameTest, CursorsComeIntoTheViewWithDataAndFits)
{
    GraphPanel* graph = frame->GetGraphPanel();
    const auto cursors = [&] {
        return wxString::Format("%.4g %.4g", graph->Cursors().GetX(0), graph->Cursors().GetX(1));
    };
    Command(ID_MENU_CURSORS);
    EXPECT_EQ("0.3333 0.6667", cursors());
    ImportRamp(); // fits 0..100, which still holds 0.33 and 0.67
    EXPECT_EQ("33.33 66.67", cursors());

    const auto home = [&] {
        wxKeyEvent key(wxEVT_KEY_DOWN);
        key.m_keyCode = WXK_HOME;
        graph->GraphWindow()->GetEventHandler()->ProcessEvent(key);
    };
    // Where the cursors are before the act, the act, where they are after.
    const std::tuple<const char*, double, double, std::function<void()>, const char*> rows[] = {
        {"a fit keeps cursors inside the view", 10, 90, [&] { Command(ID_MENU_FIT); }, "10 90"},
        {"a pan leaves them behind", 10, 90, [&] { Project().SetPlotRange(200, 300, 5, 7); },
         "10 90"},
        {"Fit brings A back", -10, 90, [&] { Command(ID_MENU_FIT); }, "33.33 66.67"},
        {"Home brings B back", 10, 120, home, "33.33 66.67"},
        {"new data, B outside", 10, 150,
         [&] {
             Project().Add(MakeSeries({1, 2}, DataX{0, 10}));
         },
         "33.33 66.67"},
        {"new data, both inside", 10, 90,
         [&] {
             Project().Add(MakeSeries({1, 2}, DataX{0, 500}));
         },
         "10 90"},
    };
    for (const auto& [name, a, b, act, after] : rows) {
        SCOPED_TRACE(name);
        Project().SetPlotRange(0, 100, 5, 7);
        graph->Cursors().SetX(0, a);
        graph->Cursors().SetX(1, b);
        act();
        EXPECT_EQ(after, cursors());
    }
}

} // namespace
