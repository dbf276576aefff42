#include "app/panes/CursorOverlay.h"

#include <algorithm>
#include <cmath>

#include <wx/window.h>

#include "model/GraphProject.h"
#include "render/CairoText.h"
#include "render/CursorStats.h"

void CursorOverlay::SetProject(GraphProject* project)
{
    m_proj = project;
    m_readout.clear();
    m_overData = false;
}

void CursorOverlay::Show(bool show)
{
    m_shown = show;
    if (show && m_proj)
        Place();
    m_window->Refresh(false);
}

void CursorOverlay::Place()
{
    const PlotRange r = m_proj->GetPlotRange();
    m_x[0] = r.minX + (r.maxX - r.minX) / 3.0;
    m_x[1] = r.minX + (r.maxX - r.minX) * 2.0 / 3.0;
    m_overData = m_proj->GetCount() > 0;
    m_readout.clear();
}

void CursorOverlay::BringIntoView()
{
    if (!m_shown || !m_proj || m_proj->GetCount() == 0)
        return;
    const PlotRange r = m_proj->GetPlotRange();
    const auto outside = [&r](double x) { return !(x >= r.minX && x <= r.maxX); };
    if (!m_overData || outside(m_x[0]) || outside(m_x[1])) {
        Place();
        m_window->Refresh(false);
    }
}

void CursorOverlay::ProjectChanged(uint32_t kind)
{
    // Pans and restyling leave the series, and so the statistics, as they were.
    if (kind & (PROJ_ADD | PROJ_REMOVE | PROJ_DATA))
        m_readout.clear();
    // The first data comes with a fit, which places the cursors; later data may lie
    // elsewhere.
    if ((kind & PROJ_ADD) && m_overData)
        BringIntoView();
    if ((kind & PROJ_REMOVE) && m_proj && m_proj->GetCount() == 0)
        m_overData = false;
}

void CursorOverlay::SetX(int which, double x)
{
    if (which < 0 || which > 1 || !std::isfinite(x))
        return;
    m_x[which] = x;
    m_overData = m_proj && m_proj->GetCount() > 0;
    m_readout.clear();
    m_window->Refresh(false);
}

int CursorOverlay::Near(int px, const RenderInfo& info) const
{
    if (!m_shown)
        return -1;
    const double d0 = std::fabs(info.ToPixelX(m_x[0]) - px);
    const double d1 = std::fabs(info.ToPixelX(m_x[1]) - px);
    const double grab = 5.0;
    if (d0 <= d1 && d0 <= grab)
        return 0;
    return d1 <= grab ? 1 : -1;
}

// Computed again only when the cursors, the selected series or the series change: the
// statistics scan the values, which must not happen on every frame of a pan.
std::vector<wxString> CursorOverlay::Readout(const RenderInfo& info)
{
    const int selected = m_selected ? m_selected() : -1;
    if (!m_readout.empty() && selected == m_readoutSeries)
        return m_readout;
    m_readoutSeries = selected;
    CursorReadoutInput in;
    in.a = m_x[0];
    in.b = m_x[1];
    if (m_proj && selected >= 0 && selected < m_proj->GetCount())
        in.series = m_proj->GetItem(selected).get();
    in.time = m_proj && m_proj->HasTimeOrigin();
    in.timeOrigin = m_proj ? m_proj->GetTimeOrigin() : 0;
    in.pixel = info.plotArea.width > 0.0
                   ? (info.plotRange.maxX - info.plotRange.minX) / info.plotArea.width
                   : 0.0;
    m_readout = CursorReadout(in);
    return m_readout;
}

void CursorOverlay::Draw(cairo_t* cr, const RenderInfo& info)
{
    if (!m_shown)
        return;
    const PlotArea& area = info.plotArea;
    cairo_save(cr);
    cairo_rectangle(cr, area.left, area.top, area.width, area.height);
    cairo_clip(cr);
    const char* names[2] = {"A", "B"};
    CairoText text(cr);
    FontDesc font;
    font.weight = FONT_WEIGHT_BOLD;
    text.SetFont(font, 12.0);
    for (int i = 0; i < 2; ++i) {
        const double px = std::round(info.ToPixelX(m_x[i])) + 0.5;
        cairo_set_source_rgb(cr, i == 0 ? 0.85 : 0.0, i == 0 ? 0.35 : 0.6, i == 0 ? 0.0 : 0.3);
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, px, area.top);
        cairo_line_to(cr, px, area.top + area.height);
        cairo_stroke(cr);
        text.Show(names[i], px + 3, area.top + 14);
    }

    // The read-out in the frame's top-left corner.
    const std::vector<wxString> lines = Readout(info);
    font.weight = FONT_WEIGHT_NORMAL;
    font.family = FontFamily::Teletype;
    text.SetFont(font, 11.0);
    double width = 0.0;
    for (const wxString& line : lines)
        width = std::max(width, text.Extents(line).x_advance);
    const double row = 14.0, pad = 5.0;
    const double x = area.left + 8.0, y = area.top + 22.0;
    cairo_rectangle(cr, x + 0.5, y + 0.5, std::ceil(width + 2 * pad),
                    row * double(lines.size()) + 2 * pad);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (size_t i = 0; i < lines.size(); ++i)
        text.Show(lines[i], x + pad, y + pad + row * double(i) + 11.0);
    cairo_restore(cr);
}
