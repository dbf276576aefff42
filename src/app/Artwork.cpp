#include "app/Artwork.h"

#include <wx/icon.h>
#include <wx/image.h>

#include "app/art/ArtworkDraw.h"

namespace {

// ARGB32 is premultiplied, native-endian; wxImage wants straight RGB plus alpha.
wxImage ToImage(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    wxImage image(w, h, false);
    image.InitAlpha();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            const unsigned a = p >> 24;
            auto straight = [a](unsigned c) { return a ? (c * 255 + a / 2) / a : 0u; };
            image.SetRGB(x, y, straight((p >> 16) & 0xff), straight((p >> 8) & 0xff),
                         straight(p & 0xff));
            image.SetAlpha(x, y, static_cast<unsigned char>(a));
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

} // namespace

wxIconBundle CreateAppIconBundle()
{
    wxIconBundle bundle;
    for (int size : {16, 32, 48, 64}) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(ToImage(DrawAppIcon(size))));
        bundle.AddIcon(icon);
    }
    return bundle;
}

wxBitmap CreateAboutPicture()
{
    return wxBitmap(ToImage(DrawAboutPicture()));
}
