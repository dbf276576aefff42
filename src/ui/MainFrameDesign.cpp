#include "ui/MainFrameDesign.h"

#include <wx/artprov.h>
#include <wx/intl.h>
#include <wx/statusbr.h>

namespace {

// Theme icon by its freedesktop name, or the toolkit's own art when the theme lacks it.
wxBitmap ToolBitmap(const char* iconName, const wxArtID& fallback)
{
    const wxSize size(16, 16);
    wxBitmap bitmap = wxArtProvider::GetBitmap(iconName, wxART_TOOLBAR, size);
    if (!bitmap.IsOk())
        bitmap = wxArtProvider::GetBitmap(fallback, wxART_TOOLBAR, size);
    return bitmap;
}

} // namespace

MainFrameDesign::MainFrameDesign(wxWindow* parent, wxWindowID id, const wxString& title,
                                 const wxPoint& pos, const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    m_mgr.SetManagedWindow(this);
    m_mgr.SetFlags(wxAUI_MGR_DEFAULT);

    CreateMenus();
    CreateToolBar();
    m_statusBar = CreateStatusBar(2, wxSTB_SIZEGRIP, wxID_ANY);
    BindCommands();
    Centre(wxBOTH);
}

MainFrameDesign::~MainFrameDesign()
{
    m_mgr.UnInit();
}

bool MainFrameDesign::Show(bool show)
{
    const bool changed = wxFrame::Show(show);
    // The first layout needs a realised window (GTK complains otherwise).
    if (show && !m_laidOut) {
        m_laidOut = true;
        m_mgr.Update();
    }
    return changed;
}

void MainFrameDesign::CreateMenus()
{
    m_menubar = new wxMenuBar(0);

    m_menuFile = new wxMenu();
    m_menuFile->Append(ID_MENU_NEW_PROJECT, _("New Project") + "\tCtrl+N");
    m_menuFile->Append(ID_MENU_OPEN_PROJECT, _("Open Project") + "\tCtrl+O");
    m_menuFile->Append(ID_MENU_SAVE_PROJECT, _("Save Project") + "\tCtrl+S");
    m_menuFile->Append(ID_MENU_SAVE_PROJECT_AS, _("Save Project As") + "\tCtrl+Shift+S");
    m_menuFile->AppendSeparator();
    m_menuFile->Append(ID_MENU_IMPORT, _("Import") + "\tCtrl+I");
    m_menuFile->Append(ID_MENU_RELOAD, _("Reload") + "\tF5");
    m_menuFile->Append(ID_MENU_EXPORT, _("Export") + "\tCtrl+X");
    m_menuFile->Append(ID_MENU_EXPORT_IMAGE, _("Export Image File"));
    m_menuFile->Append(ID_MENU_DELETE, _("Delete"));
    m_menuFile->AppendSeparator();
    m_menuRecentFiles = new wxMenu();
    m_menuFile->Append(ID_MENU_RECENT_FILES, _("Recent Files"), m_menuRecentFiles);
    m_menuFile->Append(ID_MENU_EXIT, _("Exit") + "\tAlt+F4");
    m_menubar->Append(m_menuFile, _("File"));

    m_menuData = new wxMenu();
    m_menuData->Append(ID_MENU_CALCULATE, _("Calculate"));
    m_menuData->AppendSeparator();
    m_menuData->AppendCheckItem(ID_MENU_CACHE, _("Keep Imports in the Column Cache"));
    m_menuData->Append(ID_MENU_CLEAR_CACHE, _("Clear the Column Cache"));
    m_menubar->Append(m_menuData, _("Data"));

    m_menuView = new wxMenu();
    m_menuView->AppendCheckItem(ID_MENU_VIEW_PROJECT, _("Project"));
    m_menuView->AppendCheckItem(ID_MENU_VIEW_PROPERTY, _("Property"));
    m_menuView->AppendSeparator();
    m_menuView->Append(ID_MENU_FIT, _("Fit"));
    m_menuView->Append(ID_MENU_FIT_X, _("Fit Horizontally"));
    m_menuView->Append(ID_MENU_FIT_Y, _("Fit Vertically"));
    m_menuView->AppendSeparator();
    m_menuView->Append(ID_MENU_ZOOM_IN, _("Zoom In"));
    m_menuView->Append(ID_MENU_ZOOM_OUT, _("Zoom Out"));
    m_menuView->AppendCheckItem(ID_MENU_ZOOM_X, _("Zoom Horizontally"));
    m_menuView->AppendCheckItem(ID_MENU_ZOOM_Y, _("Zoom Vertically"));
    m_menuView->AppendSeparator();
    m_menuView->Append(ID_MENU_BACK, _("Back") + "\tAlt+Left");
    m_menuView->Append(ID_MENU_FORWARD, _("Forward") + "\tAlt+Right");
    m_menuView->AppendSeparator();
    m_menuView->AppendCheckItem(ID_MENU_PALETTE, _("Distinct Colours for New Series"));
    m_menuView->AppendCheckItem(ID_MENU_CURSORS, _("Cursors"));
    m_menuView->AppendCheckItem(ID_MENU_FOLLOW, _("Follow Files"));
    m_menuView->AppendCheckItem(ID_MENU_FOLLOW_FIT_Y, _("Fit Y While Following"));
    m_menubar->Append(m_menuView, _("View"));

    m_menuHelp = new wxMenu();
    m_menuHelp->AppendCheckItem(ID_MENU_MANUAL, _("Manual"));
    m_menuHelp->AppendCheckItem(ID_MENU_LICENSE, _("License"));
    m_menuHelp->Append(ID_MENU_ABOUT, _("About..."));
    m_menubar->Append(m_menuHelp, _("Help"));

    SetMenuBar(m_menubar);
}

void MainFrameDesign::CreateToolBar()
{
    m_auiToolBar =
        new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxAUI_TB_HORZ_LAYOUT);
    auto add = [this](int id, const wxString& label, const char* icon, const wxArtID& fallback,
                      wxItemKind kind = wxITEM_NORMAL) {
        m_auiToolBar->AddTool(id, label, ToolBitmap(icon, fallback), label, kind);
    };
    add(ID_TOOL_IMPORT, _("Import from File"), "document-open", wxART_FILE_OPEN);
    add(ID_TOOL_EXPORT, _("Export to File"), "document-save-as", wxART_FILE_SAVE_AS);
    add(ID_TOOL_CALCULATE, _("Calculate"), "accessories-calculator", wxART_EXECUTABLE_FILE);
    add(ID_TOOL_DELETE, _("Delete"), "edit-delete", wxART_DELETE);
    m_auiToolBar->AddSeparator();
    add(ID_TOOL_FIT, _("Fit"), "zoom-fit-best", wxART_FULL_SCREEN);
    add(ID_TOOL_ZOOM_IN, _("Zoom In"), "zoom-in", wxART_PLUS);
    add(ID_TOOL_ZOOM_OUT, _("Zoom Out"), "zoom-out", wxART_MINUS);
    add(ID_TOOL_ZOOM_X, _("Zoom Horizontally"), "object-flip-horizontal", wxART_GO_FORWARD,
        wxITEM_CHECK);
    add(ID_TOOL_ZOOM_Y, _("Zoom Vertically"), "object-flip-vertical", wxART_GO_DOWN, wxITEM_CHECK);
    m_auiToolBar->AddSeparator();
    add(ID_TOOL_BACK, _("Back"), "go-previous", wxART_GO_BACK);
    add(ID_TOOL_FORWARD, _("Forward"), "go-next", wxART_GO_FORWARD);
    m_auiToolBar->Realize();

    m_mgr.AddPane(m_auiToolBar, wxAuiPaneInfo()
                                    .Name("AuiToolBar")
                                    .Top()
                                    .CaptionVisible(false)
                                    .CloseButton(false)
                                    .PaneBorder(false)
                                    .Dock()
                                    .Resizable(false)
                                    .Fixed()
                                    .BottomDockable()
                                    .TopDockable()
                                    .LeftDockable()
                                    .RightDockable()
                                    .Floatable()
                                    .ToolbarPane()
                                    .Layer(10));
}

void MainFrameDesign::AddPanes(wxWindow* graph, wxWindow* project, wxWindow* property,
                               wxWindow* manual, wxWindow* license)
{
    m_mgr.AddPane(graph, wxAuiPaneInfo()
                             .Name("PanelGraph")
                             .Center()
                             .CaptionVisible(false)
                             .CloseButton(false)
                             .PaneBorder(false)
                             .Dock()
                             .Resizable());

    m_mgr.AddPane(project, wxAuiPaneInfo()
                               .Name("PanelProj")
                               .Caption(_("Project"))
                               .Left()
                               .Row(1)
                               .Position(0)
                               .Dock()
                               .Resizable()
                               .BestSize(wxSize(150, 50))
                               .MinSize(wxSize(150, 50)));

    m_mgr.AddPane(property, wxAuiPaneInfo()
                                .Name("PanelProp")
                                .Caption(_("Property"))
                                .Right()
                                .Row(2)
                                .Position(1)
                                .Dock()
                                .Resizable()
                                .BestSize(wxSize(250, 200))
                                .MinSize(wxSize(150, 50)));

    m_mgr.AddPane(manual, wxAuiPaneInfo()
                              .Name("PanelManual")
                              .Caption(_("Manual"))
                              .Float()
                              .Hide()
                              .FloatingPosition(wxPoint(533, 351))
                              .FloatingSize(wxSize(610, 489))
                              .Resizable());

    m_mgr.AddPane(license, wxAuiPaneInfo()
                               .Name("PanelLicense")
                               .Caption(_("License"))
                               .Float()
                               .Hide()
                               .FloatingPosition(wxPoint(571, 350))
                               .FloatingSize(wxSize(610, 489))
                               .Resizable());
}

void MainFrameDesign::BindCommands()
{
    using Handler = void (MainFrameDesign::*)(wxCommandEvent&);
    // Menu item and tool of the same meaning run the same handler.
    const struct
    {
        int menuId;
        int toolId;
        Handler handler;
    } commands[] = {
        {ID_MENU_NEW_PROJECT, wxID_NONE, &MainFrameDesign::MenuItemNewProject_OnMenuSelection},
        {ID_MENU_OPEN_PROJECT, wxID_NONE, &MainFrameDesign::MenuItemOpenProject_OnMenuSelection},
        {ID_MENU_SAVE_PROJECT, wxID_NONE, &MainFrameDesign::MenuItemSaveProject_OnMenuSelection},
        {ID_MENU_SAVE_PROJECT_AS, wxID_NONE,
         &MainFrameDesign::MenuItemSaveProjectAs_OnMenuSelection},
        {ID_MENU_IMPORT, ID_TOOL_IMPORT, &MainFrameDesign::MenuItemImport_OnMenuSelection},
        {ID_MENU_EXPORT, ID_TOOL_EXPORT, &MainFrameDesign::MenuItemExport_OnMenuSelection},
        {ID_MENU_EXPORT_IMAGE, wxID_NONE, &MainFrameDesign::MenuItemExportImage_OnMenuSelection},
        {ID_MENU_DELETE, ID_TOOL_DELETE, &MainFrameDesign::MenuItemDelete_OnMenuSelection},
        {ID_MENU_EXIT, wxID_NONE, &MainFrameDesign::MenuItemExit_OnMenuSelection},
        {ID_MENU_CALCULATE, ID_TOOL_CALCULATE, &MainFrameDesign::MenuItemCalculate_OnMenuSelection},
        {ID_MENU_VIEW_PROJECT, wxID_NONE, &MainFrameDesign::MenuItemViewProject_OnMenuSelection},
        {ID_MENU_VIEW_PROPERTY, wxID_NONE, &MainFrameDesign::MenuItemViewProperty_OnMenuSelection},
        {ID_MENU_FIT, ID_TOOL_FIT, &MainFrameDesign::MenuItemFit_OnMenuSelection},
        {ID_MENU_FIT_X, wxID_NONE, &MainFrameDesign::MenuItemFitX_OnMenuSelection},
        {ID_MENU_FIT_Y, wxID_NONE, &MainFrameDesign::MenuItemFitY_OnMenuSelection},
        {ID_MENU_ZOOM_IN, ID_TOOL_ZOOM_IN, &MainFrameDesign::MenuItemZoomIn_OnMenuSelection},
        {ID_MENU_ZOOM_OUT, ID_TOOL_ZOOM_OUT, &MainFrameDesign::MenuItemZoomOut_OnMenuSelection},
        {ID_MENU_ZOOM_X, ID_TOOL_ZOOM_X, &MainFrameDesign::MenuItemZoomX_OnMenuSelection},
        {ID_MENU_ZOOM_Y, ID_TOOL_ZOOM_Y, &MainFrameDesign::MenuItemZoomY_OnMenuSelection},
        {ID_MENU_BACK, ID_TOOL_BACK, &MainFrameDesign::MenuItemBack_OnMenuSelection},
        {ID_MENU_FORWARD, ID_TOOL_FORWARD, &MainFrameDesign::MenuItemForward_OnMenuSelection},
        {ID_MENU_PALETTE, wxID_NONE, &MainFrameDesign::MenuItemPalette_OnMenuSelection},
        {ID_MENU_CACHE, wxID_NONE, &MainFrameDesign::MenuItemCache_OnMenuSelection},
        {ID_MENU_CLEAR_CACHE, wxID_NONE, &MainFrameDesign::MenuItemClearCache_OnMenuSelection},
        {ID_MENU_CURSORS, wxID_NONE, &MainFrameDesign::MenuItemCursors_OnMenuSelection},
        {ID_MENU_RELOAD, wxID_NONE, &MainFrameDesign::MenuItemReload_OnMenuSelection},
        {ID_MENU_FOLLOW, wxID_NONE, &MainFrameDesign::MenuItemFollow_OnMenuSelection},
        {ID_MENU_FOLLOW_FIT_Y, wxID_NONE, &MainFrameDesign::MenuItemFollowFitY_OnMenuSelection},
        {ID_MENU_MANUAL, wxID_NONE, &MainFrameDesign::MenuItemManual_OnMenuSelection},
        {ID_MENU_LICENSE, wxID_NONE, &MainFrameDesign::MenuItemLicense_OnMenuSelection},
        {ID_MENU_ABOUT, wxID_NONE, &MainFrameDesign::MenuItemAbout_OnMenuSelection},
    };
    for (const auto& c : commands) {
        Bind(wxEVT_MENU, c.handler, this, c.menuId);
        if (c.toolId != wxID_NONE)
            Bind(wxEVT_TOOL, c.handler, this, c.toolId);
    }

    using UpdateHandler = void (MainFrameDesign::*)(wxUpdateUIEvent&);
    const struct
    {
        int menuId;
        int toolId;
        UpdateHandler handler;
    } updates[] = {
        {ID_MENU_VIEW_PROJECT, wxID_NONE, &MainFrameDesign::MenuItemViewProject_OnUpdateUI},
        {ID_MENU_VIEW_PROPERTY, wxID_NONE, &MainFrameDesign::MenuItemViewProperty_OnUpdateUI},
        {ID_MENU_ZOOM_X, ID_TOOL_ZOOM_X, &MainFrameDesign::MenuItemZoomX_OnUpdateUI},
        {ID_MENU_ZOOM_Y, ID_TOOL_ZOOM_Y, &MainFrameDesign::MenuItemZoomY_OnUpdateUI},
        {ID_MENU_BACK, ID_TOOL_BACK, &MainFrameDesign::MenuItemBack_OnUpdateUI},
        {ID_MENU_FORWARD, ID_TOOL_FORWARD, &MainFrameDesign::MenuItemForward_OnUpdateUI},
        {ID_MENU_PALETTE, wxID_NONE, &MainFrameDesign::MenuItemPalette_OnUpdateUI},
        {ID_MENU_CACHE, wxID_NONE, &MainFrameDesign::MenuItemCache_OnUpdateUI},
        {ID_MENU_CURSORS, wxID_NONE, &MainFrameDesign::MenuItemCursors_OnUpdateUI},
        {ID_MENU_FOLLOW, wxID_NONE, &MainFrameDesign::MenuItemFollow_OnUpdateUI},
        {ID_MENU_FOLLOW_FIT_Y, wxID_NONE, &MainFrameDesign::MenuItemFollowFitY_OnUpdateUI},
        {ID_MENU_MANUAL, wxID_NONE, &MainFrameDesign::MenuItemManual_OnUpdateUI},
        {ID_MENU_LICENSE, wxID_NONE, &MainFrameDesign::MenuItemLicense_OnUpdateUI},
    };
    for (const auto& u : updates) {
        Bind(wxEVT_UPDATE_UI, u.handler, this, u.menuId);
        if (u.toolId != wxID_NONE)
            Bind(wxEVT_UPDATE_UI, u.handler, this, u.toolId);
    }
}
