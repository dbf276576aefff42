#include "app/panes/GraphPanel.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/log.h>

#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

GraphPanel::GraphPanel(wxWindow* parent) : GraphPanelDesign(parent) {}

GraphPanel::~GraphPanel()
{
    SetProject(nullptr);
}

void GraphPanel::SetProject(GraphProject* project)
{
    if (project == m_proj)
        return;
    if (m_proj)
        m_proj->Detach(this);
    m_proj = project;
    m_rendered = false;
    if (m_proj) {
        m_proj->Attach(this);
        m_graphWindow->Refresh(false);
    }
}

void GraphPanel::Update(Observable*, const ObserverParamBase& param)
{
    if (dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param))
        m_graphWindow->Refresh(false);
}

void GraphPanel::GraphWindow_OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(m_graphWindow);
    const wxSize size = m_graphWindow->GetClientSize();
    if (!m_proj || size.x <= 0 || size.y <= 0)
        return;
    CairoContext cairo(size.x, size.y);
    if (cairo.GetKind() == CairoTarget::Invalid)
        return;
    if (m_proj->GetCount() == 0) {
        cairo_rectangle(cairo(), 0, 0, size.x, size.y);
        cairo_set_source_rgb(cairo(), 0.8, 0.8, 0.8);
        cairo_fill(cairo());
        m_rendered = false;
    } else {
        GraphRenderer renderer(cairo, *m_proj, size.x, size.y);
        m_renderInfo = renderer.Render();
        m_rendered = true;
    }
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    if (gc)
        cairo.CopyTo(static_cast<cairo_t*>(gc->GetNativeContext()));
    wxLogDebug("GraphPanel: painted %d series", m_rendered ? int(m_proj->GetCount()) : 0);
}
