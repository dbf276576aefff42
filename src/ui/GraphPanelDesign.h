#pragma once

#include <wx/panel.h>

// Layout of the graph pane: one child window filling it, where all drawing and mouse
// input happen.
class GraphPanelDesign : public wxPanel
{
public:
    GraphPanelDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(500, 300),
                     long style = wxTAB_TRAVERSAL);

    wxPanel* GetGraphWindow() const { return m_graphWindow; }

protected:
    wxPanel* m_graphWindow = nullptr;

    virtual void GraphWindow_OnPaint(wxPaintEvent& event) { event.Skip(); }
    // Never skipped: the window is not cleared before painting.
    virtual void GraphWindow_OnEraseBackground(wxEraseEvent&) {}
    virtual void GraphWindow_OnMouseEvents(wxMouseEvent& event) { event.Skip(); }
    virtual void GraphWindow_OnMouseCaptureLost(wxMouseCaptureLostEvent& event) { event.Skip(); }
    virtual void GraphWindow_OnSize(wxSizeEvent& event) { event.Skip(); }
    virtual void GraphWindow_OnSetFocus(wxFocusEvent& event) { event.Skip(); }
    virtual void GraphWindow_OnKillFocus(wxFocusEvent& event) { event.Skip(); }
    virtual void GraphWindow_OnKeyDown(wxKeyEvent& event) { event.Skip(); }
};
