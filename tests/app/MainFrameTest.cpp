// The main window's own commands: the menus and tools that act on the view, the panes,
// the status bar and the history of views.
#include <wx/aui/aui.h>
#include <wx/menu.h>
#include <wx/regex.h>

#include "app/Settings.h"
#include "app/dialogs/AboutDlg.h"
#include "app/panes/ManualPanel.h"
#include "model/Palette.h"
#include "support/GuiTestSupport.h"
#include "support/ModelTestUtil.h"

namespace {

class MainFrameTest : public CommandTest
{
protected:
    void TearDown() override
    {
        CommandTest::TearDown();
        Application::GetInstance().GetConfig()->DeleteEntry(SETTING_MOUSE_ZOOM.key);
        Application::GetInstance().GetConfig()->DeleteEntry("/Plot/Palette");
    }
    bool MenuState(int id, bool checked = true)
    {
        frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        frame->GetMenuBar()->UpdateMenus();
        return checked ? frame->GetMenuBar()->IsChecked(id) : frame->GetMenuBar()->IsEnabled(id);
    }
    bool ToolChecked(int id)
    {
        frame->GetToolBarPane()->UpdateWindowUI(wxUPDATE_UI_FROMIDLE);
        return frame->GetToolBarPane()->GetToolToggled(id);
    }
    const wxString question = "This project is modified. Do you want to remove all?";
};

// A tool without its picture, a status field too narrow for the coordinates (it was cut at
// 150 pixels) and an About box with a fixed date were all faults once.
TEST_F(MainFrameTest, ToolsStatusBarAndAboutBox)
{
    wxAuiToolBar* tools = frame->GetToolBarPane();
    ASSERT_GT(tools->GetToolCount(), 0u);
    for (int i = 0; i < int(tools->GetToolCount()); ++i) {
        const wxAuiToolBarItem* tool = tools->FindToolByIndex(i);
        EXPECT_TRUE(tool->GetKind() == wxITEM_SEPARATOR || tool->GetBitmapBundle().IsOk())
            << tool->GetLabel();
    }

    // A message clears five seconds after the last one.
    wxTimer& timer = frame->GetStatusTimer();
    timer.Stop();
    frame->SetStatusMessage("second"); // restarts the five seconds
    EXPECT_TRUE(timer.IsRunning());
    timer.Stop();
    timer.Notify(); // as if the five seconds were over
    EXPECT_EQ("", Status());
    wxStatusBar* bar = frame->GetStatusBar();
    frame->SetClientSize(900, 600);
    wxRect field;
    ASSERT_TRUE(bar->GetFieldRect(1, field));
    EXPECT_GT(field.width, bar->GetTextExtent(COORDINATE_SAMPLE).x);

    wxArrayString lines;
    RunWithDialogs([&] { Menu(ID_MENU_ABOUT); }, InOrder(Dialog<AboutDlg>([&](AboutDlg* dlg) {
                       lines = dlg->GetLines();
                       return wxID_OK;
                   })));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Version: " ARDENTINE_PROJECT_VERSION);
    EXPECT_TRUE(wxRegEx("^Build Date: 20[0-9]{2}-[01][0-9]-[0-3][0-9]$").Matches(lines[1]))
        << lines[1];
}

// New Project asks only when the project is modified (even a zoom counts), and the new
// project is observed by the frame and the panes.
TEST_F(MainFrameTest, NewProjectAsksOnlyWhenModified)
{
    Menu(ID_MENU_NEW_PROJECT); // unmodified: any dialog would fail the test
    EXPECT_EQ("Creating new project is completed!", Status());
    for (int answer : {wxID_NO, wxID_YES}) {
        Menu(ID_MENU_ZOOM_IN);
        RunWithDialogs([&] { Menu(ID_MENU_NEW_PROJECT); },
                       InOrder(Box(question, "New Project", answer)));
        EXPECT_EQ(answer == wxID_NO, frame->IsModified());
    }
    frame->GetProject()->Add(MakeSeries({1, 2}));
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ((Rows{"x[01]"}), Items());
}

// One row per command: the fit's and the zoom's own rules are the model's; the zoom factor
// comes from the configuration.
TEST_F(MainFrameTest, FitAndZoomCommands)
{
    Project().Add(MakeSeries({2, 4, 8}, {10, -5}));
    auto hidden = MakeSeries({-500, 500}, {-900, 1});
    hidden->SetVisible(false);
    Project().Add(hidden);
    Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, "2");
    // The commands, the range after.
    const std::pair<std::vector<int>, const char*> rows[] = {
        {{ID_MENU_FIT_X}, "0 10 -2 2"},
        {{ID_MENU_FIT_Y}, "0 20 2 8"},
        {{ID_TOOL_FIT}, "0 10 2 8"},
        {{ID_MENU_ZOOM_IN}, "5 15 -1 1"},
        {{ID_TOOL_ZOOM_OUT}, "-10 30 -4 4"},
        {{ID_MENU_ZOOM_X, ID_TOOL_ZOOM_IN, ID_MENU_ZOOM_X}, "0 20 -1 1"},
    };
    for (const auto& [commands, expected] : rows) {
        SCOPED_TRACE(expected);
        Project().SetPlotRange(0, 20, -2, 2);
        for (int id : commands)
            Menu(id);
        EXPECT_EQ(expected, Range());
    }
}

// The menu, the tools and the wheel in the graph pane follow the same flags, and one axis
// always stays on.
TEST_F(MainFrameTest, ZoomTogglesKeepOneAxisOn)
{
    const std::tuple<std::vector<int>, bool, bool> rows[] = {
        {{ID_MENU_ZOOM_X}, false, true},
        {{ID_MENU_ZOOM_X, ID_MENU_ZOOM_Y}, true, false}, // Y off after X off turns X on
        {{ID_MENU_ZOOM_Y, ID_TOOL_ZOOM_Y}, true, true},
    };
    for (const auto& [commands, zoomX, zoomY] : rows) {
        SCOPED_TRACE(commands.size());
        delete frame;
        frame = new MainFrame(nullptr);
        for (int id : commands)
            Menu(id);
        const GraphPanel* graph = frame->GetGraphPanel();
        EXPECT_EQ(std::tuple(zoomX, zoomX, zoomX, zoomY, zoomY, zoomY),
                  std::tuple(MenuState(ID_MENU_ZOOM_X), ToolChecked(ID_TOOL_ZOOM_X),
                             graph->IsZoomX(), MenuState(ID_MENU_ZOOM_Y),
                             ToolChecked(ID_TOOL_ZOOM_Y), graph->IsZoomY()));
    }
}

TEST_F(MainFrameTest, PaneCommandsToggleWithCheckMarksAndLoadPagesWhenFirstShown)
{
    // The command, its pane, shown at start, the page it loads.
    const std::tuple<int, const char*, bool, ManualPanel*, const char*> rows[] = {
        {ID_MENU_VIEW_PROJECT, "PanelProj", true, nullptr, ""},
        {ID_MENU_LICENSE, "PanelLicense", false, frame->GetLicensePanel(), "/manual/license.htm"}};
    for (const auto& [id, pane, shownAtStart, page, url] : rows) {
        SCOPED_TRACE(pane);
        // Not loaded, and no web view (its helper processes) until first shown.
        EXPECT_FALSE(page && (page->IsLoaded() || page->GetWebView()));
        for (bool shown : {!shownAtStart, shownAtStart}) {
            Menu(id);
            EXPECT_EQ(shown, frame->GetAuiManager().GetPane(pane).IsShown());
            EXPECT_EQ(shown, MenuState(id));
        }
        EXPECT_TRUE(!page || (page->GetPageURL().EndsWith(url) && page->GetWebView()));
    }
}

// Delete removes the selected series or asks for a selection.
TEST_F(MainFrameTest, DeleteRemovesTheSelectedSeriesOrAsksForASelection)
{
    for (const char* label : {"a", "b", "c"})
        Project().Add(MakeSeries({1}, {}, label));
    frame->SetStatusMessage("");
    RunWithDialogs([&] { Menu(ID_MENU_DELETE); }, InOrder(Box("Please select some graph data!")));
    EXPECT_EQ(3, Project().GetCount());
    frame->GetProjectPanel()->GetCheckList()->SetSelection(1);
    Menu(ID_TOOL_DELETE);
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
    EXPECT_FALSE(MenuState(ID_MENU_BACK, false));
    Project().SetPlotRange(0, 2, 0, 2); // moved about before any data
    settle();
    Import(Write("ramp.csv", "x,y\n0,5\n50,7\n100,6\n"));
    settle(); // the view is recorded after the command
    EXPECT_FALSE(MenuState(ID_MENU_BACK, false));
    Menu(ID_MENU_ZOOM_OUT); // X then Y: one entry
    settle();
    Project().BeginInterim();
    for (double x : {1, 2, 3})
        Project().SetPlotRange(x, x + 100, 5, 7);
    Project().EndInterim(); // a drag ending at 3 103 5 7
    settle();
    EXPECT_EQ(3u, frame->GetViewHistory().GetCount());

    // The command, the range after.
    const std::pair<int, const char*> rows[] = {
        {ID_MENU_BACK, "-5 105 4.9 7.1"},
        {ID_TOOL_BACK, "0 100 5 7"},
        {ID_MENU_FORWARD, "-5 105 4.9 7.1"},
        {ID_MENU_FORWARD, "3 103 5 7"},
    };
    for (const auto& [id, range] : rows) {
        Menu(id);
        EXPECT_EQ(range, Range());
    }
    settle(); // going through the history records nothing new
    EXPECT_EQ(3u, frame->GetViewHistory().GetCount());
    EXPECT_FALSE(frame->GetViewHistory().CanGoForward());
    RunWithDialogs([&] { Menu(ID_MENU_NEW_PROJECT); },
                   InOrder(Box(question, "New Project", wxID_YES)));
    EXPECT_EQ(1u, frame->GetViewHistory().GetCount());
}

// Off by default (every series blue, as always); on, each new series takes the next
// palette colour, and the choice is kept in the configuration.
TEST_F(MainFrameTest, DistinctColoursForNewSeriesIsOptIn)
{
    EXPECT_FALSE(MenuState(ID_MENU_PALETTE));
    Project().Add(MakeSeries({1}));
    Menu(ID_MENU_PALETTE);
    EXPECT_TRUE(MenuState(ID_MENU_PALETTE));
    Project().Add(MakeSeries({2}));
    EXPECT_EQ(Colour(0, 0, 255), Project().GetItem(0)->GetLineStyle().colour);
    EXPECT_EQ(PaletteColour(1), Project().GetItem(1)->GetLineStyle().colour);
    EXPECT_TRUE(Application::GetInstance().GetConfig()->HasEntry("/Plot/Palette"));
    Menu(ID_MENU_PALETTE);
}

// Cursors switched on before there is data are placed over the data when it arrives; later
// a fit or new data moves them only when one lies outside the view.
TEST_F(MainFrameTest, CursorsComeIntoTheViewWithDataAndFits)
{
    GraphPanel* graph = frame->GetGraphPanel();
    const auto cursors = [&] {
        return wxString::Format("%.4g %.4g", graph->Cursors().GetX(0), graph->Cursors().GetX(1));
    };
    Menu(ID_MENU_CURSORS);
    EXPECT_EQ("0.3333 0.6667", cursors());
    Import(Write("ramp.csv", "x,y\n0,5\n50,7\n100,6\n")); // fits 0..100
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ("33.33 66.67", cursors());

    const auto home = [&] {
        wxKeyEvent key(wxEVT_KEY_DOWN);
        key.m_keyCode = WXK_HOME;
        graph->GraphWindow()->GetEventHandler()->ProcessEvent(key);
    };
    const auto add = [&](double interval) {
        return [&, interval] { Project().Add(MakeSeries({1, 2}, DataX{0, interval})); };
    };
    // Where the cursors are before the act, the act, where they are after.
    const std::tuple<const char*, double, double, std::function<void()>, const char*> rows[] = {
        {"a fit keeps cursors inside the view", 10, 90, [&] { Menu(ID_MENU_FIT); }, "10 90"},
        {"a pan leaves them behind", 10, 90, [&] { Project().SetPlotRange(200, 300, 5, 7); },
         "10 90"},
        {"Fit brings A back", -10, 90, [&] { Menu(ID_MENU_FIT); }, "33.33 66.67"},
        {"Home brings B back", 10, 120, home, "33.33 66.67"},
        {"new data, B outside", 10, 150, add(10), "33.33 66.67"},
        {"new data, both inside", 10, 90, add(500), "10 90"},
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
