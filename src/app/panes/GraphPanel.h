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

    // Observes `project` (not owned; null for none) instead of the previous one. Ends any
    // drag on the old project and forgets the last picture.
    void SetProject(GraphProject* project);
    void SetZoomX(bool zoom) { m_zoomX = zoom; }
    void SetZoomY(bool zoom) { m_zoomY = zoom; }
    bool IsZoomX() const { return m_zoomX; }
    bool IsZoomY() const { return m_zoomY; }

    // The last paint drew a graph (the project had series).
    bool IsRendered() const { return m_rendered; }
    // Geometry of the last rendering.
    RenderInfo GetRenderInfo() const { return m_renderInfo; }
    wxRealPoint GetCursorPoint() const override { return m_cursorPoint; }
    wxWindow* GraphWindow() const { return m_graphWindow; }
    bool IsDragging() const { return m_dragging; }
    // Paints that drew a picture so far (tests and benchmarks wait on it).
    unsigned GetFrameCount() const { return m_frameCount; }

    void Update(Observable* observable, const ObserverParamBase& param) override;
    void Update() override { GraphPanelDesign::Update(); }

protected:
    void GraphWindow_OnPaint(wxPaintEvent& event) override;
    void GraphWindow_OnMouseEvents(wxMouseEvent& event) override;
    void GraphWindow_OnMouseCaptureLost(wxMouseCaptureLostEvent& event) override;
    void GraphWindow_OnSize(wxSizeEvent& event) override;
    void GraphWindow_OnSetFocus(wxFocusEvent& event) override;
    void GraphWindow_OnKillFocus(wxFocusEvent& event) override;

private:
    void Render(cairo_t* cr, int width, int height);
    bool CanMap() const;
    void BeginDrag(const wxPoint& at);
    void DragTo(const wxPoint& at);
    void EndDrag();
    void Wheel(const wxMouseEvent& event);
    void ReportCursor(const wxPoint& at, bool inWindow);
    void SendCursorEvent(int code);

    GraphProject* m_proj = nullptr;
    bool m_rendered = false;
    RenderInfo m_renderInfo;
    bool m_zoomX = true;
    bool m_zoomY = true;
    bool m_dragging = false;
    wxPoint m_dragStart;
    PlotRange m_dragStartRange;
    bool m_cursorInside = false;
    wxRealPoint m_cursorPoint;
    unsigned m_frameCount = 0;
    int m_wheelRotation = 0; // rotation not yet amounting to a whole step (touchpads)
};
