#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <cairo.h>
#include <wx/string.h>

#include "render/PlotTransform.h"

class GraphProject;
class wxWindow;

// The A/B cursors over the graph pane: two vertical lines the user drags, with a read-out
// of the X difference and of the selected series between them. The pane owns the mouse;
// this keeps where the cursors are, what they read and how they are drawn.
class CursorOverlay
{
public:
    // `window` (not owned) is repainted whenever the cursors change.
    explicit CursorOverlay(wxWindow* window) : m_window(window) {}

    // Reads `project` (not owned; null for none) from now on, and forgets what it read.
    void SetProject(GraphProject* project);
    // Shown at a third and two thirds of the visible X span.
    void Show(bool show);
    bool IsShown() const { return m_shown; }
    // After a fit: cursors that lie outside the view, or were placed before there was
    // data, go to a third and two thirds of it. New data in a project that had some does
    // the same by itself.
    void BringIntoView();
    // A project notification of these kinds (GraphProjectUpdate) has arrived.
    void ProjectChanged(uint32_t kind);

    double GetX(int which) const { return m_x[which]; }
    // Ignores anything but 0 (A) or 1 (B) and a finite x.
    void SetX(int which, double x);
    // Which series the read-out describes (-1: none), asked at every paint.
    void SetSelectedSeriesSource(std::function<int()> source) { m_selected = std::move(source); }

    // The read-out's lines, as drawn over the picture `info`.
    std::vector<wxString> Readout(const RenderInfo& info);
    // The cursor whose line lies within a few pixels of px, the nearer one first; -1: none.
    int Near(int px, const RenderInfo& info) const;
    // The lines and the read-out, clipped to the plot area of `info` (a picture that maps).
    void Draw(cairo_t* cr, const RenderInfo& info);

private:
    void Place();

    wxWindow* m_window;
    GraphProject* m_proj = nullptr;
    bool m_shown = false;
    double m_x[2] = {0.0, 0.0};
    bool m_overData = false; // placed (or moved) while the project had series
    std::function<int()> m_selected;
    std::vector<wxString> m_readout; // empty: to be computed
    int m_readoutSeries = -1;
};
