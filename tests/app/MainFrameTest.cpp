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

    void Command(int id) // toolbar identifiers are below the menu ones
    {
        wxCommandEvent event(id < ID_MENU_NEW_PROJECT ? wxEVT_TOOL : wxEVT_MENU, id);
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
    void ExpectRange(const PlotRange& expected)
    {
        const PlotRange r = frame->GetProject()->GetPlotRange();
        EXPECT_NEAR(expected.minX, r.minX, 1e-12);
        EXPECT_NEAR(expected.maxX, r.maxX, 1e-12);
        EXPECT_NEAR(expected.minY, r.minY, 1e-12);
        EXPECT_NEAR(expected.maxY, r.maxY, 1e-12);
    }

    MainFrame* frame = nullptr;
};

// Joins labels with "|"; "-" is a separator, "*" marks a check item.
void AddLabel(wxString& labels, const wxString& label, bool separator, bool check)
{
    labels += (labels.empty() ? "" : "|") + (separator ? "-" : label + (check ? "*" : ""));
}

TEST_F(MainFrameTest, WindowHasItsPanesMenusAndToolbar)
{
    EXPECT_EQ("Ardentine", frame->GetTitle());
    EXPECT_EQ(wxSize(900, 600), frame->GetSize());
    EXPECT_FALSE(frame->GetIcons().IsEmpty());

    const struct
    {
        const char* name;
        const char* caption;
        int dock; // wxAUI_DOCK_NONE: floating and hidden
    } panes[] = {
        {"PanelGraph", "", wxAUI_DOCK_CENTER},        {"PanelProj", "Project", wxAUI_DOCK_LEFT},
        {"PanelProp", "Property", wxAUI_DOCK_RIGHT},  {"PanelManual", "Manual", wxAUI_DOCK_NONE},
        {"PanelLicense", "License", wxAUI_DOCK_NONE}, {"AuiToolBar", "", wxAUI_DOCK_TOP}};
    for (const auto& row : panes) {
        SCOPED_TRACE(row.name);
        const wxAuiPaneInfo& pane = frame->GetAuiManager().GetPane(row.name);
        ASSERT_TRUE(pane.IsOk());
        EXPECT_EQ(row.caption, pane.caption);
        EXPECT_EQ(*row.caption != 0, pane.HasCaption());
        EXPECT_EQ(row.dock, pane.IsFloating() ? int(wxAUI_DOCK_NONE) : pane.dock_direction);
        EXPECT_EQ(row.dock != wxAUI_DOCK_NONE, pane.IsShown());
    }
    EXPECT_TRUE(frame->GetAuiManager().GetPane("AuiToolBar").IsToolbar());
    EXPECT_EQ(frame->GetProjectPanel(), frame->GetAuiManager().GetPane("PanelProj").window);

    const struct
    {
        const char* title;
        const char* items;
        std::vector<int> ids;
    } menus[] = {
        {"File",
         "New Project\tCtrl+N|-|Import\tCtrl+I|Export\tCtrl+X|Export Image "
         "File|Delete|-|Exit\tAlt+F4",
         {ID_MENU_NEW_PROJECT, ID_MENU_IMPORT, ID_MENU_EXPORT, ID_MENU_EXPORT_IMAGE, ID_MENU_DELETE,
          ID_MENU_EXIT}},
        {"Data", "Calculate", {ID_MENU_CALCULATE}},
        {"View",
         "Project*|Property*|-|Fit|Fit Horizontally|Fit Vertically|-|Zoom In|Zoom Out|Zoom "
         "Horizontally*|"
         "Zoom Vertically*",
         {ID_MENU_VIEW_PROJECT, ID_MENU_VIEW_PROPERTY, ID_MENU_FIT, ID_MENU_FIT_X, ID_MENU_FIT_Y,
          ID_MENU_ZOOM_IN, ID_MENU_ZOOM_OUT, ID_MENU_ZOOM_X, ID_MENU_ZOOM_Y}},
        {"Help", "Manual*|License*|About...", {ID_MENU_MANUAL, ID_MENU_LICENSE, ID_MENU_ABOUT}},
    };
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(std::size(menus), bar->GetMenuCount());
    for (size_t m = 0; m < std::size(menus); ++m) {
        SCOPED_TRACE(menus[m].title);
        EXPECT_EQ(menus[m].title, bar->GetMenuLabelText(m));
        wxString labels;
        std::vector<int> ids;
        for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
            AddLabel(labels, item->GetItemLabel(), item->IsSeparator(), item->IsCheckable());
            if (!item->IsSeparator())
                ids.push_back(item->GetId());
        }
        EXPECT_EQ(menus[m].items, labels);
        EXPECT_EQ(menus[m].ids, ids);
    }
    // The data commands come with their own features; until then they are unavailable.
    for (int id : {ID_MENU_IMPORT, ID_MENU_EXPORT, ID_MENU_EXPORT_IMAGE, ID_MENU_CALCULATE})
        EXPECT_FALSE(bar->IsEnabled(id)) << id;

    wxAuiToolBar* tools = frame->GetToolBarPane();
    wxString labels;
    int nextId = 1000;
    for (size_t i = 0; i < tools->GetToolCount(); ++i) {
        const wxAuiToolBarItem* tool = tools->FindToolByIndex(static_cast<int>(i));
        const bool separator = tool->GetKind() == wxITEM_SEPARATOR;
        AddLabel(labels, tool->GetLabel(), separator, tool->GetKind() == wxITEM_CHECK);
        if (!separator) {
            EXPECT_EQ(nextId++, tool->GetId()) << tool->GetLabel();
            EXPECT_TRUE(tool->GetBitmapBundle().IsOk()) << tool->GetLabel();
        }
    }
    EXPECT_EQ("Import from File|Export to File|Calculate|Delete|-|Fit|Zoom In|Zoom Out|"
              "Zoom Horizontally*|Zoom Vertically*",
              labels);
}

TEST_F(MainFrameTest, StatusMessageClearsFiveSecondsAfterTheLastOne)
{
    wxStatusBar* bar = frame->GetStatusBar();
    ASSERT_EQ(2, bar->GetFieldsCount());
    EXPECT_EQ(-1, bar->GetStatusWidth(0));
    EXPECT_EQ(150, bar->GetStatusWidth(1));
    EXPECT_EQ("Thank you for using Ardentine!", StatusText(0));

    wxTimer& timer = frame->GetStatusTimer();
    EXPECT_TRUE(timer.IsRunning());
    timer.Stop();
    frame->SetStatusMessage("second"); // restarts the five seconds
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_TRUE(timer.IsOneShot());
    EXPECT_EQ(5000, timer.GetInterval());
    EXPECT_EQ("second", StatusText(0));
    timer.Stop();
    timer.Notify(); // as if the five seconds were over
    EXPECT_EQ("", StatusText(0));
}

TEST_F(MainFrameTest, NewProjectAsksOnlyWhenModified)
{
    const auto original = frame->GetProject();
    Command(ID_MENU_NEW_PROJECT); // unmodified: any dialog would fail the test
    EXPECT_NE(original, frame->GetProject());
    EXPECT_EQ("Creating new project is completed!", StatusText(0));
    EXPECT_FALSE(frame->IsModified());

    Command(ID_MENU_ZOOM_IN); // even a zoom is a modification
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

    // The new project is observed by the frame and the panes.
    frame->GetProject()->Add(MakeSeries({1, 2}));
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ(1u, frame->GetProjectPanel()->GetCheckList()->GetCount());
}

struct Series
{
    std::vector<double> y;
    DataX x;
    bool visible;
};

TEST_F(MainFrameTest, FitCoversTheVisibleDataOnItsAxes)
{
    const Series falling{{2, 4, 8}, {10, -5}, true}; // X 10, 5, 0
    const struct
    {
        const char* name;
        int command;
        std::vector<Series> series;
        PlotRange expected;
    } rows[] = {
        {"a single value widens both axes by 1", ID_MENU_FIT, {{{5}, {3, 1}, true}}, {2, 4, 4, 6}},
        {"constant Y widens Y only", ID_MENU_FIT, {{{7, 7, 7}, {0, 2}, true}}, {0, 4, 6, 8}},
        {"visible series only",
         ID_MENU_FIT,
         {{{1, 2}, {0, 1}, true}, {{-50, 50}, {-10, 1}, false}},
         {0, 1, 1, 2}},
        {"all hidden: all series",
         ID_MENU_FIT,
         {{{1, 2}, {0, 1}, false}, {{-50, 50}, {-10, 1}, false}},
         {-10, 1, -50, 50}},
        {"Fit Horizontally", ID_MENU_FIT_X, {falling}, {0, 10, -100, 100}},
        {"Fit Vertically", ID_MENU_FIT_Y, {falling}, {-100, 100, 2, 8}},
        {"toolbar Fit", ID_TOOL_FIT, {falling}, {0, 10, 2, 8}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        frame->ResetProject();
        for (const Series& s : row.series) {
            auto data = MakeSeries(s.y, s.x);
            data->SetVisible(s.visible);
            frame->GetProject()->Add(data);
        }
        frame->GetProject()->SetPlotRange(-100, 100, -100, 100);
        Command(row.command);
        ExpectRange(row.expected);
    }
}

TEST_F(MainFrameTest, ZoomScalesAboutTheMidpointByTheConfiguredFactor)
{
    const struct
    {
        const char* factor;
        std::vector<int> commands;
        PlotRange expected;
    } rows[] = {
        {"2", {ID_MENU_ZOOM_IN}, {2.5, 7.5, -1, 1}},
        {"2", {ID_TOOL_ZOOM_OUT}, {-5, 15, -4, 4}},
        {"2", {ID_MENU_ZOOM_X, ID_TOOL_ZOOM_IN, ID_MENU_ZOOM_X}, {0, 10, -1, 1}},
        // Not a finite number above zero: the default 1.1.
        {"0", {ID_MENU_ZOOM_OUT}, {-0.5, 10.5, -2.2, 2.2}},
        {"-2", {ID_MENU_ZOOM_OUT}, {-0.5, 10.5, -2.2, 2.2}},
        {"nan", {ID_MENU_ZOOM_OUT}, {-0.5, 10.5, -2.2, 2.2}},
        {"inf", {ID_MENU_ZOOM_OUT}, {-0.5, 10.5, -2.2, 2.2}},
        {"abc", {ID_MENU_ZOOM_OUT}, {-0.5, 10.5, -2.2, 2.2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.factor);
        Application::GetInstance().GetConfig()->Write(SETTING_MOUSE_ZOOM.key, wxString(row.factor));
        frame->GetProject()->SetPlotRange(0, 10, -2, 2);
        for (int id : row.commands)
            Command(id);
        ExpectRange(row.expected);
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
        for (int id : row.commands)
            Command(id);
        EXPECT_EQ(row.zoomX, frame->IsZoomX());
        EXPECT_EQ(row.zoomY, frame->IsZoomY());
        EXPECT_EQ(row.zoomX, MenuChecked(ID_MENU_ZOOM_X));
        EXPECT_EQ(row.zoomY, MenuChecked(ID_MENU_ZOOM_Y));
        EXPECT_EQ(row.zoomX, ToolChecked(ID_TOOL_ZOOM_X));
        EXPECT_EQ(row.zoomY, ToolChecked(ID_TOOL_ZOOM_Y));
    }
}

TEST_F(MainFrameTest, PaneCommandsToggleWithCheckMarksAndLoadPagesWhenFirstShown)
{
    const struct
    {
        int id;
        const char* pane;
        bool shownAtStart;
        ManualPanel* page;
        const char* url;
    } rows[] = {
        {ID_MENU_VIEW_PROJECT, "PanelProj", true, nullptr, ""},
        {ID_MENU_VIEW_PROPERTY, "PanelProp", true, nullptr, ""},
        {ID_MENU_MANUAL, "PanelManual", false, frame->GetManualPanel(), "/manual/manual.htm"},
        {ID_MENU_LICENSE, "PanelLicense", false, frame->GetLicensePanel(), "/manual/license.htm"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pane);
        EXPECT_FALSE(row.page && row.page->IsLoaded());
        for (bool shown : {!row.shownAtStart, row.shownAtStart}) {
            EXPECT_EQ(!shown, MenuChecked(row.id));
            Command(row.id);
            EXPECT_EQ(shown, frame->GetAuiManager().GetPane(row.pane).IsShown());
            EXPECT_EQ(shown, MenuChecked(row.id));
        }
        EXPECT_TRUE(!row.page || row.page->GetPageURL().EndsWith(row.url));
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
        EXPECT_EQ(what == CURSOR_MOVE ? "1.500000, -2.000000" : "", StatusText(1));
    }
}

TEST_F(MainFrameTest, DeleteRemovesTheSelectedSeriesOrAsksForASelection)
{
    auto project = frame->GetProject();
    for (const char* label : {"a", "b", "c"})
        project->Add(MakeSeries({1}, {}, label));
    frame->SetStatusMessage("");
    wxTEST_DIALOG(Command(ID_MENU_DELETE),
                  ExpectMessageBox("Please select some graph data!", "Error", wxID_OK));
    EXPECT_EQ(3, project->GetCount());
    EXPECT_EQ("", StatusText(0));

    wxCheckListBox* list = frame->GetProjectPanel()->GetCheckList();
    list->SetSelection(1);
    Command(ID_TOOL_DELETE);
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
        for (wxWindow* w : wxTopLevelWindows) {
            auto* dlg = dynamic_cast<wxDialog*>(w);
            if (!dlg || !dlg->IsModal())
                continue;
            EXPECT_EQ(wxSize(247, 322), dlg->GetSize());
            EXPECT_EQ(0, dlg->GetWindowStyle() & (wxCAPTION | wxCLOSE_BOX | wxRESIZE_BORDER));
            auto* ok = wxDynamicCast(dlg->FindWindow(wxID_OK), wxButton);
            ASSERT_NE(nullptr, ok);
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
