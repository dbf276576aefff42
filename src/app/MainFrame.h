#pragma once

#include <memory>

#include <wx/timer.h>

#include "model/GraphProject.h"
#include "model/Observer.h"
#include "model/ViewHistory.h"
#include "app/RecentFiles.h"
#include "app/commands/ProjectHost.h"
#include "ui/MainFrameDesign.h"

class FileFollower;
struct SavedCursors;
class GraphPanel;
class ManualPanel;
class ProjectPanel;
class PropertyPanel;

// The widest cursor coordinates the status bar's second field must show uncut.
constexpr const char* COORDINATE_SAMPLE = "2026-12-31T23:59:59.999999, -1234567.123456";

// The program's window: owns the current project, carries the view commands, runs the file
// and data commands as their host and shows command results in the status bar.
class MainFrame : public MainFrameDesign, public Observer, public ProjectHost
{
public:
    // How long a status message stays, in milliseconds.
    static constexpr int STATUS_MESSAGE_MS = 5000;

    explicit MainFrame(wxWindow* parent);
    ~MainFrame() override;

    std::shared_ptr<GraphProject> GetProject() const override { return m_project; }
    bool IsModified() const override { return m_modified; }
    void SetModified(bool modified);
    const wxString& GetProjectPath() const override { return m_projectPath; }
    wxString GetProjectName() const override;
    // The panes show the project; the view history starts over.
    void SetProject(std::shared_ptr<GraphProject> project, const wxString& path,
                    bool modified) override;
    void MarkSaved(const wxString& path) override;
    SavedCursors GetCursors() const override;
    void SetCursors(const SavedCursors& cursors) override;
    const ViewHistory& GetViewHistory() const { return m_history; }

    // Replaces the project by a new, empty one and hands it to the panes.
    void ResetProject();
    // Shows a command result in status field 0 until five seconds after the last one.
    void SetStatusMessage(const wxString& text) override;
    // Sets the plot range to the data on the chosen axes (one range change).
    void FitPlotRange(bool fitX, bool fitY) override;

    wxTimer& GetStatusTimer() { return m_statusTimer; }
    // View > Follow: the files are checked this often while it is on.
    static constexpr int FOLLOW_POLL_MS = 250;
    bool IsFollowing() const { return m_followTimer.IsRunning(); }
    void SetFollowing(bool follow);
    // View > Fit Y While Following.
    void SetFollowFitY(bool fit) { m_followFitY = fit; }
    ProjectPanel* GetProjectPanel() const { return m_panelProj; }
    ManualPanel* GetManualPanel() const { return m_panelManual; }
    ManualPanel* GetLicensePanel() const { return m_panelLicense; }
    GraphPanel* GetGraphPanel() const { return m_panelGraph; }
    PropertyPanel* GetPropertyPanel() const { return m_panelProp; }
    RecentFiles& GetRecentFiles() override { return m_recentFiles; }
    wxWindow* GetCommandWindow() override { return this; }
    // The application's configuration.
    wxConfigBase& GetConfig() override;
    ColumnCache* GetColumnCache() override;
    bool GetDrawnGraphSize(wxSize& size) const override;

    // Observer: any change of the project marks it modified.
    void Update(Observable* observable, const ObserverParamBase& param) override;
    void Update() override { MainFrameDesign::Update(); }

protected:
    void MenuItemNewProject_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemOpenProject_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemSaveProject_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemSaveProjectAs_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemImport_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemExport_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemExportImage_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemCalculate_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemDelete_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemExit_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemViewProject_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemViewProperty_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemFit_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemFitX_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemFitY_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemZoomIn_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemZoomOut_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemZoomX_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemZoomY_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemBack_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemForward_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemPalette_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemCache_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemClearCache_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemCursors_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemManual_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemLicense_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemAbout_OnMenuSelection(wxCommandEvent& event) override;

    void MenuItemViewProject_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemViewProperty_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemZoomX_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemZoomY_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemBack_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemForward_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemPalette_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemCache_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemCursors_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemManual_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemLicense_OnUpdateUI(wxUpdateUIEvent& event) override;

private:
    // Unlinks the panes and this window from the project and drops it.
    void ReleaseProject();
    // "*name - Ardentine" while modified, "name - Ardentine" otherwise.
    void UpdateTitle();
    // A close the user can take back asks about a modified project first.
    void Frame_OnClose(wxCloseEvent& event);
    void StatusTimer_OnTimer(wxTimerEvent& event);
    void FollowTimer_OnTimer(wxTimerEvent& event);
    void MenuItemReload_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemFollow_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemFollow_OnUpdateUI(wxUpdateUIEvent& event) override;
    void MenuItemFollowFitY_OnMenuSelection(wxCommandEvent& event) override;
    void MenuItemFollowFitY_OnUpdateUI(wxUpdateUIEvent& event) override;
    void StartFollowRead();
    void FollowReadDone();
    void GraphPanel_OnCursor(wxCommandEvent& event);
    // The pointer's coordinates for the status bar: X as ISO 8601 on a time axis, with the
    // fraction digits one pixel of the view needs.
    wxString CoordinateText(const wxRealPoint& p) const;
    void GraphPanel_OnIntervals(wxCommandEvent& event);
    void MenuItemRecentFile_OnMenuSelection(wxCommandEvent& event);
    void TogglePane(const char* name);
    void ToggleZoomAxis(bool toggleX);
    void RecordView();
    void ShowView(const PlotRange& range);
    bool IsPaneShown(const char* name);

    GraphPanel* m_panelGraph = nullptr;
    ProjectPanel* m_panelProj = nullptr;
    PropertyPanel* m_panelProp = nullptr;
    ManualPanel* m_panelManual = nullptr;
    ManualPanel* m_panelLicense = nullptr;

    std::shared_ptr<GraphProject> m_project;
    bool m_modified = false;
    wxString m_projectPath;
    wxTimer m_statusTimer;
    wxTimer m_followTimer;
    std::unique_ptr<FileFollower> m_follower;
    bool m_followFitY = false;
    // Completed range changes; the changes of one event (a wheel step zooms X, then Y)
    // are recorded once, after it.
    ViewHistory m_history;
    bool m_recordPending = false;
    bool m_showingHistory = false;
    RecentFiles m_recentFiles;
};
