#pragma once

#include <wx/panel.h>
#include <wx/webview.h>

// Layout of a page pane: one web view filling the panel, made by CreateWebView (a web view
// starts helper processes: a pane never shown needs none).
class ManualPanelDesign : public wxPanel
{
public:
    ManualPanelDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                      const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(500, 300),
                      long style = wxTAB_TRAVERSAL);

    wxWebView* GetWebView() const { return m_webView; }

protected:
    void CreateWebView();

    wxWebView* m_webView = nullptr;
};
