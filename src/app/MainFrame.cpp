#include "app/MainFrame.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include "app/Application.h"
#include "app/dialogs/AboutDlg.h"
#include "app/Artwork.h"
#include "app/CommandReport.h"
#include "app/GraphCursor.h"
#include "app/panes/ManualPanel.h"
#include "app/panes/ProjectPanel.h"
#include "app/Settings.h"
#include "app/commands/CalculateCommand.h"
#include "app/commands/ExportCommand.h"
#include "app/commands/ExportImageCommand.h"
#include "app/commands/ImportCommand.h"
#include "app/commands/ProjectCommand.h"
#include "app/commands/ReloadCommand.h"
#include "csv/Follow.h"
#include "app/panes/GraphPanel.h"
#include "app/panes/PropertyPanel.h"
#include "model/Palette.h"
#include "project/ProjectFile.h"
#include "render/TimeTicks.h"

MainFrame::MainFrame(wxWindow* parent)
    : MainFrameDesign(parent, wxID_ANY, _("Ardentine"), wxDefaultPosition, wxSize(900, 600)),
      m_statusTimer(this), m_followTimer(this), m_follower(std::make_unique<FileFollower>())
{
    m_panelGraph = new GraphPanel(this);
    m_panelProj = new ProjectPanel(this);
    m_panelProp = new PropertyPanel(this);
    m_panelManual = new ManualPanel(this);
    m_panelLicense = new ManualPanel(this);
    AddPanes(m_panelGraph, m_panelProj, m_panelProp, m_panelManual, m_panelLicense);
    // The cursors' read-out describes the series selected in the project list.
    m_panelGraph->Cursors().SetSelectedSeriesSource(
        [this] { return m_panelProj->GetSelectedGraphIndex(); });
    m_panelGraph->SetZoomFactorSource([this] { return ReadZoomFactor(GetConfig()); });
    m_panelProj->GetCheckList()->Bind(wxEVT_LISTBOX, [this](wxCommandEvent& event) {
        m_panelGraph->GraphWindow()->Refresh(false);
        event.Skip();
    });

    // Wide enough for the cursor's coordinates in the widest form they take.
    const int widths[] = {-1, m_statusBar->GetTextExtent(COORDINATE_SAMPLE).x + 24};
    m_statusBar->SetStatusWidths(2, widths);

    Bind(wxEVT_TIMER, &MainFrame::StatusTimer_OnTimer, this, m_statusTimer.GetId());
    Bind(wxEVT_TIMER, &MainFrame::FollowTimer_OnTimer, this, m_followTimer.GetId());
    SetStatusMessage(_("Thank you for using Ardentine!"));

    m_panelGraph->Bind(EVT_GRAPH_CURSOR, &MainFrame::GraphPanel_OnCursor, this);
    m_panelGraph->Bind(EVT_GRAPH_INTERVALS, &MainFrame::GraphPanel_OnIntervals, this);
    SetIcons(CreateAppIconBundle());

    m_recentFiles.UseMenu(m_menuRecentFiles);
    m_recentFiles.LoadFrom(GetConfig());
    m_recentFiles.AddFilesToMenu();
    Bind(wxEVT_MENU, &MainFrame::MenuItemRecentFile_OnMenuSelection, this, wxID_FILE1,
         wxID_FILE1 + RecentFiles::MAX_FILES - 1);
    SetDropTarget(new ImportDropTarget(*this));
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::Frame_OnClose, this);

    ResetProject();
}

MainFrame::~MainFrame()
{
    m_panelGraph->Unbind(EVT_GRAPH_CURSOR, &MainFrame::GraphPanel_OnCursor, this);
    m_panelGraph->Unbind(EVT_GRAPH_INTERVALS, &MainFrame::GraphPanel_OnIntervals, this);
    m_statusTimer.Stop();
    m_followTimer.Stop();
    m_follower->Stop();
    Unbind(wxEVT_TIMER, &MainFrame::StatusTimer_OnTimer, this, m_statusTimer.GetId());
    Unbind(wxEVT_TIMER, &MainFrame::FollowTimer_OnTimer, this, m_followTimer.GetId());
    // The panes outlive this body; they must not keep a link to a destroyed project.
    ReleaseProject();
}

void MainFrame::ReleaseProject()
{
    m_panelGraph->SetProject(nullptr);
    m_panelProj->SetProject(nullptr);
    m_panelProp->SetProject(nullptr);
    if (m_project)
        m_project->Detach(this);
    m_project.reset();
}

void MainFrame::ResetProject()
{
    SetProject(CreateGraphProject(), wxString(), false);
}

void MainFrame::SetProject(std::shared_ptr<GraphProject> project, const wxString& path,
                           bool modified)
{
    ReleaseProject();
    m_project = std::move(project);
    m_project->Attach(this);
    m_panelGraph->SetProject(m_project.get());
    m_panelProj->SetProject(m_project.get());
    m_panelProp->SetProject(m_project.get());
    m_history.Reset(m_project->GetPlotRange(), m_project->GetCount() > 0);
    m_projectPath = path;
    SetModified(modified);
}

void MainFrame::MarkSaved(const wxString& path)
{
    m_projectPath = path;
    SetModified(false);
}

void MainFrame::SetModified(bool modified)
{
    m_modified = modified;
    UpdateTitle();
}

wxString MainFrame::GetProjectName() const
{
    return m_projectPath.empty() ? wxString(_("Untitled")) : wxFileName(m_projectPath).GetName();
}

void MainFrame::UpdateTitle()
{
    const wxString title = (m_modified ? "*" : "") + GetProjectName() + " - " + _("Ardentine");
    if (GetTitle() != title)
        SetTitle(title);
}

SavedCursors MainFrame::GetCursors() const
{
    CursorOverlay& cursors = m_panelGraph->Cursors();
    return SavedCursors{cursors.IsShown(), {cursors.GetX(0), cursors.GetX(1)}};
}

void MainFrame::SetCursors(const SavedCursors& cursors)
{
    CursorOverlay& overlay = m_panelGraph->Cursors();
    overlay.Show(cursors.shown);
    overlay.SetX(0, cursors.x[0]);
    overlay.SetX(1, cursors.x[1]);
}

void MainFrame::Frame_OnClose(wxCloseEvent& event)
{
    if (event.CanVeto() && !SaveOrDiscardModified(*this, _("Exit"))) {
        event.Veto();
        return;
    }
    event.Skip();
}

void MainFrame::Update(Observable*, const ObserverParamBase& param)
{
    auto* update = dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param);
    if (!update)
        return;
    if (!m_modified)
        SetModified(true);
    const uint32_t kind = update->GetValue().kind;
    if ((kind & PROJ_ADD) && ReadPaletteSetting(GetConfig())) {
        const int last = m_project->GetCount() - 1;
        if (auto series = m_project->GetItem(last)) {
            LineStyle style = series->GetLineStyle();
            style.colour = PaletteColour(last);
            series->SetLineStyle(style);
        }
    }
    if ((kind & PROJ_PLOT_RANGE) && !(kind & PROJ_INTERIM) && !m_showingHistory &&
        !m_recordPending) {
        m_recordPending = true;
        CallAfter(&MainFrame::RecordView);
    }
}

void MainFrame::RecordView()
{
    m_recordPending = false;
    if (m_project)
        m_history.Push(m_project->GetPlotRange(), m_project->GetCount() > 0);
}

void MainFrame::ShowView(const PlotRange& range)
{
    m_showingHistory = true;
    m_project->SetPlotRange(range.minX, range.maxX, range.minY, range.maxY);
    m_showingHistory = false;
}

void MainFrame::MenuItemBack_OnMenuSelection(wxCommandEvent&)
{
    if (m_recordPending)
        RecordView();
    if (m_history.CanGoBack())
        ShowView(m_history.GoBack());
}

void MainFrame::MenuItemForward_OnMenuSelection(wxCommandEvent&)
{
    if (m_recordPending)
        RecordView();
    if (m_history.CanGoForward())
        ShowView(m_history.GoForward());
}

void MainFrame::MenuItemPalette_OnMenuSelection(wxCommandEvent&)
{
    WritePaletteSetting(GetConfig(), !ReadPaletteSetting(GetConfig()));
}

void MainFrame::MenuItemCursors_OnMenuSelection(wxCommandEvent&)
{
    m_panelGraph->Cursors().Show(!m_panelGraph->Cursors().IsShown());
}

void MainFrame::MenuItemCursors_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(m_panelGraph->Cursors().IsShown());
}

void MainFrame::MenuItemCache_OnMenuSelection(wxCommandEvent&)
{
    WriteCacheEnabled(GetConfig(), !ReadCacheSettings(GetConfig()).enabled);
    Application::GetInstance().ResetColumnCache();
}

void MainFrame::MenuItemCache_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(ReadCacheSettings(GetConfig()).enabled);
}

void MainFrame::MenuItemClearCache_OnMenuSelection(wxCommandEvent&)
{
    const int removed = GetColumnCache()->Clear();
    SetStatusMessage(
        wxString::Format(wxPLURAL("The column cache is cleared: %d file removed.",
                                  "The column cache is cleared: %d files removed.", removed),
                         removed));
}

void MainFrame::MenuItemPalette_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(ReadPaletteSetting(GetConfig()));
}

void MainFrame::MenuItemBack_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Enable(m_history.CanGoBack());
}

void MainFrame::MenuItemForward_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Enable(m_history.CanGoForward());
}

wxConfigBase& MainFrame::GetConfig()
{
    wxConfigBase* config = Application::GetInstance().GetConfig();
    wxASSERT_MSG(config, "the configuration is loaded before the main window is made");
    return *config;
}

ColumnCache* MainFrame::GetColumnCache()
{
    return &Application::GetInstance().GetColumnCache();
}

bool MainFrame::GetDrawnGraphSize(wxSize& size) const
{
    if (!m_panelGraph->IsRendered())
        return false;
    const RenderSize drawn = m_panelGraph->GetRenderInfo().lastSize;
    size = wxSize(static_cast<int>(drawn.width), static_cast<int>(drawn.height));
    return true;
}

void MainFrame::SetStatusMessage(const wxString& text)
{
    SetStatusText(text, 0);
    m_statusTimer.StartOnce(STATUS_MESSAGE_MS);
}

void MainFrame::SetFollowing(bool follow)
{
    if (follow && !m_followTimer.IsRunning()) {
        PrepareToFollow(*m_project);
        m_followTimer.Start(FOLLOW_POLL_MS);
        StartFollowRead(); // what the files gained while it was off, at once
    } else if (!follow) {
        m_followTimer.Stop();
        m_follower->Stop();
    }
}

void MainFrame::FollowTimer_OnTimer(wxTimerEvent&)
{
    StartFollowRead();
}

void MainFrame::StartFollowRead()
{
    // The read ends on the follower's thread; the series take it here, between events.
    ::StartFollowRead(*this, *m_follower, [this] { CallAfter(&MainFrame::FollowReadDone); });
}

void MainFrame::FollowReadDone()
{
    if (FinishFollowRead(*this, *m_follower, m_followFitY) && IsFollowing())
        StartFollowRead();
}

void MainFrame::MenuItemReload_OnMenuSelection(wxCommandEvent&)
{
    RunReloadCommand(*this);
}

void MainFrame::MenuItemFollow_OnMenuSelection(wxCommandEvent&)
{
    SetFollowing(!IsFollowing());
}

void MainFrame::MenuItemFollow_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(IsFollowing());
}

void MainFrame::MenuItemFollowFitY_OnMenuSelection(wxCommandEvent&)
{
    m_followFitY = !m_followFitY;
}

void MainFrame::MenuItemFollowFitY_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(m_followFitY);
}

void MainFrame::StatusTimer_OnTimer(wxTimerEvent&)
{
    SetStatusText(wxEmptyString, 0);
}

wxString MainFrame::CoordinateText(const wxRealPoint& p) const
{
    const wxString y = wxString::Format("%f", p.y);
    if (!m_project || !m_project->HasTimeOrigin())
        return wxString::Format("%f, ", p.x) + y;
    const RenderInfo info = m_panelGraph->GetRenderInfo();
    const double pixel = info.plotArea.width > 0.0
                             ? (info.plotRange.maxX - info.plotRange.minX) / info.plotArea.width
                             : 0.0;
    const std::string x = TimeAtX(m_project->GetTimeOrigin(), p.x, pixel);
    return wxString::FromUTF8(x.data(), x.size()) + ", " + y;
}

void MainFrame::GraphPanel_OnCursor(wxCommandEvent& event)
{
    switch (event.GetInt()) {
    case CURSOR_LEAVE:
        SetStatusText(wxEmptyString, 1);
        break;
    case CURSOR_MOVE:
        if (auto* source = dynamic_cast<GraphCursorSource*>(event.GetEventObject())) {
            const wxRealPoint p = source->GetCursorPoint();
            SetStatusText(CoordinateText(p), 1);
        }
        break;
    default:
        break;
    }
}

void MainFrame::GraphPanel_OnIntervals(wxCommandEvent&)
{
    const GridIntervals in = m_panelGraph->GetRenderInfo().gridInterval;
    const bool drawn = m_panelGraph->IsRendered();
    m_panelProp->SetIntervalsInUse(drawn ? in.x : 0.0, drawn ? in.y : 0.0);
}

void MainFrame::MenuItemNewProject_OnMenuSelection(wxCommandEvent&)
{
    // A project never saved keeps the question it always had.
    if (m_projectPath.empty()) {
        if (m_modified && wxMessageBox(_("This project is modified. Do you want to remove all?"),
                                       _("New Project"), wxYES_NO | wxICON_QUESTION, this) != wxYES)
            return;
    } else if (!SaveOrDiscardModified(*this, _("New Project"))) {
        return;
    }
    ResetProject();
    SetStatusMessage(_("Creating new project is completed!"));
}

void MainFrame::MenuItemOpenProject_OnMenuSelection(wxCommandEvent&)
{
    RunOpenProjectCommand(*this);
}

void MainFrame::MenuItemSaveProject_OnMenuSelection(wxCommandEvent&)
{
    RunSaveProjectCommand(*this, false);
}

void MainFrame::MenuItemSaveProjectAs_OnMenuSelection(wxCommandEvent&)
{
    RunSaveProjectCommand(*this, true);
}

void MainFrame::MenuItemImport_OnMenuSelection(wxCommandEvent&)
{
    RunImportCommand(*this);
}

void MainFrame::MenuItemRecentFile_OnMenuSelection(wxCommandEvent& event)
{
    RunRecentFileCommand(*this, static_cast<size_t>(event.GetId() - wxID_FILE1));
}

void MainFrame::MenuItemExport_OnMenuSelection(wxCommandEvent&)
{
    RunExportCommand(*this);
}

void MainFrame::MenuItemExportImage_OnMenuSelection(wxCommandEvent&)
{
    RunExportImageCommand(*this);
}

void MainFrame::MenuItemCalculate_OnMenuSelection(wxCommandEvent&)
{
    RunCalculateCommand(*this);
}

void MainFrame::MenuItemDelete_OnMenuSelection(wxCommandEvent&)
{
    const int index = m_panelProj->GetSelectedGraphIndex();
    if (index == -1) {
        ShowErrorMessage(this, _("Please select some graph data!"));
        return;
    }
    m_project->Remove(index);
    SetStatusMessage(_("Deleting selected data is completed!"));
}

void MainFrame::MenuItemExit_OnMenuSelection(wxCommandEvent&)
{
    Close(false); // the close handler may ask about a modified project
}

void MainFrame::FitPlotRange(bool fitX, bool fitY)
{
    const PlotRange r =
        MergeAxes(m_project->GetPlotRange(), ComputeFitRange(*m_project), fitX, fitY);
    m_project->SetPlotRange(r.minX, r.maxX, r.minY, r.maxY);
    m_panelGraph->Cursors().BringIntoView();
}

void MainFrame::MenuItemFit_OnMenuSelection(wxCommandEvent&)
{
    FitPlotRange(true, true);
}
void MainFrame::MenuItemFitX_OnMenuSelection(wxCommandEvent&)
{
    FitPlotRange(true, false);
}
void MainFrame::MenuItemFitY_OnMenuSelection(wxCommandEvent&)
{
    FitPlotRange(false, true);
}

void MainFrame::MenuItemZoomIn_OnMenuSelection(wxCommandEvent&)
{
    m_panelGraph->ZoomAtCentre(1.0 / ReadZoomFactor(GetConfig()));
}
void MainFrame::MenuItemZoomOut_OnMenuSelection(wxCommandEvent&)
{
    m_panelGraph->ZoomAtCentre(ReadZoomFactor(GetConfig()));
}

// The graph pane holds the flags, as its wheel and box use them. At least one axis
// always zooms: turning off the last one turns on the other.
void MainFrame::ToggleZoomAxis(bool toggleX)
{
    bool zoomX = m_panelGraph->IsZoomX();
    bool zoomY = m_panelGraph->IsZoomY();
    bool& toggled = toggleX ? zoomX : zoomY;
    bool& other = toggleX ? zoomY : zoomX;
    toggled = !toggled;
    if (!toggled && !other)
        other = true;
    m_panelGraph->SetZoomX(zoomX);
    m_panelGraph->SetZoomY(zoomY);
}

void MainFrame::MenuItemZoomX_OnMenuSelection(wxCommandEvent&)
{
    ToggleZoomAxis(true);
}

void MainFrame::MenuItemZoomY_OnMenuSelection(wxCommandEvent&)
{
    ToggleZoomAxis(false);
}

void MainFrame::MenuItemZoomX_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(m_panelGraph->IsZoomX());
}
void MainFrame::MenuItemZoomY_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(m_panelGraph->IsZoomY());
}

bool MainFrame::IsPaneShown(const char* name)
{
    return m_mgr.GetPane(name).IsShown();
}

void MainFrame::TogglePane(const char* name)
{
    wxAuiPaneInfo& pane = m_mgr.GetPane(name);
    pane.Show(!pane.IsShown());
    m_mgr.Update();
}

void MainFrame::MenuItemViewProject_OnMenuSelection(wxCommandEvent&)
{
    TogglePane("PanelProj");
}
void MainFrame::MenuItemViewProperty_OnMenuSelection(wxCommandEvent&)
{
    TogglePane("PanelProp");
}

void MainFrame::MenuItemManual_OnMenuSelection(wxCommandEvent&)
{
    if (!IsPaneShown("PanelManual"))
        m_panelManual->LoadManual();
    TogglePane("PanelManual");
}

void MainFrame::MenuItemLicense_OnMenuSelection(wxCommandEvent&)
{
    if (!IsPaneShown("PanelLicense"))
        m_panelLicense->LoadLicense();
    TogglePane("PanelLicense");
}

void MainFrame::MenuItemViewProject_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(IsPaneShown("PanelProj"));
}

void MainFrame::MenuItemViewProperty_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(IsPaneShown("PanelProp"));
}

void MainFrame::MenuItemManual_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(IsPaneShown("PanelManual"));
}

void MainFrame::MenuItemLicense_OnUpdateUI(wxUpdateUIEvent& event)
{
    event.Check(IsPaneShown("PanelLicense"));
}

void MainFrame::MenuItemAbout_OnMenuSelection(wxCommandEvent&)
{
    AboutDlg dlg(this);
    dlg.ShowModal();
}
