// Writes the program's pictures as PNG files for installation:
//   ardentine-art <output dir> -> <dir>/ardentine-<size>.png and <dir>/about.png
#include <cstdio>
#include <string>

#include "app/art/ArtworkDraw.h"

namespace {

bool Write(cairo_surface_t* surface, const std::string& path)
{
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!ok)
        std::fprintf(stderr, "can't write %s\n", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output dir>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    for (int size : {16, 32, 48, 64, 128, 256})
        ok = Write(DrawAppIcon(size), dir + "/ardentine-" + std::to_string(size) + ".png") && ok;
    ok = Write(DrawAboutPicture(), dir + "/about.png") && ok;
    return ok ? 0 : 1;
}
