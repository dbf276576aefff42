#include "app/art/ArtworkDraw.h"

#include <algorithm>
#include <cmath>

namespace {

// A min/max band and its centre line, the way the program draws a long series: the same
// motif in the icon and the about picture. The shape is a fixed sum of sines, so the
// pictures are identical on every build.
double Signal(double t)
{
    return 0.55 * std::sin(t * 2.1) + 0.25 * std::sin(t * 5.3 + 0.7) + 0.12 * std::sin(t * 13.0);
}

void DrawBand(cairo_t* cr, double x0, double y0, double w, double h, int steps)
{
    const double mid = y0 + h / 2.0, amp = h * 0.38;
    cairo_new_path(cr);
    for (int i = 0; i <= steps; ++i) {
        const double t = 6.0 * i / steps;
        cairo_line_to(cr, x0 + w * i / steps, mid - amp * (Signal(t) + 0.18));
    }
    for (int i = steps; i >= 0; --i) {
        const double t = 6.0 * i / steps;
        cairo_line_to(cr, x0 + w * i / steps, mid - amp * (Signal(t) - 0.18));
    }
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.35, 0.55, 0.95, 0.45);
    cairo_fill(cr);

    cairo_new_path(cr);
    for (int i = 0; i <= steps; ++i)
        cairo_line_to(cr, x0 + w * i / steps, mid - amp * Signal(6.0 * i / steps));
    cairo_set_source_rgb(cr, 0.05, 0.2, 0.7);
    cairo_set_line_width(cr, std::max(1.0, h / 40.0));
    cairo_stroke(cr);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void DrawGrid(cairo_t* cr, double x0, double y0, double w, double h, int nx, int ny)
{
    cairo_set_source_rgb(cr, 0.78, 0.8, 0.84);
    cairo_set_line_width(cr, std::max(0.5, w / 200.0));
    for (int i = 1; i < nx; ++i) {
        cairo_move_to(cr, x0 + w * i / nx, y0);
        cairo_line_to(cr, x0 + w * i / nx, y0 + h);
    }
    for (int i = 1; i < ny; ++i) {
        cairo_move_to(cr, x0, y0 + h * i / ny);
        cairo_line_to(cr, x0 + w, y0 + h * i / ny);
    }
    cairo_stroke(cr);
}

} // namespace

cairo_surface_t* DrawAppIcon(int size)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    const double s = size;
    RoundedRect(cr, s * 0.04, s * 0.04, s * 0.92, s * 0.92, s * 0.16);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.99);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.1, 0.2, 0.45);
    cairo_set_line_width(cr, std::max(1.0, s / 24.0));
    cairo_stroke(cr);
    DrawGrid(cr, s * 0.12, s * 0.12, s * 0.76, s * 0.76, 3, 3);
    DrawBand(cr, s * 0.12, s * 0.12, s * 0.76, s * 0.76, 48);
    cairo_destroy(cr);
    return surface;
}

cairo_surface_t* DrawAboutPicture()
{
    const double w = ABOUT_PICTURE_WIDTH, h = ABOUT_PICTURE_HEIGHT;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, ABOUT_PICTURE_WIDTH, ABOUT_PICTURE_HEIGHT);
    cairo_t* cr = cairo_create(surface);

    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.12, 0.22, 0.5);
    cairo_pattern_add_color_stop_rgb(sky, 0.6, 0.85, 0.89, 0.97);
    cairo_pattern_add_color_stop_rgb(sky, 1.0, 1.0, 1.0, 1.0);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);

    // The plot card; the area below it stays light for the build texts.
    RoundedRect(cr, 16, 70, w - 32, 130, 8);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.55, 0.6, 0.7);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    DrawGrid(cr, 24, 78, w - 48, 114, 6, 4);
    DrawBand(cr, 24, 78, w - 48, 114, 160);

    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 30);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, 20, 46);
    cairo_show_text(cr, "Ardentine");
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_move_to(cr, 21, 62);
    cairo_show_text(cr, "Large CSV files, drawn now");

    cairo_destroy(cr);
    return surface;
}
