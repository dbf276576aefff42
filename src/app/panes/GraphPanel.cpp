#include "app/panes/GraphPanel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/log.h>

#include "app/Settings.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

wxDEFINE_EVENT(EVT_GRAPH_INTERVALS, wxCommandEvent);

GraphPanel::GraphPanel(wxWindow* parent) : GraphPanelDesign(parent), m_cursors(m_graphWindow) {}

GraphPanel::~GraphPanel()
{
    SetProject(nullptr);
}

void GraphPanel::SetProject(GraphProject* project)
{
    if (project == m_proj)
        return;
    if (IsDragging())
        EndDrag();
    EndGesture(); // a box or a cursor being moved is dropped
    if (m_cursorInside) {
        m_cursorInside = false;
        SendCursorEvent(CURSOR_LEAVE);
    }
    if (m_proj)
        m_proj->Detach(this);
    m_proj = project;
    m_rendered = false;
    m_renderInfo = RenderInfo{};
    m_picture.reset();
    m_cursors.SetProject(project);
    m_reportedIntervals = GridIntervals{0.0, 0.0};
    if (m_proj) {
        m_proj->Attach(this);
        m_graphWindow->Refresh(false);
    }
}

void GraphPanel::Update(Observable*, const ObserverParamBase& param)
{
    // Refresh only queues a paint; any number of changes before it cost one rendering.
    if (auto* update = dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param)) {
        m_pictureStale = true;
        m_cursors.ProjectChanged(update->GetValue().kind);
        m_graphWindow->Refresh(false);
    }
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
    // While a box is drawn or a cursor moved nothing else changes: the last picture serves.
    const bool reuse = (m_gesture == Gesture::Box || m_gesture == Gesture::MoveCursor) &&
                       !m_pictureStale && m_picture && m_renderInfo.lastSize.width == width &&
                       m_renderInfo.lastSize.height == height;
    if (reuse) {
        m_picture->CopyTo(target);
        if (IsBoxing())
            DrawBox(target);
        if (CanMap())
            m_cursors.Draw(target, m_renderInfo);
        return;
    }
    m_picture =
        std::make_unique<CairoContext>(width, height, m_graphWindow->GetContentScaleFactor());
    CairoContext& cairo = *m_picture;
    if (cairo.GetKind() == CairoTarget::Invalid)
        return;
    m_pictureStale = false;
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
    }
    cairo.CopyTo(target);
    if (IsBoxing())
        DrawBox(target);
    if (CanMap())
        m_cursors.Draw(target, m_renderInfo);
    ++m_frameCount;
    ReportIntervals();
    // bench/app/open_to_graph.sh waits for this line (run with --verbose).
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
        const int cursor =
            m_gesture == Gesture::None && CanMap() ? m_cursors.Near(at.x, m_renderInfo) : -1;
        if (cursor >= 0) {
            m_movingCursor = cursor;
            BeginGesture(Gesture::MoveCursor);
        } else {
            BeginDrag(at);
        }
        event.Skip();
    } else if (type == wxEVT_LEFT_UP) {
        if (m_gesture == Gesture::MoveCursor) {
            m_cursors.SetX(m_movingCursor, m_renderInfo.ToDataX(at.x));
            EndGesture();
        } else if (IsDragging()) {
            DragTo(at);
            EndDrag();
        }
    } else if (type == wxEVT_RIGHT_DOWN) {
        m_graphWindow->SetFocus();
        BeginBox(at);
    } else if (type == wxEVT_RIGHT_UP) {
        if (IsBoxing())
            EndBox(at, true);
    } else if (type == wxEVT_MOUSEWHEEL) {
        Wheel(event);
    } else if (type == wxEVT_MOTION) {
        // A motion with the button up: the release happened where we could not see it.
        switch (m_gesture) {
        case Gesture::MoveCursor:
            m_cursors.SetX(m_movingCursor, m_renderInfo.ToDataX(at.x));
            if (!event.LeftIsDown())
                EndGesture();
            break;
        case Gesture::Pan:
            DragTo(at);
            if (!event.LeftIsDown())
                EndDrag();
            break;
        case Gesture::Box:
            m_boxEnd = at;
            if (!event.RightIsDown())
                EndBox(at, true);
            else
                m_graphWindow->Refresh(false);
            break;
        case Gesture::None:
            break;
        }
        ReportCursor(at, true);
    } else if (type == wxEVT_LEAVE_WINDOW) {
        ReportCursor(at, false);
    }
}

// A release outside the pane still ends the gesture.
void GraphPanel::BeginGesture(Gesture gesture)
{
    m_gesture = gesture;
    if (!m_graphWindow->HasCapture())
        m_graphWindow->CaptureMouse();
}

void GraphPanel::EndGesture()
{
    m_gesture = Gesture::None;
    if (m_graphWindow->HasCapture())
        m_graphWindow->ReleaseMouse();
}

void GraphPanel::BeginDrag(const wxPoint& at)
{
    if (m_gesture != Gesture::None || !CanMap())
        return;
    m_dragStart = at;
    m_dragStartRange = m_proj->GetPlotRange();
    BeginGesture(Gesture::Pan);
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
    EndGesture();
    if (m_proj)
        m_proj->EndInterim();
}

void GraphPanel::GraphWindow_OnMouseCaptureLost(wxMouseCaptureLostEvent&)
{
    // The capture is already gone, so there is none to release: the range stays where the
    // last motion left it, an unfinished box is dropped and a cursor stays where it was moved.
    const Gesture lost = m_gesture;
    m_gesture = Gesture::None;
    if (lost == Gesture::Pan && m_proj)
        m_proj->EndInterim();
    else if (lost != Gesture::None)
        m_graphWindow->Refresh(false);
}

void GraphPanel::BeginBox(const wxPoint& at)
{
    if (m_gesture != Gesture::None || !CanMap())
        return;
    m_boxStart = m_boxEnd = at;
    BeginGesture(Gesture::Box);
}

void GraphPanel::EndBox(const wxPoint& at, bool apply)
{
    EndGesture();
    PlotRange r;
    if (apply && m_proj && BoxRange(m_boxStart, at, r))
        m_proj->SetPlotRange(r.minX, r.maxX, r.minY, r.maxY);
    m_graphWindow->Refresh(false);
}

bool GraphPanel::BoxRange(const wxPoint& a, const wxPoint& b, PlotRange& range) const
{
    if (!CanMap() || !m_proj)
        return false;
    if (std::abs(a.x - b.x) < MIN_BOX_PIXELS && std::abs(a.y - b.y) < MIN_BOX_PIXELS)
        return false;
    range = m_proj->GetPlotRange();
    if (m_zoomX) {
        range.minX = m_renderInfo.ToDataX(std::min(a.x, b.x));
        range.maxX = m_renderInfo.ToDataX(std::max(a.x, b.x));
    }
    if (m_zoomY) { // pixel y grows downwards
        range.minY = m_renderInfo.ToDataY(std::max(a.y, b.y));
        range.maxY = m_renderInfo.ToDataY(std::min(a.y, b.y));
    }
    return IsUsableRange(range);
}

void GraphPanel::DrawBox(cairo_t* cr) const
{
    const double x = std::min(m_boxStart.x, m_boxEnd.x) + 0.5;
    const double y = std::min(m_boxStart.y, m_boxEnd.y) + 0.5;
    const double w = std::abs(m_boxEnd.x - m_boxStart.x);
    const double h = std::abs(m_boxEnd.y - m_boxStart.y);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source_rgba(cr, 0.2, 0.4, 0.9, 0.15);
    cairo_fill_preserve(cr);
    const double dash[] = {4.0, 3.0};
    cairo_set_dash(cr, dash, 2, 0.0);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgb(cr, 0.1, 0.2, 0.6);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void GraphPanel::Wheel(const wxMouseEvent& event)
{
    // Horizontal scrolling and the small rotations of touchpads are not zoom steps until
    // they add up to one.
    if (IsDragging() || !CanMap() || event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL)
        return;
    const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
    m_wheelRotation += event.GetWheelRotation();
    if (std::abs(m_wheelRotation) < delta)
        return;
    const bool in = m_wheelRotation > 0;
    m_wheelRotation %= delta;

    double factor = ZoomFactor();
    if (in)
        factor = 1.0 / factor;
    // The centre from the current range, so that a burst of steps between two paints
    // keeps the point under the mouse.
    const PlotArea& area = m_renderInfo.plotArea;
    const PlotTransform tf = PlotTransform::Make(m_proj->GetPlotRange(), area.width, area.height);
    if (!tf.IsValid())
        return;
    const wxPoint at = event.GetPosition();
    ZoomAbout(tf.ToDataX(at.x - area.left), tf.ToDataY(at.y - area.top), factor);
}

void GraphPanel::ZoomAbout(double cx, double cy, double factor)
{
    // Both axes in one range change: one notification, one picture (a change per axis
    // drew the graph twice per wheel step, the property pane refreshing in between).
    const PlotRange now = m_proj->GetPlotRange();
    PlotRange next = now;
    if (m_zoomX && IsUsableRange(ZoomedX(next, cx, factor)))
        next = ZoomedX(next, cx, factor);
    if (m_zoomY && IsUsableRange(ZoomedY(next, cy, factor)))
        next = ZoomedY(next, cy, factor);
    if (!(next == now))
        m_proj->SetPlotRange(next.minX, next.maxX, next.minY, next.maxY);
}

double GraphPanel::ZoomFactor() const
{
    return m_zoomFactor ? m_zoomFactor() : ValidZoomFactor(SETTING_MOUSE_ZOOM.defaultValue);
}

void GraphPanel::ZoomAtCentre(double factor)
{
    if (!m_proj)
        return;
    const PlotRange r = m_proj->GetPlotRange();
    ZoomAbout((r.minX + r.maxX) / 2, (r.minY + r.maxY) / 2, factor);
}

// Arrows pan by a tenth of the span, + (also Shift+=) and - zoom about the middle, Home
// fits and Escape drops a box being drawn.
void GraphPanel::GraphWindow_OnKeyDown(wxKeyEvent& event)
{
    // Shift is part of typing "+"; Ctrl and Alt keys belong to the menus.
    if (!m_proj || event.HasModifiers()) {
        event.Skip();
        return;
    }
    const PlotRange r = m_proj->GetPlotRange();
    const double stepX = (r.maxX - r.minX) / 10.0;
    const double stepY = (r.maxY - r.minY) / 10.0;
    PlotRange next = r;
    switch (event.GetKeyCode()) {
    case WXK_LEFT:
        next = Panned(r, -stepX, 0);
        break;
    case WXK_RIGHT:
        next = Panned(r, stepX, 0);
        break;
    case WXK_UP:
        next = Panned(r, 0, stepY);
        break;
    case WXK_DOWN:
        next = Panned(r, 0, -stepY);
        break;
    case '+':
    case '=':
    case WXK_NUMPAD_ADD:
        ZoomAtCentre(1.0 / ZoomFactor());
        return;
    case '-':
    case WXK_NUMPAD_SUBTRACT:
        ZoomAtCentre(ZoomFactor());
        return;
    case WXK_HOME:
        next = ComputeFitRange(*m_proj);
        if (m_proj->GetCount() > 0 && !IsDragging() && IsUsableRange(next)) {
            m_proj->SetPlotRange(next.minX, next.maxX, next.minY, next.maxY);
            m_cursors.BringIntoView();
        }
        return;
    case WXK_END: {
        // The newest points, at the width shown: where a followed file's view moves along.
        const double end = m_proj->GetMaxX(true), width = r.maxX - r.minX;
        if (m_proj->GetCount() > 0 && !IsDragging() && end != -DBL_MAX &&
            IsUsableRange(PlotRange{end - width, end, r.minY, r.maxY}))
            m_proj->SetPlotRange(end - width, end, r.minY, r.maxY);
        return;
    }
    case WXK_ESCAPE:
        if (IsBoxing())
            EndBox(m_boxEnd, false);
        return;
    default:
        event.Skip();
        return;
    }
    if (m_proj->GetCount() > 0 && !IsDragging() && IsUsableRange(next))
        m_proj->SetPlotRange(next.minX, next.maxX, next.minY, next.maxY);
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
    // The stock cursor, so that setting the one already shown is a no-op on every motion.
    m_graphWindow->SetCursor(inside && m_graphWindow->HasFocus() ? *wxCROSS_CURSOR : wxNullCursor);
}

void GraphPanel::SendCursorEvent(int code)
{
    wxCommandEvent event(EVT_GRAPH_CURSOR, GetId());
    event.SetInt(code);
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

// The project keeps "automatic" (-1) as the user chose it; the interval in use is only
// shown, so it travels by event instead of into the project.
void GraphPanel::ReportIntervals()
{
    const GridIntervals now = m_rendered ? m_renderInfo.gridInterval : GridIntervals{0.0, 0.0};
    if (now.x == m_reportedIntervals.x && now.y == m_reportedIntervals.y)
        return;
    m_reportedIntervals = now;
    wxCommandEvent event(EVT_GRAPH_INTERVALS, GetId());
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

void GraphPanel::GraphWindow_OnSize(wxSizeEvent& event)
{
    m_pictureStale = true;
    // A pane that only shrinks gets no paint of its own from GTK.
    m_graphWindow->Refresh(false);
    event.Skip();
}

void GraphPanel::GraphWindow_OnSetFocus(wxFocusEvent& event)
{
    m_pictureStale = true;
    m_graphWindow->Refresh(false);
    event.Skip();
}

void GraphPanel::GraphWindow_OnKillFocus(wxFocusEvent& event)
{
    m_pictureStale = true;
    m_graphWindow->Refresh(false);
    event.Skip();
}
