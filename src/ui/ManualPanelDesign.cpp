#include "ui/ManualPanelDesign.h"

#include <wx/sizer.h>

ManualPanelDesign::ManualPanelDesign(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                     const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

void ManualPanelDesign::CreateWebView()
{
    m_webView = wxWebView::New(this, wxID_ANY, wxWebViewDefaultURLStr, wxDefaultPosition,
                               wxDefaultSize, wxWebViewBackendDefault, wxBORDER_SUNKEN);
    GetSizer()->Add(m_webView, 1, wxEXPAND, 0);
    Layout();
}
