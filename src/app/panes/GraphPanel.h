#pragma once

#include <functional>
#include <memory>

#include <wx/gdicmn.h>

#include "app/GraphCursor.h"
#include "app/panes/CursorOverlay.h"
#include "model/GraphProject.h"
#include "model/Observer.h"
#include "render/CairoContext.h"
#include "render/PlotTransform.h"
#include "ui/GraphPanelDesign.h"

// Sent by the graph pane after a frame whose grid intervals differ from the last frame's
// (0 for an axis when nothing was drawn); GetRenderInfo() has them.
wxDECLARE_EVENT(EVT_GRAPH_INTERVALS, wxCommandEvent);

// The graph pane: draws the project, pans with a left drag, zooms with the wheel or a
// right-drag box, moves with the keyboard, and reports the data point under the mouse
// (EVT_GRAPH_CURSOR).
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
    // Zooms about the middle of the range on the axes the toggles allow, X first, then
    // Y (one range change each): the zoom commands and the + and - keys.
    void ZoomAtCentre(double factor);

    // The last paint drew a graph (the project had series).
    bool IsRendered() const { return m_rendered; }
    // Geometry of the last rendering.
    RenderInfo GetRenderInfo() const { return m_renderInfo; }
    wxRealPoint GetCursorPoint() const override { return m_cursorPoint; }
    wxWindow* GraphWindow() const { return m_graphWindow; }
    bool IsDragging() const { return m_gesture == Gesture::Pan; }
    bool IsBoxing() const { return m_gesture == Gesture::Box; }

    // The A/B cursors drawn over the graph.
    CursorOverlay& Cursors() { return m_cursors; }
    // The factor of one zoom step (wheel, keys), asked at each step; without a source the
    // setting's default.
    void SetZoomFactorSource(std::function<double()> source) { m_zoomFactor = std::move(source); }

    // A box smaller than this in both directions is a click.
    static constexpr int MIN_BOX_PIXELS = 5;
    // The data range of the pixel box from `a` to `b` in the last picture, on the axes
    // the zoom toggles allow; false for a click-sized box or a range the view can't show.
    bool BoxRange(const wxPoint& a, const wxPoint& b, PlotRange& range) const;
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
    void GraphWindow_OnKeyDown(wxKeyEvent& event) override;

private:
    // What the mouse does with a button held; the pane holds the capture meanwhile.
    enum class Gesture
    {
        None,
        Pan,
        Box,
        MoveCursor,
    };

    void Render(cairo_t* cr, int width, int height);
    bool CanMap() const;
    double ZoomFactor() const;
    void BeginDrag(const wxPoint& at);
    void DragTo(const wxPoint& at);
    void EndDrag();
    void Wheel(const wxMouseEvent& event);
    void BeginBox(const wxPoint& at);
    void EndBox(const wxPoint& at, bool apply);
    void DrawBox(cairo_t* cr) const;
    void ZoomAbout(double cx, double cy, double factor);
    void BeginGesture(Gesture gesture);
    void EndGesture();
    void ReportCursor(const wxPoint& at, bool inWindow);
    void SendCursorEvent(int code);
    void ReportIntervals();

    GraphProject* m_proj = nullptr;
    bool m_rendered = false;
    RenderInfo m_renderInfo;
    bool m_zoomX = true;
    bool m_zoomY = true;
    Gesture m_gesture = Gesture::None;
    wxPoint m_dragStart;
    PlotRange m_dragStartRange;
    bool m_cursorInside = false;
    wxRealPoint m_cursorPoint;
    CursorOverlay m_cursors;
    std::function<double()> m_zoomFactor;
    int m_movingCursor = 0; // A (0) or B (1) while the gesture moves a cursor
    wxPoint m_boxStart;
    wxPoint m_boxEnd;
    // The last picture, kept so the box can be drawn over it without rendering again;
    // stale once the project, the size or the focus changed.
    std::unique_ptr<CairoContext> m_picture;
    bool m_pictureStale = true;
    unsigned m_frameCount = 0;
    GridIntervals m_reportedIntervals{0.0, 0.0};
    int m_wheelRotation = 0; // rotation not yet amounting to a whole step (touchpads)
};
