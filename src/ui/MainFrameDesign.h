#pragma once

#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/panel.h>

// Tool identifiers of the main toolbar.
enum
{
    ID_TOOL_IMPORT = 1000,
    ID_TOOL_EXPORT = 1001,
    ID_TOOL_CALCULATE = 1002,
    ID_TOOL_DELETE = 1003,
    ID_TOOL_FIT = 1004,
    ID_TOOL_ZOOM_IN = 1005,
    ID_TOOL_ZOOM_OUT = 1006,
    ID_TOOL_ZOOM_X = 1007,
    ID_TOOL_ZOOM_Y = 1008,
    ID_TOOL_BACK = 1009,
    ID_TOOL_FORWARD = 1010,
};

// Menu item identifiers (kept clear of the tool range).
enum
{
    ID_MENU_NEW_PROJECT = 1100,
    ID_MENU_IMPORT,
    ID_MENU_EXPORT,
    ID_MENU_EXPORT_IMAGE,
    ID_MENU_DELETE,
    ID_MENU_RECENT_FILES,
    ID_MENU_EXIT,
    ID_MENU_CALCULATE,
    ID_MENU_VIEW_PROJECT,
    ID_MENU_VIEW_PROPERTY,
    ID_MENU_FIT,
    ID_MENU_FIT_X,
    ID_MENU_FIT_Y,
    ID_MENU_ZOOM_IN,
    ID_MENU_ZOOM_OUT,
    ID_MENU_ZOOM_X,
    ID_MENU_ZOOM_Y,
    ID_MENU_BACK,
    ID_MENU_FORWARD,
    ID_MENU_PALETTE,
    ID_MENU_CURSORS,
    ID_MENU_RELOAD,
    ID_MENU_FOLLOW,
    ID_MENU_FOLLOW_FIT_Y,
    ID_MENU_MANUAL,
    ID_MENU_LICENSE,
    ID_MENU_ABOUT,
    ID_MENU_OPEN_PROJECT,
    ID_MENU_SAVE_PROJECT,
    ID_MENU_SAVE_PROJECT_AS,
    ID_MENU_CACHE,
    ID_MENU_CLEAR_CACHE,
};

// Layout of the main window: panes, menus, toolbar and status bar. Every command goes to a
// virtual handler; MainFrame overrides them.
class MainFrameDesign : public wxFrame
{
public:
    MainFrameDesign(wxWindow* parent, wxWindowID id, const wxString& title,
                    const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(900, 600),
                    long style = wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL);
    ~MainFrameDesign() override;

    bool Show(bool show = true) override;

    wxAuiManager& GetAuiManager() { return m_mgr; }
    wxAuiToolBar* GetToolBarPane() const { return m_auiToolBar; }

protected:
    wxAuiManager m_mgr;
    wxMenuBar* m_menubar = nullptr;
    wxMenu* m_menuFile = nullptr;
    wxMenu* m_menuRecentFiles = nullptr; // filled by the derived window
    wxMenu* m_menuData = nullptr;
    wxMenu* m_menuView = nullptr;
    wxMenu* m_menuHelp = nullptr;
    wxAuiToolBar* m_auiToolBar = nullptr;
    wxStatusBar* m_statusBar = nullptr;

    // The panes are made by the derived window (they carry its behaviour) and placed
    // here: graph in the centre, project list left, properties right, the manual and
    // licence pages hidden and floating.
    void AddPanes(wxWindow* graph, wxWindow* project, wxWindow* property, wxWindow* manual,
                  wxWindow* license);

    virtual void MenuItemNewProject_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemOpenProject_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemSaveProject_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemSaveProjectAs_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemImport_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemExport_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemExportImage_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemDelete_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemExit_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemCalculate_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemViewProject_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemViewProperty_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemFit_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemFitX_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemFitY_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemZoomIn_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemZoomOut_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemZoomX_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemZoomY_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemBack_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemForward_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemPalette_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemCache_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemClearCache_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemCursors_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemReload_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemFollow_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemFollowFitY_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemManual_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemLicense_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }
    virtual void MenuItemAbout_OnMenuSelection(wxCommandEvent& event) { event.Skip(); }

    virtual void MenuItemViewProject_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemViewProperty_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemZoomX_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemZoomY_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemBack_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemForward_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemPalette_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemCache_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemCursors_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemFollow_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemFollowFitY_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemManual_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }
    virtual void MenuItemLicense_OnUpdateUI(wxUpdateUIEvent& event) { event.Skip(); }

private:
    void CreateMenus();
    void CreateToolBar();
    void BindCommands();

    bool m_laidOut = false;
};
