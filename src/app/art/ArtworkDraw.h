#pragma once

#include <cairo.h>

// The program's pictures, drawn with cairo alone so that the build can also write them as
// image files for the desktop environment. The caller owns the returned ARGB32 surface.
cairo_surface_t* DrawAppIcon(int size);
cairo_surface_t* DrawAboutPicture(); // 247 x 300

constexpr int ABOUT_PICTURE_WIDTH = 247;
constexpr int ABOUT_PICTURE_HEIGHT = 300;
