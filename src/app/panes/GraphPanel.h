#pragma once

#include <wx/gdicmn.h>

#include "app/GraphCursor.h"
#include "model/GraphProject.h"
#include "model/Observer.h"
#include "render/PlotTransform.h"
#include "ui/GraphPanelDesign.h"

// The graph pane: draws the project, pans with a left drag, zooms with the wheel and
// reports the data point under the mouse (EVT_GRAPH_CURSOR).
class GraphPanel : public GraphPanelDesign, public Observer, public GraphCursorSource
{
public:
    explicit GraphPanel(wxWindow* parent);
    ~GraphPanel() override;

    // Observes `project` (not owned; null for none) instead of the previous one.
    void SetProject(GraphProject* project);
    void SetZoomX(bool zoom) { m_zoomX = zoom; }
    void SetZoomY(bool zoom) { m_zoomY = zoom; }

    // The last paint drew a graph (the project had series).
    bool IsRendered() const { return m_rendered; }
    // Geometry of the last rendering.
    RenderInfo GetRenderInfo() const { return m_renderInfo; }
    wxRealPoint GetCursorPoint() const override { return m_cursorPoint; }
    wxWindow* GraphWindow() const { return m_graphWindow; }

    void Update(Observable* observable, const ObserverParamBase& param) override;
    void Update() override { GraphPanelDesign::Update(); }

protected:
    void GraphWindow_OnPaint(wxPaintEvent& event) override;

private:
    GraphProject* m_proj = nullptr;
    bool m_rendered = false;
    RenderInfo m_renderInfo;
    bool m_zoomX = true;
    bool m_zoomY = true;
    wxRealPoint m_cursorPoint;
};
