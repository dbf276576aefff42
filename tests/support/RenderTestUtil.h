#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include "model/GraphProject.h"

namespace rendertest {

// Pango, cairo and fontconfig keep fonts and their configuration in process-wide caches;
// release them at the end of the run so that the leak checker sees only real leaks.
class CairoStaticData : public ::testing::Environment
{
    void TearDown() override
    {
        // This thread's font map holds cairo's fonts; Pango's one-off fontconfig start-up
        // thread may still hold the map for a moment after a short run.
        PangoFontMap* map = pango_cairo_font_map_get_default();
        // A map made just now (a run that drew no text) starts fontconfig on a thread of
        // Pango's; listing the families waits for that start, which FcFini below would
        // otherwise pull from under it (a crash at exit, seen under the sanitizers).
        PangoFontFamily** families = nullptr;
        int familyCount = 0;
        pango_font_map_list_families(map, &families, &familyCount);
        g_free(families);
        g_object_ref(map);
        pango_cairo_font_map_set_default(nullptr);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (g_atomic_int_get(&G_OBJECT(map)->ref_count) > 1 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        g_object_unref(map);
        cairo_debug_reset_static_data();
        FcFini();
    }
};
inline const ::testing::Environment* const cairoStaticData =
    ::testing::AddGlobalTestEnvironment(new CairoStaticData);

// The pixel of an image surface as 0xAARRGGBB (premultiplied, as cairo stores it).
inline uint32_t PixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + size_t(y) * cairo_image_surface_get_stride(surface);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24 ? p | 0xFF000000u : p;
}

// Darkness (255 - red) summed over the box [x0, x1) x [y0, y1) of an opaque image.
inline long Ink(cairo_surface_t* image, int x0, int y0, int x1, int y1)
{
    const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    long sum = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, w); ++x)
            sum += 255 - long((PixelAt(image, x, y) >> 16) & 0xFFu);
    return sum;
}

// A project with the plot range and the default properties as edit leaves them.
inline std::shared_ptr<GraphProject> Project(PlotRange range,
                                             const std::function<void(ProjectProperty&)>& edit = {})
{
    auto project = CreateGraphProject();
    ProjectProperty prop = project->GetProperty();
    if (edit)
        edit(prop);
    project->SetProperty(prop);
    project->SetPlotRange(range.minX, range.maxX, range.minY, range.maxY);
    return project;
}

} // namespace rendertest
