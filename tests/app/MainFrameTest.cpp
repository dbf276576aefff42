#include <cmath>

#include <wx/aui/aui.h>
#include <wx/button.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include "app/Application.h"
#include "app/GraphCursor.h"
#include "app/MainFrame.h"
#include "app/ManualPanel.h"
#include "app/ProjectPanel.h"
#include "app/Settings.h"
#include "support/GuiTestSupport.h"
#include "app/AppTestUtil.h"

namespace {

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { frame = new MainFrame(nullptr); }
    void TearDown() override
    {
        delete frame;
        Application::GetInstance().GetConfig()->DeleteEntry(SETTING_MOUSE_ZOOM.key);
    }

    void Command(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(frame);
        frame->ProcessWindowEvent(event);
    }
    wxString StatusText(int field) const { return frame->GetStatusBar()->GetStatusText(field); }
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
    void SetRange(double x0, double x1, double y0, double y1)
    {
        frame->GetProject()->SetPlotRange(x0, x1, y0, y1);
    }

    MainFrame* frame = nullptr;
};

struct MenuRow
{
    int id;
    const char* label;
    const char* accel;
    bool check;
};

TEST_F(MainFrameTest, WindowHasItsTitleSizeAndPanes)
{
    EXPECT_EQ("Ardentine", frame->GetTitle());
    EXPECT_EQ(wxSize(900, 600), frame->GetSize());
    EXPECT_FALSE(frame->GetIcons().IsEmpty());

    wxAuiManager& mgr = frame->GetAuiManager();
    const wxAuiPaneInfo& graph = mgr.GetPane("PanelGraph");
    ASSERT_TRUE(graph.IsOk());
    EXPECT_EQ(wxAUI_DOCK_CENTER, graph.dock_direction);
    EXPECT_FALSE(graph.HasCaption());

    const wxAuiPaneInfo& proj = mgr.GetPane("PanelProj");
    ASSERT_TRUE(proj.IsOk());
    EXPECT_EQ("Project", proj.caption);
    EXPECT_EQ(wxAUI_DOCK_LEFT, proj.dock_direction);
    EXPECT_EQ(1, proj.dock_row);
    EXPECT_EQ(wxSize(150, 50), proj.min_size);
    EXPECT_EQ(frame->GetProjectPanel(), proj.window);

    const wxAuiPaneInfo& prop = mgr.GetPane("PanelProp");
    ASSERT_TRUE(prop.IsOk());
    EXPECT_EQ("Property", prop.caption);
    EXPECT_EQ(wxAUI_DOCK_RIGHT, prop.dock_direction);
    EXPECT_EQ(2, prop.dock_row);
    EXPECT_EQ(wxSize(200, 200), prop.best_size);

    const struct
    {
        const char* name;
        const char* caption;
        wxPoint pos;
    } floating[] = {{"PanelManual", "Manual", {533, 351}}, {"PanelLicense", "License", {571, 350}}};
    for (const auto& row : floating) {
        SCOPED_TRACE(row.name);
        const wxAuiPaneInfo& pane = mgr.GetPane(row.name);
        ASSERT_TRUE(pane.IsOk());
        EXPECT_EQ(row.caption, pane.caption);
        EXPECT_TRUE(pane.IsFloating());
        EXPECT_FALSE(pane.IsShown());
        EXPECT_EQ(row.pos, pane.floating_pos);
        EXPECT_EQ(wxSize(610, 489), pane.floating_size);
    }

    const wxAuiPaneInfo& bar = mgr.GetPane("AuiToolBar");
    ASSERT_TRUE(bar.IsOk());
    EXPECT_TRUE(bar.IsToolbar());
    EXPECT_TRUE(bar.IsFixed());
    EXPECT_TRUE(bar.IsFloatable());
    EXPECT_FALSE(bar.HasCaption());
}

TEST_F(MainFrameTest, MenusHaveTheirItemsInOrder)
{
    const struct
    {
        const char* title;
        std::vector<MenuRow> items; // id -1: separator
    } menus[] = {
        {"File",
         {{ID_MENU_NEW_PROJECT, "New Project", "Ctrl+N", false},
          {-1, "", "", false},
          {ID_MENU_IMPORT, "Import", "Ctrl+I", false},
          {ID_MENU_EXPORT, "Export", "Ctrl+X", false},
          {ID_MENU_EXPORT_IMAGE, "Export Image File", "", false},
          {ID_MENU_DELETE, "Delete", "", false},
          {-1, "", "", false},
          {ID_MENU_EXIT, "Exit", "Alt+F4", false}}},
        {"Data", {{ID_MENU_CALCULATE, "Calculate", "", false}}},
        {"View",
         {{ID_MENU_VIEW_PROJECT, "Project", "", true},
          {ID_MENU_VIEW_PROPERTY, "Property", "", true},
          {-1, "", "", false},
          {ID_MENU_FIT, "Fit", "", false},
          {ID_MENU_FIT_X, "Fit Horizontally", "", false},
          {ID_MENU_FIT_Y, "Fit Vertically", "", false},
          {-1, "", "", false},
          {ID_MENU_ZOOM_IN, "Zoom In", "", false},
          {ID_MENU_ZOOM_OUT, "Zoom Out", "", false},
          {ID_MENU_ZOOM_X, "Zoom Horizontally", "", true},
          {ID_MENU_ZOOM_Y, "Zoom Vertically", "", true}}},
        {"Help",
         {{ID_MENU_MANUAL, "Manual", "", true},
          {ID_MENU_LICENSE, "License", "", true},
          {ID_MENU_ABOUT, "About...", "", false}}},
    };
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(4u, bar->GetMenuCount());
    for (size_t m = 0; m < 4; ++m) {
        SCOPED_TRACE(menus[m].title);
        EXPECT_EQ(menus[m].title, bar->GetMenuLabelText(m));
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(menus[m].items.size(), items.size());
        size_t i = 0;
        for (const wxMenuItem* item : items) {
            const MenuRow& row = menus[m].items[i++];
            SCOPED_TRACE(row.label);
            if (row.id == -1) {
                EXPECT_TRUE(item->IsSeparator());
                continue;
            }
            EXPECT_EQ(row.id, item->GetId());
            EXPECT_EQ(row.label, item->GetItemLabelText());
            const wxString accel = item->GetItemLabel().AfterFirst('\t');
            EXPECT_EQ(row.accel, accel);
            EXPECT_EQ(row.check, item->IsCheckable());
        }
    }
    // The data commands come with their own features; until then they are unavailable.
    for (int id : {ID_MENU_IMPORT, ID_MENU_EXPORT, ID_MENU_EXPORT_IMAGE, ID_MENU_CALCULATE})
        EXPECT_FALSE(bar->IsEnabled(id)) << id;
    EXPECT_TRUE(bar->IsEnabled(ID_MENU_DELETE));
}

TEST_F(MainFrameTest, ToolbarHasToolsOneThousandToOneThousandEight)
{
    const struct
    {
        int id;
        const char* label;
        bool check;
    } tools[] = {{1000, "Import from File", false},
                 {1001, "Export to File", false},
                 {1002, "Calculate", false},
                 {1003, "Delete", false},
                 {1004, "Fit", false},
                 {1005, "Zoom In", false},
                 {1006, "Zoom Out", false},
                 {1007, "Zoom Horizontally", true},
                 {1008, "Zoom Vertically", true}};
    wxAuiToolBar* bar = frame->GetToolBarPane();
    ASSERT_EQ(10u, bar->GetToolCount()); // nine tools and one separator
    EXPECT_EQ(wxITEM_SEPARATOR, bar->FindToolByIndex(4)->GetKind());
    for (const auto& t : tools) {
        SCOPED_TRACE(t.label);
        wxAuiToolBarItem* item = bar->FindTool(t.id);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(t.label, item->GetLabel());
        EXPECT_EQ(t.check ? wxITEM_CHECK : wxITEM_NORMAL, item->GetKind());
        EXPECT_TRUE(item->GetBitmapBundle().IsOk());
    }
}

TEST_F(MainFrameTest, StatusBarGreetsAndClearsWhenTheTimerFires)
{
    wxStatusBar* bar = frame->GetStatusBar();
    ASSERT_EQ(2, bar->GetFieldsCount());
    EXPECT_EQ(-1, bar->GetStatusWidth(0));
    EXPECT_EQ(150, bar->GetStatusWidth(1));
    EXPECT_EQ("Thank you for using Ardentine!", StatusText(0));

    wxTimer& timer = frame->GetStatusTimer();
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_TRUE(timer.IsOneShot());
    EXPECT_EQ(5000, timer.GetInterval());

    // A new message restarts the five seconds.
    timer.Stop();
    frame->SetStatusMessage("first");
    EXPECT_TRUE(timer.IsRunning());
    timer.Stop();
    frame->SetStatusMessage("second");
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(5000, timer.GetInterval());
    EXPECT_EQ("second", StatusText(0));

    timer.Stop();
    timer.Notify(); // as if the five seconds were over
    EXPECT_EQ("", StatusText(0));
}

TEST_F(MainFrameTest, NewProjectAsksOnlyWhenModified)
{
    const auto original = frame->GetProject();
    EXPECT_FALSE(frame->IsModified());

    // Unmodified: no question (any dialog would fail the test).
    Command(ID_MENU_NEW_PROJECT);
    EXPECT_NE(original, frame->GetProject());
    EXPECT_EQ("Creating new project is completed!", StatusText(0));
    EXPECT_FALSE(frame->IsModified());

    // Even a zoom counts as a modification.
    Command(ID_MENU_ZOOM_IN);
    EXPECT_TRUE(frame->IsModified());
    const auto zoomed = frame->GetProject();
    frame->SetStatusMessage("");

    const wxString question = "This project is modified. Do you want to remove all?";
    wxTEST_DIALOG(Command(ID_MENU_NEW_PROJECT), ExpectMessageBox(question, "New Project", wxID_NO));
    EXPECT_EQ(zoomed, frame->GetProject());
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ("", StatusText(0));

    wxTEST_DIALOG(Command(ID_MENU_NEW_PROJECT),
                  ExpectMessageBox(question, "New Project", wxID_YES));
    EXPECT_NE(zoomed, frame->GetProject());
    EXPECT_FALSE(frame->IsModified());
    EXPECT_EQ(0, frame->GetProject()->GetCount());

    // The new project is observed: its first change marks it modified again.
    frame->GetProject()->Add(MakeSeries({1, 2}));
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ(1u, frame->GetProjectPanel()->GetCheckList()->GetCount());
}

TEST_F(MainFrameTest, FitCoversTheDataWithOneRangeChange)
{
    const struct
    {
        const char* name;
        std::vector<std::vector<double>> values;
        std::vector<DataX> xs;
        std::vector<bool> visible;
        PlotRange expected;
    } rows[] = {
        {"no series", {}, {}, {}, {0, 1, 0, 1}},
        {"one constant series widens both axes", {{5}}, {{3, 1}}, {true}, {2, 4, 4, 6}},
        {"constant Y widens Y only", {{7, 7, 7}}, {{0, 2}}, {true}, {0, 4, 6, 8}},
        {"visible series only",
         {{1, 2}, {-50, 50}},
         {{0, 1}, {-10, 1}},
         {true, false},
         {0, 1, 1, 2}},
        {"all hidden: all series",
         {{1, 2}, {-50, 50}},
         {{0, 1}, {-10, 1}},
         {false, false},
         {-10, 1, -50, 50}},
        {"negative interval", {{1, 2, 3}}, {{10, -2}}, {true}, {6, 10, 1, 3}},
        {"empty series only", {{}}, {{0, 1}}, {true}, {0, 1, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        frame->ResetProject();
        auto project = frame->GetProject();
        for (size_t i = 0; i < row.values.size(); ++i) {
            project->Add(MakeSeries(row.values[i], row.xs[i]));
            project->GetItem(static_cast<int>(i))->SetVisible(row.visible[i]);
        }
        SetRange(-100, 100, -100, 100);
        KindCounter counter;
        project->Attach(&counter);
        Command(ID_MENU_FIT);
        project->Detach(&counter);
        const PlotRange r = project->GetPlotRange();
        EXPECT_DOUBLE_EQ(row.expected.minX, r.minX);
        EXPECT_DOUBLE_EQ(row.expected.maxX, r.maxX);
        EXPECT_DOUBLE_EQ(row.expected.minY, r.minY);
        EXPECT_DOUBLE_EQ(row.expected.maxY, r.maxY);
        EXPECT_EQ(1, counter.Count(PROJ_PLOT_RANGE));
    }
}

TEST_F(MainFrameTest, FitOneAxisKeepsTheOther)
{
    auto project = frame->GetProject();
    project->Add(MakeSeries({2, 4, 8}, DataX{10, 5}));
    SetRange(0, 1, 0, 1);
    Command(ID_MENU_FIT_X);
    PlotRange r = project->GetPlotRange();
    EXPECT_EQ(10, r.minX);
    EXPECT_EQ(20, r.maxX);
    EXPECT_EQ(0, r.minY);
    EXPECT_EQ(1, r.maxY);

    SetRange(0, 1, 0, 1);
    Command(ID_MENU_FIT_Y);
    r = project->GetPlotRange();
    EXPECT_EQ(0, r.minX);
    EXPECT_EQ(1, r.maxX);
    EXPECT_EQ(2, r.minY);
    EXPECT_EQ(8, r.maxY);

    // The toolbar's Fit runs the same command.
    SetRange(0, 1, 0, 1);
    wxCommandEvent tool(wxEVT_TOOL, ID_TOOL_FIT);
    frame->ProcessWindowEvent(tool);
    r = project->GetPlotRange();
    EXPECT_EQ(10, r.minX);
    EXPECT_EQ(8, r.maxY);
}

TEST_F(MainFrameTest, ZoomScalesAboutTheMidpointByTheConfiguredFactor)
{
    Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, 2.0);
    auto project = frame->GetProject();

    SetRange(0, 10, -2, 2);
    Command(ID_MENU_ZOOM_IN);
    PlotRange r = project->GetPlotRange();
    EXPECT_DOUBLE_EQ(2.5, r.minX);
    EXPECT_DOUBLE_EQ(7.5, r.maxX);
    EXPECT_DOUBLE_EQ(-1, r.minY);
    EXPECT_DOUBLE_EQ(1, r.maxY);

    SetRange(0, 10, -2, 2);
    KindCounter counter;
    project->Attach(&counter);
    Command(ID_MENU_ZOOM_OUT);
    project->Detach(&counter);
    r = project->GetPlotRange();
    EXPECT_DOUBLE_EQ(-5, r.minX);
    EXPECT_DOUBLE_EQ(15, r.maxX);
    EXPECT_DOUBLE_EQ(-4, r.minY);
    EXPECT_DOUBLE_EQ(4, r.maxY);
    EXPECT_EQ(2, counter.Count(PROJ_PLOT_RANGE)); // X, then Y

    // Only the axes switched on zoom.
    Command(ID_MENU_ZOOM_X);
    SetRange(0, 10, -2, 2);
    Command(ID_MENU_ZOOM_IN);
    r = project->GetPlotRange();
    EXPECT_DOUBLE_EQ(0, r.minX);
    EXPECT_DOUBLE_EQ(10, r.maxX);
    EXPECT_DOUBLE_EQ(-1, r.minY);
    EXPECT_DOUBLE_EQ(1, r.maxY);
}

TEST_F(MainFrameTest, UnusableZoomFactorFallsBackToTheDefault)
{
    wxConfigBase* config = Application::GetInstance().GetConfig();
    for (const char* text : {"0", "-2", "nan", "inf", "abc"}) {
        SCOPED_TRACE(text);
        config->Write(SETTING_MOUSE_ZOOM.key, wxString(text));
        SetRange(0, 11, 0, 11);
        Command(ID_MENU_ZOOM_OUT);
        const PlotRange r = frame->GetProject()->GetPlotRange();
        EXPECT_NEAR(-0.55, r.minX, 1e-12);
        EXPECT_NEAR(11.55, r.maxX, 1e-12);
        EXPECT_TRUE(std::isfinite(r.minY) && std::isfinite(r.maxY));
    }
}

TEST_F(MainFrameTest, ZoomTogglesKeepOneAxisOn)
{
    const struct
    {
        const char* name;
        std::vector<int> commands;
        bool zoomX, zoomY;
    } rows[] = {
        {"start", {}, true, true},
        {"X off", {ID_MENU_ZOOM_X}, false, true},
        {"Y off after X off turns X on", {ID_MENU_ZOOM_X, ID_MENU_ZOOM_Y}, true, false},
        {"X off after Y off turns Y on", {ID_MENU_ZOOM_Y, ID_MENU_ZOOM_X}, false, true},
        {"tool toggles like the menu", {ID_TOOL_ZOOM_Y}, true, false},
        {"twice is back on", {ID_MENU_ZOOM_Y, ID_TOOL_ZOOM_Y}, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        delete frame;
        frame = new MainFrame(nullptr);
        for (int id : row.commands) {
            wxCommandEvent event(id >= 1100 ? wxEVT_MENU : wxEVT_TOOL, id);
            frame->ProcessWindowEvent(event);
        }
        EXPECT_EQ(row.zoomX, frame->IsZoomX());
        EXPECT_EQ(row.zoomY, frame->IsZoomY());
        EXPECT_EQ(row.zoomX, MenuChecked(ID_MENU_ZOOM_X));
        EXPECT_EQ(row.zoomY, MenuChecked(ID_MENU_ZOOM_Y));
        EXPECT_EQ(row.zoomX, ToolChecked(ID_TOOL_ZOOM_X));
        EXPECT_EQ(row.zoomY, ToolChecked(ID_TOOL_ZOOM_Y));
    }
}

TEST_F(MainFrameTest, PaneCommandsToggleAndCheckMarksFollow)
{
    const struct
    {
        int id;
        const char* pane;
        bool shownAtStart;
    } rows[] = {{ID_MENU_VIEW_PROJECT, "PanelProj", true},
                {ID_MENU_VIEW_PROPERTY, "PanelProp", true},
                {ID_MENU_MANUAL, "PanelManual", false},
                {ID_MENU_LICENSE, "PanelLicense", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pane);
        EXPECT_EQ(row.shownAtStart, MenuChecked(row.id));
        Command(row.id);
        EXPECT_EQ(!row.shownAtStart, frame->GetAuiManager().GetPane(row.pane).IsShown());
        EXPECT_EQ(!row.shownAtStart, MenuChecked(row.id));
        Command(row.id);
        EXPECT_EQ(row.shownAtStart, frame->GetAuiManager().GetPane(row.pane).IsShown());
        EXPECT_EQ(row.shownAtStart, MenuChecked(row.id));
    }
}

TEST_F(MainFrameTest, ManualAndLicensePanesLoadTheirPageWhenFirstShown)
{
    ManualPanel* manual = frame->GetManualPanel();
    ManualPanel* license = frame->GetLicensePanel();
    EXPECT_FALSE(manual->IsLoaded());
    EXPECT_FALSE(license->IsLoaded());

    Command(ID_MENU_MANUAL);
    EXPECT_TRUE(manual->IsLoaded());
    EXPECT_TRUE(manual->GetPageURL().EndsWith("/manual/manual.htm"));
    EXPECT_FALSE(license->IsLoaded());

    Command(ID_MENU_LICENSE);
    EXPECT_TRUE(license->GetPageURL().EndsWith("/manual/license.htm"));
}

struct FakeGraph : wxObject, GraphCursorSource
{
    wxRealPoint GetCursorPoint() const override { return {1.5, -2.0}; }
};

TEST_F(MainFrameTest, CursorReportsGoToTheSecondStatusField)
{
    FakeGraph graph;
    auto send = [&](int what) {
        wxCommandEvent event(EVT_GRAPH_CURSOR);
        event.SetInt(what);
        event.SetEventObject(&graph);
        frame->GetGraphPanel()->GetEventHandler()->ProcessEvent(event);
    };
    send(CURSOR_MOVE);
    EXPECT_EQ("1.500000, -2.000000", StatusText(1));
    send(CURSOR_ENTER);
    EXPECT_EQ("1.500000, -2.000000", StatusText(1));
    send(CURSOR_LEAVE);
    EXPECT_EQ("", StatusText(1));
}

TEST_F(MainFrameTest, DeleteRemovesTheSelectedSeriesOrAsksForASelection)
{
    auto project = frame->GetProject();
    project->Add(MakeSeries({1}, {}, "a"));
    project->Add(MakeSeries({2}, {}, "b"));
    project->Add(MakeSeries({3}, {}, "c"));
    frame->SetStatusMessage("");

    wxTEST_DIALOG(Command(ID_MENU_DELETE),
                  ExpectMessageBox("Please select some graph data!", "Error", wxID_OK));
    EXPECT_EQ(3, project->GetCount());
    EXPECT_EQ("", StatusText(0));

    wxCheckListBox* list = frame->GetProjectPanel()->GetCheckList();
    list->SetSelection(1);
    wxCommandEvent tool(wxEVT_TOOL, ID_TOOL_DELETE);
    frame->ProcessWindowEvent(tool);
    ASSERT_EQ(2, project->GetCount());
    EXPECT_EQ("a", project->GetItem(0)->GetLabel());
    EXPECT_EQ("c", project->GetItem(1)->GetLabel());
    EXPECT_EQ("Deleting selected data is completed!", StatusText(0));
    EXPECT_EQ("[02]c", list->GetString(1));
}

TEST_F(MainFrameTest, AboutBoxIsFramelessAndClosesWithItsButton)
{
    RealModalScope allow;
    bool checked = false;
    frame->CallAfter([&checked] {
        // The about box is the active modal dialog now.
        for (wxWindow* w : wxTopLevelWindows) {
            auto* dlg = dynamic_cast<wxDialog*>(w);
            if (!dlg || !dlg->IsModal())
                continue;
            EXPECT_EQ(wxSize(247, 322), dlg->GetSize());
            EXPECT_EQ(0, dlg->GetWindowStyle() & (wxCAPTION | wxCLOSE_BOX | wxRESIZE_BORDER));
            auto* ok = wxDynamicCast(dlg->FindWindow(wxID_OK), wxButton);
            ASSERT_NE(nullptr, ok);
            EXPECT_EQ("OK", ok->GetLabel());
            wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
            click.SetEventObject(ok);
            ok->ProcessWindowEvent(click);
            checked = true;
        }
    });
    Command(ID_MENU_ABOUT); // returns once the button closed the box
    EXPECT_TRUE(checked);
}

} // namespace
