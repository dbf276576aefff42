#include "app/panes/GraphPanel.h"

#include <cstdlib>

#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/log.h>

#include "app/Settings.h"
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
    if (m_dragging)
        EndDrag();
    if (m_cursorInside) {
        m_cursorInside = false;
        SendCursorEvent(CURSOR_LEAVE);
    }
    if (m_proj)
        m_proj->Detach(this);
    m_proj = project;
    m_rendered = false;
    m_renderInfo = RenderInfo{};
    if (m_proj) {
        m_proj->Attach(this);
        m_graphWindow->Refresh(false);
    }
}

void GraphPanel::Update(Observable*, const ObserverParamBase& param)
{
    // Refresh only queues a paint; any number of changes before it cost one rendering.
    if (dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param))
        m_graphWindow->Refresh(false);
}

void GraphPanel::GraphWindow_OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(m_graphWindow);
    const wxSize size = m_graphWindow->GetClientSize();
    if (!m_proj || size.x <= 0 || size.y <= 0)
        return;
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    if (!gc)
        return;
    Render(static_cast<cairo_t*>(gc->GetNativeContext()), size.x, size.y);
}

// The whole picture is drawn off-screen and copied in one piece: no flicker.
void GraphPanel::Render(cairo_t* target, int width, int height)
{
    CairoContext cairo(width, height, m_graphWindow->GetContentScaleFactor());
    if (cairo.GetKind() == CairoTarget::Invalid)
        return;
    cairo_t* cr = cairo();
    if (m_proj->GetCount() == 0) {
        cairo_rectangle(cr, 0, 0, width, height);
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        cairo_fill(cr);
        m_rendered = false;
    } else {
        GraphRenderer renderer(cairo, *m_proj, width, height);
        m_renderInfo = renderer.Render();
        m_rendered = true;
        if (m_graphWindow->HasFocus()) {
            cairo_rectangle(cr, 0, 0, width, height);
            cairo_set_source_rgb(cr, 0, 0, 0.8);
            cairo_set_line_width(cr, 4.0);
            cairo_stroke(cr);
        }
        // The intervals in use, for the property pane; silently, or this paint would
        // queue the next one. A manual interval stays the user's.
        ProjectProperty prop = m_proj->GetProperty();
        if (prop.gridAutoX)
            prop.gridIntervalX = m_renderInfo.gridInterval.x;
        if (prop.gridAutoY)
            prop.gridIntervalY = m_renderInfo.gridInterval.y;
        m_proj->SetNotifyEnabled(false);
        m_proj->SetProperty(prop);
        m_proj->SetNotifyEnabled(true);
    }
    cairo.CopyTo(target);
    ++m_frameCount;
    wxLogDebug("GraphPanel::Render(): %d series at %dx%d", m_proj->GetCount(), width, height);
}

// Pixels map to data only through a plot area of positive size and a finite, non-empty
// range; margins can eat the whole pane.
bool GraphPanel::CanMap() const
{
    return m_rendered && m_renderInfo.transform.IsValid();
}

void GraphPanel::GraphWindow_OnMouseEvents(wxMouseEvent& event)
{
    if (!m_proj)
        return;
    const wxPoint at = event.GetPosition();
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN) {
        m_graphWindow->SetFocus();
        BeginDrag(at);
        event.Skip();
    } else if (type == wxEVT_LEFT_UP) {
        if (m_dragging) {
            DragTo(at);
            EndDrag();
            wxLogDebug("GraphWindow_OnMouseEvents(): eventType = wxEVT_LEFT_UP");
        }
    } else if (type == wxEVT_MOUSEWHEEL) {
        Wheel(event);
    } else if (type == wxEVT_MOTION) {
        if (m_dragging) {
            DragTo(at);
            // The release happened where we could not see it.
            if (!event.LeftIsDown())
                EndDrag();
        }
        ReportCursor(at, true);
    } else if (type == wxEVT_LEAVE_WINDOW) {
        ReportCursor(at, false);
    }
}

void GraphPanel::BeginDrag(const wxPoint& at)
{
    if (m_dragging || !CanMap())
        return;
    m_dragging = true;
    m_dragStart = at;
    m_dragStartRange = m_proj->GetPlotRange();
    // A release outside the pane still ends the drag.
    if (!m_graphWindow->HasCapture())
        m_graphWindow->CaptureMouse();
    m_proj->BeginInterim();
}

// The data follow the mouse: the start range moved by the pixel distance, mapped
// through the plot area of the last picture.
void GraphPanel::DragTo(const wxPoint& at)
{
    const PlotTransform tf = PlotTransform::Make(m_dragStartRange, m_renderInfo.plotArea.width,
                                                 m_renderInfo.plotArea.height);
    if (!tf.IsValid())
        return;
    const double dx = (at.x - m_dragStart.x) / tf.sx;
    const double dy = (at.y - m_dragStart.y) / tf.sy;
    const PlotRange r = Panned(m_dragStartRange, -dx, -dy);
    if (IsUsableRange(r))
        m_proj->SetPlotRange(r.minX, r.maxX, r.minY, r.maxY);
}

void GraphPanel::EndDrag()
{
    m_dragging = false;
    if (m_graphWindow->HasCapture())
        m_graphWindow->ReleaseMouse();
    if (m_proj)
        m_proj->EndInterim();
}

void GraphPanel::GraphWindow_OnMouseCaptureLost(wxMouseCaptureLostEvent&)
{
    // The capture is already gone; the range stays where the last motion left it.
    m_dragging = false;
    if (m_proj)
        m_proj->EndInterim();
}

void GraphPanel::Wheel(const wxMouseEvent& event)
{
    // Horizontal scrolling and the small rotations of touchpads are not zoom steps until
    // they add up to one.
    if (m_dragging || !CanMap() || event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL)
        return;
    const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
    m_wheelRotation += event.GetWheelRotation();
    if (std::abs(m_wheelRotation) < delta)
        return;
    const bool in = m_wheelRotation > 0;
    m_wheelRotation %= delta;

    double factor = ReadZoomFactor();
    if (in)
        factor = 1.0 / factor;
    // The centre from the current range, so that a burst of steps between two paints
    // keeps the point under the mouse.
    const PlotArea& area = m_renderInfo.plotArea;
    const PlotTransform tf = PlotTransform::Make(m_proj->GetPlotRange(), area.width, area.height);
    if (!tf.IsValid())
        return;
    const wxPoint at = event.GetPosition();
    const double cx = tf.ToDataX(at.x - area.left);
    const double cy = tf.ToDataY(at.y - area.top);
    if (m_zoomX)
        m_proj->ZoomX(cx, factor);
    if (m_zoomY)
        m_proj->ZoomY(cy, factor);
}

void GraphPanel::ReportCursor(const wxPoint& at, bool inWindow)
{
    const bool inside = inWindow && CanMap() && m_renderInfo.Contains(at.x, at.y);
    const wxRealPoint point =
        inside ? wxRealPoint(m_renderInfo.ToDataX(at.x), m_renderInfo.ToDataY(at.y))
               : m_cursorPoint;
    int code = 0;
    if (inside && !m_cursorInside)
        code = CURSOR_ENTER;
    else if (!inside && m_cursorInside)
        code = CURSOR_LEAVE;
    else if (inside && point != m_cursorPoint)
        code = CURSOR_MOVE;
    if (inside)
        m_cursorPoint = point;
    m_cursorInside = inside;
    if (code)
        SendCursorEvent(code);
    m_graphWindow->SetCursor(inside && m_graphWindow->HasFocus() ? wxCursor(wxCURSOR_CROSS)
                                                                 : wxNullCursor);
}

void GraphPanel::SendCursorEvent(int code)
{
    wxCommandEvent event(EVT_GRAPH_CURSOR, GetId());
    event.SetInt(code);
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

void GraphPanel::GraphWindow_OnSize(wxSizeEvent& event)
{
    // A pane that only shrinks gets no paint of its own from GTK.
    m_graphWindow->Refresh(false);
    event.Skip();
}

void GraphPanel::GraphWindow_OnSetFocus(wxFocusEvent& event)
{
    wxLogDebug("GraphWindow_OnSetFocus()");
    m_graphWindow->Refresh(false);
    event.Skip();
}

void GraphPanel::GraphWindow_OnKillFocus(wxFocusEvent& event)
{
    wxLogDebug("GraphWindow_OnKillFocus()");
    m_graphWindow->Refresh(false);
    event.Skip();
}
