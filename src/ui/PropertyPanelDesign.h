#pragma once

#include <wx/panel.h>

// Layout of the property pane (filled in by the property pane's own work).
class PropertyPanelDesign : public wxPanel
{
public:
    PropertyPanelDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                        const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxSize(200, 300), long style = wxTAB_TRAVERSAL)
        : wxPanel(parent, id, pos, size, style)
    {
    }
};
