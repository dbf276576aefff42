#include "ui/GraphPanelDesign.h"

#include <wx/sizer.h>

GraphPanelDesign::GraphPanelDesign(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                   const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_graphWindow = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                wxTAB_TRAVERSAL | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE);
    // Every pixel is painted by us; GTK need not clear it first.
    m_graphWindow->SetBackgroundStyle(wxBG_STYLE_PAINT);
    sizer->Add(m_graphWindow, 1, wxEXPAND, 0);
    SetSizer(sizer);
    Layout();

    wxWindow* w = m_graphWindow;
    w->Bind(wxEVT_PAINT, &GraphPanelDesign::GraphWindow_OnPaint, this);
    w->Bind(wxEVT_ERASE_BACKGROUND, &GraphPanelDesign::GraphWindow_OnEraseBackground, this);
    const wxEventTypeTag<wxMouseEvent> mouseEvents[] = {
        wxEVT_LEFT_DOWN,    wxEVT_LEFT_UP,       wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DOWN,
        wxEVT_MIDDLE_UP,    wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DOWN,  wxEVT_RIGHT_UP,
        wxEVT_RIGHT_DCLICK, wxEVT_MOTION,        wxEVT_MOUSEWHEEL,  wxEVT_ENTER_WINDOW,
        wxEVT_LEAVE_WINDOW};
    for (const auto& type : mouseEvents)
        w->Bind(type, &GraphPanelDesign::GraphWindow_OnMouseEvents, this);
    w->Bind(wxEVT_MOUSE_CAPTURE_LOST, &GraphPanelDesign::GraphWindow_OnMouseCaptureLost, this);
    w->Bind(wxEVT_SIZE, &GraphPanelDesign::GraphWindow_OnSize, this);
    w->Bind(wxEVT_SET_FOCUS, &GraphPanelDesign::GraphWindow_OnSetFocus, this);
    w->Bind(wxEVT_KILL_FOCUS, &GraphPanelDesign::GraphWindow_OnKillFocus, this);
    w->Bind(wxEVT_KEY_DOWN, &GraphPanelDesign::GraphWindow_OnKeyDown, this);
}
